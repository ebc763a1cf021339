#include "joint_picture.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "value_axis.h"
#include "value_text.h"

namespace {

using namespace tsc::picture;
using namespace tsc::analysis;

constexpr int kWidth = 1000;
constexpr int kUpperHeight = 560;
constexpr int kLowerHeight = 260;
constexpr Colour kGrey{160, 160, 164};
// Viridis at even steps: ordered in lightness, so that the rates read in
// order, and told apart by readers with red-green blindness.
constexpr Colour kRateColours[] = {{68, 1, 84},   {59, 82, 139},  {33, 145, 140},
                                   {94, 201, 98}, {253, 231, 37}, {190, 150, 20}};

// The chart takes spans below 1e-12 for none at all: currents in the unit
// (aA to mA) that puts the largest between 1 and 1000.
std::pair<double, std::string> UnitFor(const JointFit& fit, bool amperes) {
    if (!amperes) return {1, ""};
    double largest = 0;
    for (const auto& y : fit.measured) {
        for (const double v : y) largest = std::max(largest, std::fabs(v));
    }
    static constexpr std::pair<double, const char*> kUnits[] = {
        {1e18, "aA"}, {1e15, "fA"}, {1e12, "pA"}, {1e9, "nA"}, {1e6, "µA"}, {1e3, "mA"}};
    for (const auto& [perAmpere, name] : kUnits) {
        if (largest * perAmpere < 1000) return {perAmpere, name};
    }
    return {1, "A"};
}

// The measured points halfway to white, beneath the fitted line's colour.
Colour Paler(Colour c) {
    const auto half = [](std::uint8_t v) { return static_cast<std::uint8_t>(v + (255 - v) / 2); };
    return {half(c.red), half(c.green), half(c.blue)};
}

std::vector<double> Scaled(std::vector<double> values, double factor) {
    for (double& v : values) v *= factor;
    return values;
}

std::vector<std::string> Caption(const JointFit& fit, const JointDescription& d) {
    std::vector<std::string> lines;
    lines.push_back(std::to_string(fit.curves.size()) + " curves, " + SharedNames(d) +
                    " shared, FOM = " + Significant(fit.statistics.fomPercent, 3) + " %");
    for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
        const FittedPeak& p = fit.peaks[k];
        std::string line = (fit.peaks.size() > 1 ? std::to_string(k + 1) + ": " : "");
        if (p.verdict == PeakVerdict::RanAway) {
            line += "ran away";
        } else {
            line += "Et = " + WithError(p.Et, " eV") + ", νt = " + WithError(p.Vt, " Hz");
            if (p.b.fitted) line += ", b = " + WithError(p.b, "");
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

Picture JointPicture(const JointFit& fit, const JointDescription& d) {
    const auto [perAmpere, unit] = UnitFor(fit, d.curves.front().areaMm2.has_value());
    const std::string inUnit = unit.empty() ? "" : " (" + unit + ")";
    // By heating rate, slowest first, for the colours.
    std::vector<std::size_t> order(fit.curves.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return d.curves[a].beta.kPerMin < d.curves[b].beta.kPerMin;
    });
    double Tlow = INFINITY, Thigh = -INFINITY, low = INFINITY, high = -INFINITY;
    double rlow = 0, rhigh = 0;
    Chart upper{.title = "Measured curves and their joint fit",
                .caption = Caption(fit, d),
                .share = kUpperHeight};
    Chart lower{.legend = false, .share = kLowerHeight};
    std::vector<Series> fits;
    for (std::size_t rank = 0; rank < order.size(); ++rank) {
        const std::size_t c = order[rank];
        const SpectrumFit& curve = fit.curves[c];
        const Colour colour = kRateColours[std::min(
            rank * (std::size(kRateColours) - 1) / std::max<std::size_t>(order.size() - 1, 1),
            std::size(kRateColours) - 1)];
        const std::vector<double> y = Scaled(fit.measured[c], perAmpere);
        const std::vector<double> f = Scaled(curve.fitted, perAmpere);
        std::vector<double> residual(y.size());
        for (std::size_t i = 0; i < y.size(); ++i) residual[i] = y[i] - f[i];
        Tlow = std::min(Tlow, curve.T.front());
        Thigh = std::max(Thigh, curve.T.back());
        for (const auto* values : {&y, &f}) {
            low = std::min(low, *std::min_element(values->begin(), values->end()));
            high = std::max(high, *std::max_element(values->begin(), values->end()));
        }
        rlow = std::min(rlow, *std::min_element(residual.begin(), residual.end()));
        rhigh = std::max(rhigh, *std::max_element(residual.begin(), residual.end()));
        const std::string rate = RateText(d.curves[c].beta);
        const double size = y.size() > 400 ? 3.0 : 5.0;
        upper.series.push_back({.kind = SeriesKind::Points,
                                .name = "measured, " + rate,
                                .colour = Paler(colour),
                                .size = size,
                                .x = curve.T,
                                .y = y});
        fits.push_back({.name = "fit, " + rate, .colour = colour, .size = 2, .x = curve.T, .y = f});
        lower.series.push_back({.kind = SeriesKind::Points,
                                .colour = Paler(colour),
                                .size = size,
                                .x = curve.T,
                                .y = residual});
    }
    // The fits over every curve's points, so that none hides under them.
    upper.series.insert(upper.series.end(), fits.begin(), fits.end());
    const Axis temperature{.title = "T (K)", .min = Tlow, .max = Thigh, .rounded = true};
    upper.x = temperature;
    upper.y = ValueAxis("I" + inUnit, low, high);
    lower.x = temperature;
    lower.y = ValueAxis("residual" + inUnit, rlow, rhigh);
    lower.series.push_back({.colour = kGrey, .size = 1, .x = {Tlow, Thigh}, .y = {0.0, 0.0}});
    return {.width = kWidth,
            .height = kUpperHeight + kLowerHeight,
            .arrangement = Arrangement::Stacked,
            .charts = {upper, lower}};
}
