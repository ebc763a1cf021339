#pragma once

#include <span>
#include <vector>

namespace tsc::analysis {

// ∫ y dT from each sample's temperature to the last one, by the trapezoid rule
// on the samples as they are spaced (samples at one temperature add nothing).
// The charge still to be released at T_i is this integral of the current
// divided by the heating rate in K/s.
//
// Summed from the end, each value is a sum over its own tail only: near the
// end of a peak, where little charge is left, it keeps its relative
// precision, which the total less a running sum from the start would lose.
std::vector<double> IntegralToEnd(std::span<const double> temperature, std::span<const double> y);

}  // namespace tsc::analysis
