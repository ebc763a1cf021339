#pragma once

#include <cstddef>
#include <span>
#include <vector>

// The measured curve smoothed by local quadratic regression: at each point a
// parabola is fitted, with tricube weights, to the points within a half-width
// of it, and gives the smoothed value and its first and second derivatives.
// Unlike a moving average it keeps a peak's height and curvature, and it
// takes uneven temperature steps and repeated temperatures as they come.
namespace tsc::analysis {

struct SmoothedCurve {
    std::vector<double> value, slope, curvature;
    // The curvature's standard error per unit of the points' noise.
    std::vector<double> curvatureSpread;
    double noise = 0;                // the noise of one point, estimated over the curve
    std::vector<double> localNoise;  // ... and over the points around each
};

// `halfWidth` in kelvin, or `share` of the temperature where that is more
// (peaks widen in proportion to their temperature); at least the three
// nearest points on each side are used wherever there are that many.
SmoothedCurve SmoothCurve(std::span<const double> T, std::span<const double> y, double halfWidth,
                          double share = 0);

// The noise of one point, from the spread of the second differences: robust
// against the curve's own curvature and against outliers.
double EstimateNoise(std::span<const double> y);

// The median of the steps between successive distinct temperatures.
double MedianStep(std::span<const double> T);

// At most `bins` points, each the mean of successive points, for looking at
// a curve of a million points as quickly as at one of a thousand.
struct BinnedCurve {
    std::vector<double> T, y;
};
BinnedCurve Binned(std::span<const double> T, std::span<const double> y, std::size_t bins);

}  // namespace tsc::analysis
