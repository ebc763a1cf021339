#pragma once

#include <QRect>
#include <QString>
#include <ostream>

// Readable GoogleTest failure messages for the Qt values the tests compare;
// QStringList elements are printed through the QString one.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QRect& rect, std::ostream* out) {
    *out << "QRect(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", "
         << rect.height() << ')';
}
