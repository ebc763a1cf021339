// The results file's decoding on any bytes: no crash, and text it accepts
// is saved and opened again unchanged.
#include <cstdint>

#include "file_error.h"
#include "results_text.h"

namespace {

// The bytes a save writes for the text (see SaveLinesToFile).
QByteArray Saved(const QString& endedLines) {
    QByteArray bytes = endedLines.startsWith(QChar::ByteOrderMark) ? "\xEF\xBB\xBF" : "";
    bytes += endedLines.toUtf8().replace("\n", "\r\n");
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QString text;
    try {
        text = DecodeResultsText(QByteArrayView(data, qsizetype(size)), "fuzz");
    } catch (const EFileError&) {
        return 0;
    }
    if (!text.isEmpty() && !text.endsWith(u'\n')) __builtin_trap();
    if (text.contains(u'\r')) __builtin_trap();
    if (DecodeResultsText(Saved(text), "fuzz") != text) __builtin_trap();
    return 0;
}
