#include "results_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>

#include "file_descriptor.h"
#include "file_error.h"
#include "file_error_reason.h"
#include "results_text.h"

namespace {

[[noreturn]] void Fail(const QString& fileName, const char* problem, const QString& reason) {
    ThrowFileError(fileName, QString::fromUtf8(problem), reason);
}

[[noreturn]] void FailTooLarge(const QString& fileName) {
    ThrowFileError(fileName, QStringLiteral("は %1 MiB を超えるため開けません。")
                                 .arg(kMaxResultsFileBytes / (1024 * 1024)));
}

QByteArray ReadAtMost(int fd, qint64 limit, const QString& fileName) {
    QByteArray bytes(limit, Qt::Uninitialized);
    qint64 done = 0;
    while (done < limit) {
        const ssize_t got = ::read(fd, bytes.data() + done, limit - done);
        if (got == 0) break;
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) Fail(fileName, "を読み込めません。", ReasonForErrno(errno));
        done += got;
    }
    bytes.truncate(done);
    return bytes;
}

QStringList SplitEndedLines(const QString& text) {
    QStringList lines = text.split(u'\n');
    lines.removeLast();  // nothing follows the last line end
    return lines;
}

}  // namespace

QString LoadTextFromFile(const QString& fileName) {
    // Non-blocking, so that a FIFO or a device without data does not hang the
    // window in open() before fstat can tell that it is not a file.
    const int fd = ::open(QFile::encodeName(fileName).constData(),
                          O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) Fail(fileName, "を開けません。", ReasonForErrno(errno));
    const FileDescriptor file{fd};
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        Fail(fileName, "は通常のファイルではないため開けません。",
             S_ISDIR(status.st_mode) ? ReasonForErrno(EISDIR) : QString());
    }
    if (status.st_size > kMaxResultsFileBytes) FailTooLarge(fileName);
    const QByteArray bytes = ReadAtMost(fd, status.st_size + 1, fileName);
    // Files like those under /proc show a size of 0 but have content, and a
    // file that grows while being read has no one content to show.
    if (bytes.size() > status.st_size) {
        Fail(fileName, "は読み込み中に大きさが変わるため開けません。", {});
    }
    return DecodeResultsText(bytes, fileName);
}

QStringList LoadLinesFromFile(const QString& fileName) {
    return SplitEndedLines(LoadTextFromFile(fileName));
}
