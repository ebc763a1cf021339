#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <ostream>

// Readable GoogleTest failure messages for the Qt values the tests compare;
// QStringList elements are printed through the QString one.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

// Bytes as a C string literal, so that a difference in line ends shows.
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"';
    for (const char c : bytes) {
        if (c == '\r') {
            *out << "\\r";
        } else if (c == '\n') {
            *out << "\\n";
        } else if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(c);
            *out << "\\x" << kHex[byte >> 4] << kHex[byte & 0xF];
        } else {
            *out << c;
        }
    }
    *out << '"';
}

inline void PrintTo(const QRect& rect, std::ostream* out) {
    *out << "QRect(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", "
         << rect.height() << ')';
}
