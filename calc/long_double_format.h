#pragma once

#include <cfloat>

// Defined where long double is the x87 extended format: a 64-bit significand
// and a 15-bit exponent.
#if LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384
#define TSC_LONG_DOUBLE_IS_EXTENDED 1
#endif
