#pragma once

#include <cstddef>
#include <span>

#include "method_refusal.h"

namespace tsc::analysis {

// The peak of a sampled curve from a local fit, so that it lies between
// samples and the noise of single samples averages out.
struct PeakLocation {
    double Tm = 0;                // K
    double Im = 0;                // A
    std::size_t sampleIndex = 0;  // the largest sample
    int pointsUsed = 0;
};

// Fits a quartic in ln I against T over the points around the largest sample
// that lie above 80 % of it. A parabola would not do: a first-order peak falls
// faster than it rises, and a parabola's vertex lands a fraction of a kelvin
// on the low side. A cubic still lands a hundredth of a kelvin low on a broad
// deep-trap peak; the quartic stays within a few thousandths. It needs six
// different temperatures among those points. `temperature` does not
// decrease (samples may share a temperature); both spans have the same size.
Outcome<PeakLocation> LocatePeak(std::span<const double> temperature,
                                 std::span<const double> current);

}  // namespace tsc::analysis
