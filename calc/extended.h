#pragma once

// The calculation's arithmetic: every intermediate result carries a 64-bit
// significand (the x87 extended format), each operation rounds to nearest
// even on its own, and values become binary64 only where the algorithm says
// so. The published sample peak depends on this; plain binary64 arithmetic
// gives a peak current 1.3 % lower.

#include <cmath>

#include "long_double_format.h"

#if defined(__FAST_MATH__)
#error "The TSC calculation must not be built with -ffast-math: it changes the results."
#endif

// Where long double is that format the hardware does the work; elsewhere, or
// when TSC_SOFT_EXTENDED asks for it, the software type gives the same bits.
#if defined(TSC_SOFT_EXTENDED) || !defined(TSC_LONG_DOUBLE_IS_EXTENDED)
#define TSC_EXTENDED_IN_SOFTWARE 1
#include "soft_extended.h"
#endif

namespace tsc {

#if defined(TSC_EXTENDED_IN_SOFTWARE)
using Extended = SoftExtended;
#else
using Extended = long double;
#endif

inline Extended Widen(double value) { return static_cast<Extended>(value); }

inline double Narrow(Extended value) { return static_cast<double>(value); }

// exp of the argument rounded to binary64; the result joins the expression
// unrounded.
inline Extended ExpOf(Extended argument) { return Widen(std::exp(Narrow(argument))); }

}  // namespace tsc
