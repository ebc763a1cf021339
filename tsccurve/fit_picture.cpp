#include "fit_picture.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace tsc::picture;

constexpr int kWidth = 1000;
constexpr int kUpperHeight = 560;
constexpr int kLowerHeight = 260;
constexpr Colour kMeasuredBlue{40, 90, 200};
constexpr Colour kFittedRed{210, 40, 30};
constexpr Colour kGrey{160, 160, 164};

// The chart takes spans below 1e-12 for none at all, and pA reads better
// than 1e-12 A anyway.
struct CurrentUnit {
    double perAmpere;
    const char* name;
};

CurrentUnit UnitFor(const std::vector<double>& currents) {
    double largest = 0;
    for (const double i : currents) largest = std::max(largest, std::fabs(i));
    static constexpr CurrentUnit kUnits[] = {{1e18, "aA"}, {1e15, "fA"}, {1e12, "pA"},
                                             {1e9, "nA"},  {1e6, "µA"},  {1e3, "mA"}};
    for (const CurrentUnit& unit : kUnits) {
        if (largest * unit.perAmpere < 1000) return unit;
    }
    return {1, "A"};
}

std::vector<double> Scaled(std::vector<double> values, double factor) {
    for (double& v : values) v *= factor;
    return values;
}

// The span of both, with 5 % room either side.
Axis Padded(const std::string& title, const std::vector<double>& a, const std::vector<double>& b) {
    double low = *std::min_element(a.begin(), a.end());
    double high = *std::max_element(a.begin(), a.end());
    for (const double v : b) low = std::min(low, v), high = std::max(high, v);
    const double pad = high > low ? 0.05 * (high - low) : 1e-15;
    return {.title = title, .min = low - pad, .max = high + pad, .rounded = true};
}

Series Points(const std::vector<double>& x, const std::vector<double>& y, const std::string& name) {
    return {.kind = SeriesKind::Points,
            .name = name,
            .colour = kMeasuredBlue,
            .size = x.size() > 400 ? 3.0 : 5.0,
            .x = x,
            .y = y};
}

}  // namespace

Picture FitPicture(const tsc::analysis::MeasuredCurve& curve, const tsc::analysis::FitResult& fit,
                   const std::vector<std::string>& caption) {
    const CurrentUnit unit = UnitFor(curve.I);
    const std::vector<double> measured = Scaled(curve.I, unit.perAmpere);
    const std::vector<double> fitted = Scaled(fit.fitted, unit.perAmpere);
    std::vector<double> residuals(measured.size());
    for (std::size_t i = 0; i < residuals.size(); ++i) residuals[i] = measured[i] - fitted[i];
    const Axis temperature{.title = "T (K)", .min = curve.T.front(), .max = curve.T.back()};
    const std::string inUnit = std::string(" (") + unit.name + ")";

    Chart upper{.title = fit.converged ? "Measured curve and fit"
                                       : "Measured curve; the fit did NOT converge",
                .x = temperature,
                .y = Padded("I" + inUnit, measured, fitted),
                .caption = caption,
                .share = kUpperHeight};
    upper.series.push_back(Points(curve.T, measured, "measured"));
    upper.series.push_back(
        {.name = "fitted", .colour = kFittedRed, .size = 2, .x = curve.T, .y = fitted});

    Chart lower{.x = temperature,
                .y = Padded("residual" + inUnit, residuals, {0.0}),
                .legend = false,
                .share = kLowerHeight};
    lower.series.push_back(Points(curve.T, residuals, "residual"));
    lower.series.push_back(
        {.colour = kGrey, .size = 1, .x = {curve.T.front(), curve.T.back()}, .y = {0.0, 0.0}});

    return {.width = kWidth,
            .height = kUpperHeight + kLowerHeight,
            .arrangement = Arrangement::Stacked,
            .charts = {upper, lower}};
}
