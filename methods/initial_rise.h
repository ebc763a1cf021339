#pragma once

#include <span>

#include "method_refusal.h"
#include "peak_location.h"

namespace tsc::analysis {

// The part of the rising side used, as fractions of the peak current.
struct RiseWindow {
    double low = 0.01;
    double high = 0.10;
};

inline constexpr int kMinimumRisePoints = 5;

// Et = −k·slope of ln I against 1/T, over the samples before the peak whose
// current lies inside the window. The line is kept for drawing it.
struct InitialRise {
    double Et = 0;        // eV
    double stderrEt = 0;  // eV
    int points = 0;
    double slope = 0;      // of ln(I/A) against 1/T, K
    double intercept = 0;  // ln(I/A) at 1/T = 0
    double firstT = 0;     // K, the coldest and warmest point used
    double lastT = 0;
};

// Refuses, rather than widen the window, when fewer than kMinimumRisePoints
// temperatures fall inside it (samples at one temperature count once).
// `points` counts every sample used.
Outcome<InitialRise> InitialRiseMethod(std::span<const double> temperature,
                                       std::span<const double> current, const PeakLocation& peak,
                                       RiseWindow window);

}  // namespace tsc::analysis
