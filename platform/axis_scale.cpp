#include "axis_scale.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "number_text.h"

namespace {

// A small chart has room for about this many intervals between labels.
constexpr double kIntervals = 5;
// Ticks closer than this, relative to the values, would not be told apart
// by their labels.
constexpr double kFinestRelativeSpan = 1e-9;

struct Span {
    double low, high;
};

// Data that cannot be drawn as they are made drawable: none spans 0 to 1,
// one value gets a tenth of its size as room, and a range too narrow to
// label is widened to the narrowest that can be.
Span Drawable(double low, double high) {
    if (!(low <= high) || !std::isfinite(low) || !std::isfinite(high)) return {0, 1};
    const double magnitude = std::max(std::fabs(low), std::fabs(high));
    const double finest = std::max(magnitude * kFinestRelativeSpan, 1e-300);
    if (high - low >= finest) return {low, high};
    const double middle = low / 2 + high / 2;
    const double half = low == high ? (magnitude == 0 ? 1 : magnitude / 20) : finest / 2;
    return {middle - half, middle + half};
}

// The ticks of a step of multiple * 10^exponent that cover the span.
AxisScale Scale(Span span, int exponent, int multiple) {
    const double unit = std::pow(10.0, exponent);
    const double step = multiple * unit;
    const auto first = static_cast<long long>(std::floor(span.low / step));
    const auto last = static_cast<long long>(std::ceil(span.high / step));

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

// Half the span cannot overflow, whatever the limits.
double HalfSpan(Span span) { return span.high / 2 - span.low / 2; }

}  // namespace

AxisScale NiceAxisScale(double low, double high) {
    const Span span = Drawable(low, high);
    const double rawStep = HalfSpan(span) / (kIntervals / 2);
    int exponent = static_cast<int>(std::floor(std::log10(rawStep)));
    const double mantissa = rawStep / std::pow(10.0, exponent);
    int multiple = mantissa <= 1 ? 1 : mantissa <= 2 ? 2 : mantissa <= 5 ? 5 : 10;
    if (multiple == 10) {
        multiple = 1;
        ++exponent;
    }
    return Scale(span, exponent, multiple);
}

AxisScale TightAxisScale(double low, double high, int mostIntervals) {
    const Span span = Drawable(low, high);
    const double intervals = std::max(mostIntervals, 2);
    // The finest step allowed lies between 10^exponent and 10^(exponent+1);
    // the steps from there up to 10^(exponent+2) hold the best.
    const double finestStep = HalfSpan(span) / (intervals / 2);
    const int exponent = static_cast<int>(std::floor(std::log10(finestStep)));
    AxisScale best{};
    double bestWidth = std::numeric_limits<double>::infinity();
    for (const int e : {exponent, exponent + 1, exponent + 2}) {
        for (const int multiple : {1, 2, 5}) {
            AxisScale scale = Scale(span, e, multiple);
            if (scale.high - scale.low > intervals * multiple) continue;
            // In units of the finest step, so that huge data cannot overflow.
            const double width = (scale.high - scale.low) * (scale.unit / finestStep);
            if (width < bestWidth * (1 - 1e-9)) {
                bestWidth = width;
                best = std::move(scale);
            }
        }
    }
    // Data near the largest number leave no finite width to compare.
    return best.ticks.size() >= 2 ? best : NiceAxisScale(low, high);
}
