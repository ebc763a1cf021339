#include "number_text.h"

#include <locale.h>

#include <cfenv>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

#include "exception.h"
#include "long_double_format.h"

#if !defined(TSC_LONG_DOUBLE_IS_EXTENDED)
#include "soft_extended.h"
#define TSC_LONG_DOUBLE_WIDER_THAN_EXTENDED 1
#if LDBL_MANT_DIG < 66 || LDBL_MAX_EXP < 16384
#error "Reading numbers needs long double in x87 extended format or wider (for example binary128)."
#endif
#endif

namespace {

constexpr int kSignificantDigits = 15;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// sign? (digits ('.' digits?)? | '.' digits) ([eE] sign? digits)?
bool IsDecimalNumber(std::string_view text) {
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < text.size() && IsDigit(text[i])) ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    std::size_t mantissaDigits = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == text.size();
}

locale_t ClassicLocale() {
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", locale_t{});
    return classic;
}

#if defined(TSC_LONG_DOUBLE_WIDER_THAN_EXTENDED)

// The magnitude `text` stands for, rounded toward zero or away from it.
long double ParseRounded(const std::string& text, int direction) {
    const int previous = std::fegetround();
    std::fesetround(direction);
    const long double value = strtold_l(text.c_str(), nullptr, ClassicLocale());
    std::fesetround(previous);
    return value;
}

// long double is wider than the extended format here, so rounding the text
// to long double and then to extended could round twice. Instead the text is
// read rounded down and up: when both agree the value is exact; otherwise it
// lies strictly between two neighbouring long doubles, and no extended value
// or extended rounding boundary lies there, so "just above the lower one"
// rounds correctly.
double ThroughExtended(std::string_view number) {
    const bool negative = number.front() == '-';
    if (number.front() == '-' || number.front() == '+') number.remove_prefix(1);
    const std::string magnitude(number);
    const long double low = ParseRounded(magnitude, FE_DOWNWARD);
    const long double high = ParseRounded(magnitude, FE_UPWARD);
    if (std::isinf(low)) return negative ? -HUGE_VAL : HUGE_VAL;
    int exponent = 0;
    const long double fraction = std::frexp(low, &exponent);
    const auto significand = static_cast<unsigned __int128>(std::ldexp(fraction, LDBL_MANT_DIG));
    const tsc::SoftExtended extended =
        tsc::SoftExtended::Round(negative, exponent - LDBL_MANT_DIG, significand, low != high);
    return static_cast<double>(extended);
}

#endif

}  // namespace

double StrToFloat(std::string_view text) {
    const std::string_view number = TrimBlanks(text);
    if (!IsDecimalNumber(number)) {
        throw EConvertError("'" + std::string(text) + "' は正しい浮動小数点数ではありません。");
    }
#if defined(TSC_LONG_DOUBLE_WIDER_THAN_EXTENDED)
    return ThroughExtended(number);
#else
    const std::string terminated(number);
    const long double extended = strtold_l(terminated.c_str(), nullptr, ClassicLocale());
    return static_cast<double>(extended);
#endif
}

std::string FloatToStr(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";

    // d.dddddddddddddde[+-]x: the value correctly rounded to 15 digits.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, kSignificantDigits - 1);
    const std::string_view scientific(buffer, result.ptr - buffer);
    const std::size_t e = scientific.find('e');
    std::string digits;
    for (char c : scientific.substr(0, e)) {
        if (c != '.') digits += c;
    }
    int exponent = 0;
    std::from_chars(scientific.data() + e + 1 + (scientific[e + 1] == '+'),
                    scientific.data() + scientific.size(), exponent);
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string text = value < 0 ? "-" : "";
    if (exponent >= -5 && exponent < kSignificantDigits) {
        if (exponent < 0) {
            text += "0." + std::string(-exponent - 1, '0') + digits;
        } else if (digits.size() <= static_cast<std::size_t>(exponent) + 1) {
            text += digits + std::string(exponent + 1 - digits.size(), '0');
        } else {
            text += digits.substr(0, exponent + 1) + "." + digits.substr(exponent + 1);
        }
    } else {
        text += digits.substr(0, 1);
        if (digits.size() > 1) text += "." + digits.substr(1);
        text += "E" + std::to_string(exponent);
    }
    return text;
}
