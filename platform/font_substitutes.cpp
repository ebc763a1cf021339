#include "font_substitutes.h"

#include <QStringList>

void RegisterFontSubstitutes() {
    QFont::insertSubstitutions(QString::fromUtf8(kWindowFontFamily),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP")});
    QFont::insertSubstitutions(QString::fromUtf8(kChartFontFamily),
                               {QStringLiteral("IPAPMincho"), QStringLiteral("Noto Serif CJK JP")});
}

QFont DesignFont(const char* family, int pixelHeight, bool bold) {
    QFont font(QString::fromUtf8(family));
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

QFont FieldFont(QFont windowFont) {
    windowFont.setLetterSpacing(QFont::AbsoluteSpacing, -1);
    return windowFont;
}
