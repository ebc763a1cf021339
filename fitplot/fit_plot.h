#pragma once

#include <string>
#include <vector>

#include "curve_fit.h"
#include "measured_curve.h"

// The picture of a fit: the measured points and the fitted curve above, the
// residuals below, and `caption` (the fitted values with their errors, one
// line each) in the upper chart's corner. Drawn with Qt Charts without a
// display, into a PNG file. Returns an empty string on success, otherwise
// why the picture could not be written.
std::string WriteFitPlot(const tsc::analysis::MeasuredCurve& curve,
                         const tsc::analysis::FitResult& fit,
                         const std::vector<std::string>& caption, const std::string& fileName);
