#pragma once

#include <string>
#include <string_view>

// Text to number and back, in the forms the parameter fields, the peak fields
// and the results list use. Both ignore the process locale: the decimal mark
// is always the period.

// Accepts optional blanks around an optional sign, digits with an optional
// fraction ("5", "5.", ".5", "5.25") and an optional exponent ("1e8",
// "2.5E-3"). The value is rounded to the extended format first and then to
// binary64, so a text beyond the binary64 range becomes an infinity.
// Anything else throws EConvertError quoting the text.
double StrToFloat(std::string_view text);

// General format with 15 significant digits, correctly rounded: fixed
// notation for 1e-5 <= |x| < 1e15 ("200", "208.799999999999", "0.00001"),
// otherwise scientific with an upper-case E and no exponent padding
// ("1.26344583984677E-11", "1E15"). Zero is "0"; infinities and NaN are
// "INF", "-INF" and "NAN".
std::string FloatToStr(double value);
