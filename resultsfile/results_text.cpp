#include "results_text.h"

#include <QStringDecoder>
#include <QStringList>

#include "file_error.h"

namespace {

constexpr qsizetype kValid = -1;

// The offset of the first byte that does not start a well-formed UTF-8
// character (no overlong forms, surrogates or values above U+10FFFF), or
// kValid.
qsizetype FirstNonUtf8Byte(QByteArrayView bytes) {
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        const uchar lead = data[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        char32_t smallest = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2, code = lead & 0x1F, smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, code = lead & 0x0F, smallest = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4, code = lead & 0x07, smallest = 0x10000;
        } else {
            return i;
        }
        if (size - i < length) return i;
        for (int k = 1; k < length; ++k) {
            const uchar trail = data[i + k];
            if ((trail & 0xC0) != 0x80) return i;
            code = (code << 6) | (trail & 0x3F);
        }
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return i;
        i += length;
    }
    return kValid;
}

// Shift-JIS characters are one byte, or two after a lead byte.
qsizetype ShiftJisCharacterSize(uchar byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC) ? 2 : 1;
}

bool IsShiftJisByteOrTrail(uchar byte, bool trail) {
    if (trail) return byte >= 0x40 && byte <= 0xFC && byte != 0x7F;
    return byte <= 0x7F || (byte >= 0xA1 && byte <= 0xDF) || ShiftJisCharacterSize(byte) == 2;
}

// What the converter gives for a character it cannot map.
bool IsReplacement(QChar decoded, uchar firstByte) {
    return decoded == QChar::ReplacementCharacter || (decoded == u'\x1A' && firstByte != 0x1A);
}

struct Decoded {
    QString text;
    qsizetype firstBadByte = kValid;
};

// Every Shift-JIS character is one UTF-16 unit, so the converter's output is
// checked unit by unit against the characters it came from: its own error
// flag is not reliable across calls.
Decoded DecodeShiftJis(QByteArrayView bytes) {
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    QList<qsizetype> starts;  // of the characters of a piece
    constexpr qsizetype kPiece = 1 << 16;
    Decoded decoded;
    decoded.text.reserve(bytes.size());
    qsizetype start = 0;
    while (start < bytes.size()) {
        starts.clear();
        qsizetype end = start;
        while (end < bytes.size() && end - start < kPiece) {
            const qsizetype size = ShiftJisCharacterSize(data[end]);
            if (!IsShiftJisByteOrTrail(data[end], false) || end + size > bytes.size() ||
                (size == 2 && !IsShiftJisByteOrTrail(data[end + 1], true))) {
                return {{}, end};
            }
            starts.append(end);
            end += size;
        }
        QStringDecoder converter("Shift_JIS", QStringDecoder::Flag::Stateless);
        if (!converter.isValid()) return {{}, start};
        const QString piece = converter.decode(bytes.sliced(start, end - start));
        if (piece.size() != starts.size()) return {{}, start};
        for (qsizetype c = 0; c < piece.size(); ++c) {
            if (IsReplacement(piece[c], data[starts[c]])) return {{}, starts[c]};
        }
        decoded.text += piece;
        start = end;
    }
    return decoded;
}

// UTF-16 after its byte-order mark, in the byte order the mark gives.
Decoded DecodeUtf16(QByteArrayView bytes, bool bigEndian) {
    constexpr qsizetype kMarkSize = 2;
    const auto* data = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype units = (bytes.size() - kMarkSize) / 2;
    Decoded decoded;
    decoded.text.resize(units);
    char16_t* out = reinterpret_cast<char16_t*>(decoded.text.data());
    for (qsizetype u = 0; u < units; ++u) {
        const uchar first = data[kMarkSize + 2 * u];
        const uchar second = data[kMarkSize + 2 * u + 1];
        out[u] = bigEndian ? char16_t(first << 8 | second) : char16_t(second << 8 | first);
    }
    for (qsizetype u = 0; u < units; ++u) {
        const QChar c(out[u]);
        const bool paired =
            c.isHighSurrogate() && u + 1 < units && QChar(out[u + 1]).isLowSurrogate();
        if (paired) {
            ++u;
        } else if (c.isSurrogate()) {
            return {{}, kMarkSize + 2 * u};
        }
    }
    if ((bytes.size() - kMarkSize) % 2 != 0) return {{}, bytes.size() - 1};
    return decoded;
}

