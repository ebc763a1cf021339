// Saving the results list: replacing the file atomically where that keeps
// the file's identity, writing over it in place where it would not.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>

#include "file_descriptor.h"
#include "file_error.h"
#include "file_error_reason.h"
#include "results_file.h"

namespace {

QString SystemReason() { return ReasonForErrno(errno); }

QByteArray Encode(const QStringList& lines) {
    QByteArray bytes;
    // Opening drops one byte-order mark at the start of a file: written in
    // front of a first line that starts with that character, it keeps it.
    if (!lines.isEmpty() && lines.front().startsWith(QChar::ByteOrderMark)) bytes = "\xEF\xBB\xBF";
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

// A new file takes the old one's place only when complete. False when that
// would change the existing file `target` (null for none) in more than its
// content: the temporary file cannot be made next to it (a folder that is
// not writable) or cannot be given its owner and group.
bool ReplaceAtomically(const QString& fileName, const QString& path, const struct stat* target,
                       const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (target != nullptr) return false;
        ThrowFileError(fileName, QStringLiteral("を作成できません。"), FileErrorReason(file));
    }
    if (target != nullptr) {
        struct stat made {};
        const bool sameOwner = ::fstat(file.handle(), &made) == 0 &&
                               made.st_uid == target->st_uid && made.st_gid == target->st_gid;
        if (!sameOwner && ::fchown(file.handle(), target->st_uid, target->st_gid) != 0) {
            file.cancelWriting();
            return false;
        }
        // Also after fchown, which may clear the set-user and set-group bits.
        ::fchmod(file.handle(), target->st_mode & 07777);
    }
    // Qt 6.4's commit() does not notice when its own final flush fails (a
    // full disk, say) and would rename a truncated file over the old one, so
    // flush first and check.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        // The destructor throws the temporary file away; the old file stays.
        ThrowFileError(fileName, QStringLiteral("に書き込めません。"), FileErrorReason(file));
    }
    return true;
}

// Over the old content of the very file that was looked at, so that its
// other names, owner, group and permissions stay.
void WriteInPlace(const QString& fileName, const struct stat& target, const QByteArray& bytes) {
    const int fd = ::open(QFile::encodeName(fileName).constData(),
                          O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) ThrowFileError(fileName, QStringLiteral("に書き込めません。"), SystemReason());
    const FileDescriptor file{fd};
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || opened.st_dev != target.st_dev ||
        opened.st_ino != target.st_ino) {
        ThrowFileError(fileName, QStringLiteral("は保存の間に置き換えられたため保存できません。"));
    }
#ifdef __linux__
    // The space first: a full disk is found before the old content is gone.
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, bytes.size()) != 0 && errno != EOPNOTSUPP &&
        errno != ENOSYS) {
        ThrowFileError(fileName, QStringLiteral("に書き込めません。ファイルは元のままです。"),
                       SystemReason());
    }
#endif
    qint64 done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::pwrite(fd, bytes.constData() + done, bytes.size() - done, done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) break;
        done += put;
    }
    // A file that took no byte (one under /proc, say) keeps its old content.
    if (done == 0 && !bytes.isEmpty()) {
        ThrowFileError(fileName, QStringLiteral("に書き込めません。ファイルは元のままです。"),
                       SystemReason());
    }
    if (done < bytes.size() || ::ftruncate(fd, bytes.size()) != 0 || ::fsync(fd) != 0) {
        ThrowFileError(fileName,
                       QStringLiteral("に書き込めません。ファイルは途中まで書き換えられています。"),
                       SystemReason());
    }
}

}  // namespace

void SaveLinesToFile(const QStringList& lines, const QString& fileName) {
    const QByteArray bytes = Encode(lines);
    struct stat target {};
    if (::stat(QFile::encodeName(fileName).constData(), &target) != 0) {
        ReplaceAtomically(fileName, fileName, nullptr, bytes);
        return;
    }
    if (!S_ISREG(target.st_mode)) {
        ThrowFileError(fileName, QStringLiteral("は通常のファイルではないため保存できません。"),
                       S_ISDIR(target.st_mode) ? ReasonForErrno(EISDIR) : QString());
    }
    // Through a symbolic link, the file it names is replaced, not the link.
    const QString path = QFileInfo(fileName).canonicalFilePath();
    if (target.st_nlink == 1 && ReplaceAtomically(fileName, path, &target, bytes)) return;
    WriteInPlace(fileName, target, bytes);
}
