#include "results_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#include "file_error.h"

namespace {

[[noreturn]] void Fail(const QString& fileName, const char* problem, const QString& reason) {
    QString message =
        QStringLiteral("ファイル \"%1\" %2").arg(fileName, QString::fromUtf8(problem));
    if (!reason.isEmpty()) message += QStringLiteral("（%1）").arg(reason);
    throw EFileError(message.toStdString());
}

[[noreturn]] void FailTooLarge(const QString& fileName) {
    Fail(fileName, "は 64 MiB を超えるため開けません。", {});
}

QByteArray Encode(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    return bytes;
}

QString Decode(QByteArrayView bytes, const QString& fileName) {
    static constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";
    if (bytes.startsWith(kUtf8Bom)) bytes = bytes.sliced(3);

    // Stateless: a character cut off at the end is an error, not a byte held
    // back for more input. ConvertInitialBom keeps a second byte-order mark as
    // text, since only the one stripped above is a marker.
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) return text;

    QStringDecoder shiftJis("Shift_JIS", QStringDecoder::Flag::Stateless);
    if (!shiftJis.isValid()) {
        Fail(fileName, "は UTF-8 ではなく、Shift-JIS として読むこともできません。", {});
    }
    return shiftJis.decode(bytes);
}

QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') continue;
        lines.append(text.sliced(start, i - start));
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.append(text.sliced(start));
    return lines;
}

}  // namespace

void SaveLinesToFile(const QStringList& lines, const QString& fileName) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) {
        Fail(fileName, "を作成できません。", file.errorString());
    }
    const QByteArray bytes = Encode(lines);
    // Qt 6.4's commit() does not notice when its own final flush fails (a
    // full disk, say) and would rename a truncated file over the old one, so
    // flush first and check.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        // The destructor throws the temporary file away; the old file stays.
        Fail(fileName, "に書き込めません。", file.errorString());
    }
}

QStringList LoadLinesFromFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(fileName, "を開けません。", file.errorString());
    }
    // The size check spares reading a huge regular file; the read limit also
    // covers files whose size is not known in advance.
    if (file.size() > kMaxResultsFileBytes) FailTooLarge(fileName);
    const QByteArray bytes = file.read(kMaxResultsFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        Fail(fileName, "を読み込めません。", file.errorString());
    }
    if (bytes.size() > kMaxResultsFileBytes) FailTooLarge(fileName);
    return SplitLines(Decode(bytes, fileName));
}
