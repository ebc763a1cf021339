#include "axis_scale.h"

#include <algorithm>
#include <cmath>

#include "number_text.h"

namespace {

// A small chart has room for about this many intervals between labels.
constexpr double kIntervals = 5;
// Ticks closer than this, relative to the values, would not be told apart
// by their labels.
constexpr double kFinestRelativeSpan = 1e-9;

}  // namespace

AxisScale NiceAxisScale(double low, double high) {
    if (!(low <= high) || !std::isfinite(low) || !std::isfinite(high)) {
        low = 0;
        high = 1;
    }
    const double magnitude = std::max(std::fabs(low), std::fabs(high));
    const double finest = std::max(magnitude * kFinestRelativeSpan, 1e-300);
    if (high - low < finest) {
        // One value gets a tenth of its size as room; a range too narrow to
        // label is widened to the narrowest that can be.
        const double middle = low / 2 + high / 2;
        const double half = low == high ? (magnitude == 0 ? 1 : magnitude / 20) : finest / 2;
        low = middle - half;
        high = middle + half;
    }
    // Half the span cannot overflow, whatever the limits.
    const double rawStep = (high / 2 - low / 2) / (kIntervals / 2);
    int exponent = static_cast<int>(std::floor(std::log10(rawStep)));
    const double mantissa = rawStep / std::pow(10.0, exponent);
    int multiple = mantissa <= 1 ? 1 : mantissa <= 2 ? 2 : mantissa <= 5 ? 5 : 10;
    if (multiple == 10) {
        multiple = 1;
        ++exponent;
    }
    const double unit = std::pow(10.0, exponent);
    const double step = multiple * unit;
    const auto first = static_cast<long long>(std::floor(low / step));
    const auto last = static_cast<long long>(std::ceil(high / step));

    AxisScale scale{
        unit, static_cast<double>(first * multiple), static_cast<double>(last * multiple), {}};
    for (long long k = first; k <= last; ++k) {
        const double position = static_cast<double>(k * multiple);
        // Rounding the top up may pass the largest number: no "INF" label.
        if (!std::isfinite(position * unit)) continue;
        scale.ticks.push_back({position, FloatToStr(position * unit)});
    }
    return scale;
}
