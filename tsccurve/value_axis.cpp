#include "value_axis.h"

#include <algorithm>

tsc::picture::Axis ValueAxis(const std::string& title, double low, double high) {
    const double pad = high > low ? 0.05 * (high - low) : 1e-15;
    const double bottom = low >= 0 ? std::max(low - pad, 0.0) : low - pad;
    return {.title = title, .min = bottom, .max = high + pad, .rounded = true};
}
