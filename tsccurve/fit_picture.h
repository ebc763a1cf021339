#pragma once

#include <string>
#include <vector>

#include "curve_fit.h"
#include "measured_curve.h"
#include "picture.h"

// The picture of a fit: the measured points and the fitted curve above, the
// residuals beneath, and `caption` (the fitted values with their errors, one
// line each) in the upper chart's corner. Currents are shown in the unit
// (aA to mA) that puts the largest measured one between 1 and 1000.
tsc::picture::Picture FitPicture(const tsc::analysis::MeasuredCurve& curve,
                                 const tsc::analysis::FitResult& fit,
                                 const std::vector<std::string>& caption);