QString DecodeEncoding(QByteArrayView bytes, const QString& fileName) {
    const bool littleEndian16 = bytes.startsWith("\xFF\xFE");
    if (littleEndian16 || bytes.startsWith("\xFE\xFF")) {
        Decoded utf16 = DecodeUtf16(bytes, !littleEndian16);
        if (utf16.firstBadByte != kValid) {
            ThrowFileError(
                fileName, QStringLiteral("は UTF-16 として %1 バイト目から読めないため開けません。")
                              .arg(utf16.firstBadByte));
        }
        return std::move(utf16.text);
    }
    constexpr QByteArrayView kUtf8Mark = "\xEF\xBB\xBF";
    const qsizetype markSize = bytes.startsWith(kUtf8Mark) ? kUtf8Mark.size() : 0;
    const QByteArrayView content = bytes.sliced(markSize);
    const qsizetype badUtf8 = FirstNonUtf8Byte(content);
    if (badUtf8 == kValid) {
        // ConvertInitialBom keeps a second byte-order mark as the text it is.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        return utf8.decode(content);
    }

    Decoded shiftJis = DecodeShiftJis(content);
    if (shiftJis.firstBadByte != kValid) {
        ThrowFileError(fileName,
                       QStringLiteral("は UTF-8 としては %1 バイト目から、Shift-JIS としては %2 "
                                      "バイト目から読めないため開けません。")
                           .arg(markSize + badUtf8)
                           .arg(markSize + shiftJis.firstBadByte));
    }
    return std::move(shiftJis.text);
}

// The characters the text field takes for breaks of its own.
bool BreaksTheList(QChar c) {
    return c == QChar::LineSeparator || c == QChar::ParagraphSeparator || c == u'\uFDD0' ||
           c == u'\uFDD1';
}

[[noreturn]] void FailOnBreakingCharacters(const QString& fileName, const QString& text,
                                           qsizetype firstLine) {
    QStringList found;
    for (const QChar c : {QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator),
                          QChar(u'\uFDD0'), QChar(u'\uFDD1')}) {
        if (text.contains(c))
            found.append(QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QChar(u'0')).toUpper());
    }
    ThrowFileError(fileName,
                   QStringLiteral("は一覧に保てない文字 %1 を含むため開けません（%2 行目）。")
                       .arg(found.join(QStringLiteral("、")))
                       .arg(firstLine));
}

}  // namespace

QString DecodeResultsText(QByteArrayView bytes, const QString& fileName) {
    QString text = DecodeEncoding(bytes, fileName);
    // Line ends become '\n' in place: the text never grows but by the last
    // line end, and a large file is not held twice.
    const qsizetype size = text.size();
    QChar* const start = text.data();
    QChar* out = start;
    QChar* lineStart = start;
    qsizetype line = 1;
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = start[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < size && start[i + 1] == u'\n') ++i;
            *out++ = u'\n';
            lineStart = out;
            ++line;
            continue;
        }
        if (BreaksTheList(c)) FailOnBreakingCharacters(fileName, text, line);
        if (out - lineStart == kMaxResultsLineLength) {
            ThrowFileError(fileName, QStringLiteral("の %1 行目は %2 文字を超えるため開けません。")
                                         .arg(line)
                                         .arg(kMaxResultsLineLength));
        }
        *out++ = c;
    }
    const qsizetype length = out - start;
    text.truncate(length);
    if (length > 0 && text.back() != u'\n') text.append(u'\n');
    return text;
}
