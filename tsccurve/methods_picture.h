#pragma once

#include <span>

#include "curve_methods.h"
#include "picture.h"

// The picture of the classic methods on one curve, side by side: the initial
// rise (ln I against 1000/T on the rising side, the window's points marked
// and the fitted line through them), the curve with Tm, T1 and T2 marked,
// and the whole-curve method (ln(Q/I) against 1000/T, its points and line).
tsc::picture::Picture MethodsPicture(std::span<const double> temperature,
                                     std::span<const double> current,
                                     const tsc::analysis::CurveMethods& methods,
                                     tsc::analysis::RiseWindow window, double betaKPerMin);
