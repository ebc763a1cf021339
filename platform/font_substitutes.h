#pragma once

#include <QFont>

// The typefaces the windows are designed in, asked for by these names.
inline constexpr char kWindowFontFamily[] = "ＭＳ Ｐゴシック";
inline constexpr char kChartFontFamily[] = "ＭＳ Ｐ明朝";

// The character height, in pixels, of both windows' own font.
inline constexpr int kWindowFontHeight = 12;

// Neither typeface exists on Linux. Registers, for each, the proportional
// Japanese faces of the same style that stand in for it, best first, so that
// every caption renders in the intended style and no glyph is missing.
void RegisterFontSubstitutes();

// A font of the given family with the given character height in pixels.
QFont DesignFont(const char* family, int pixelHeight, bool bold = false);
