#pragma once

// The calculation's arithmetic: every intermediate result carries a 64-bit
// significand (the x87 extended format), each operation rounds to nearest
// even on its own, and values become binary64 only where the algorithm says
// so. The published sample peak depends on this; plain binary64 arithmetic
// gives a peak current 1.3 % lower.

#include <cfloat>
#include <cmath>

#if defined(__FAST_MATH__)
#error "The TSC calculation must not be built with -ffast-math: it changes the results."
#endif

#if LDBL_MANT_DIG != 64 || LDBL_MAX_EXP != 16384
#error "The TSC calculation needs long double in the x87 extended format (64-bit significand)."
#endif

namespace tsc {

using Extended = long double;

inline Extended Widen(double value) { return static_cast<Extended>(value); }

inline double Narrow(Extended value) { return static_cast<double>(value); }

// exp of the argument rounded to binary64; the result joins the expression
// unrounded.
inline Extended ExpOf(Extended argument) { return Widen(std::exp(Narrow(argument))); }

}  // namespace tsc
