#pragma once

#include <string>
#include <vector>

#include "curve_fit.h"
#include "measured_curve.h"

// Whether this tsccurve can draw the picture of a fit (it is built with the
// window program's chart library).
bool PlotAvailable();

// Writes the picture; returns why it could not, or an empty string.
std::string PlotFit(const tsc::analysis::MeasuredCurve& curve, const tsc::analysis::FitResult& fit,
                    const std::vector<std::string>& caption, const std::string& fileName);
