#include "fit_picture.h"

#include <algorithm>
#include <cmath>

#include "value_axis.h"
#include "value_text.h"

namespace {

using namespace tsc::picture;
using namespace tsc::analysis;

constexpr int kWidth = 1000;
constexpr int kUpperHeight = 560;
constexpr int kLowerHeight = 260;
// Of the upper chart's current range, the room one line of the caption needs.
constexpr double kCaptionLineShare = 0.06;
constexpr Colour kMeasuredBlue{40, 90, 200};
constexpr Colour kFittedRed{210, 40, 30};
constexpr Colour kGrey{160, 160, 164};
// The peaks' colours, told apart also by readers with red-green blindness,
// none of them the measured points' blue or the sum's red.
constexpr Colour kPeakColours[] = {{230, 159, 0},  {0, 158, 115},  {204, 121, 167},
                                   {86, 180, 233}, {213, 94, 0},   {0, 114, 178},
                                   {120, 120, 40}, {140, 80, 200}, {60, 60, 60}};

// The chart takes spans below 1e-12 for none at all, and pA reads better
// than 1e-12 A anyway.
struct CurrentUnit {
    double perAmpere;
    const char* name;
};

CurrentUnit UnitFor(const std::vector<double>& currents, bool amperes) {
    if (!amperes) return {1, ""};
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

// The span of both.
Axis Padded(const std::string& title, const std::vector<double>& a, const std::vector<double>& b) {
    double low = *std::min_element(a.begin(), a.end());
    double high = *std::max_element(a.begin(), a.end());
    for (const double v : b) low = std::min(low, v), high = std::max(high, v);
    return ValueAxis(title, low, high);
}

Series Points(const std::vector<double>& x, const std::vector<double>& y, const std::string& name) {
    return {.kind = SeriesKind::Points,
            .name = name,
            .colour = kMeasuredBlue,
            .size = x.size() > 400 ? 3.0 : 5.0,
            .x = x,
            .y = y};
}

std::vector<std::string> Caption(const SpectrumFit& fit, const FitDescription& d,
                                 const std::string& unit) {
    std::vector<std::string> lines;
    const std::string statistics = "FOM = " + Significant(fit.statistics.fomPercent, 3) +
                                   " %, R² = " + Significant(fit.statistics.r2, 6);
    if (fit.peaks.size() == 1 && fit.peaks.front().verdict != PeakVerdict::RanAway) {
        const FittedPeak& p = fit.peaks.front();
        lines.push_back(std::string(ModelName(d.kinetics)) + " model, " +
                        std::to_string(fit.statistics.points) + " points");
        lines.push_back("Et = " + WithError(p.Et, " eV"));
        lines.push_back("νt = " + WithError(p.Vt, " Hz"));
        if (p.b.fitted) lines.push_back("b = " + WithError(p.b, ""));
        if (d.areaMm2) {
            Estimate Nt = p.charge;
            const double scale = DensityOfCharge(1, *d.areaMm2);
            Nt.value *= scale;
            Nt.stderr_ *= scale;
            lines.push_back("Nt = " + WithError(Nt, " cm⁻²"));
        }
        const FittedBackground& b = fit.background;
        if (b.constant.fitted) lines.push_back("background = " + WithError(b.constant, unit));
        if (b.slope.fitted) lines.push_back("slope = " + WithError(b.slope, unit + "/K"));
        lines.push_back("Tm = " + Significant(p.Tm.value, 6) +
                        " K, Im = " + Significant(p.Im.value, 4) + unit);
        lines.push_back(statistics);
        return lines;
    }
    lines.push_back(std::to_string(fit.peaks.size()) + " peaks, " + statistics);
    for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
        const FittedPeak& p = fit.peaks[k];
        std::string line = std::to_string(k + 1) + ": ";
        if (p.verdict == PeakVerdict::RanAway) {
            line += "ran away";
        } else {
            line += "Tm = " + Significant(p.Tm.value, 5) + " K, Et = " + WithError(p.Et, " eV");
            if (p.b.fitted) line += ", b = " + WithError(p.b, "");
        }
        lines.push_back(line);
    }
    return lines;
}

}  // namespace

Picture FitPicture(const MeasuredCurve& curve, const SpectrumFit& fit,
                   const FitDescription& description) {
    const CurrentUnit unit = UnitFor(curve.I, description.areaMm2.has_value());
    const std::vector<double> measured = Scaled(curve.I, unit.perAmpere);
    const std::vector<double> fitted = Scaled(fit.fitted, unit.perAmpere);
    std::vector<double> residuals(measured.size());
    for (std::size_t i = 0; i < residuals.size(); ++i) residuals[i] = measured[i] - fitted[i];
    const Axis temperature{
        .title = "T (K)", .min = curve.T.front(), .max = curve.T.back(), .rounded = true};
    const std::string inUnit = *unit.name ? std::string(" (") + unit.name + ")" : "";
    const std::string unitText = *unit.name ? std::string(" ") + unit.name : "";

    Chart upper{.title = fit.converged ? "Measured curve and fit"
                                       : "Measured curve; the fit did NOT converge",
                .x = temperature,
                .y = Padded("I" + inUnit, measured, fitted),
                .caption = Caption(fit, description, unitText),
                .share = kUpperHeight};
    // Room above the curve for the caption's lines, so that they cover no
    // peak's top.
    const double span = *upper.y.max - *upper.y.min;
    upper.y.max =
        *upper.y.max + span * kCaptionLineShare * static_cast<double>(upper.caption.size());
    upper.series.push_back(Points(curve.T, measured, "measured"));
    const bool components =
        fit.peaks.size() + (fit.background.kind != BackgroundKind::None ? 1 : 0) > 1;
    if (components) {
        for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
            upper.series.push_back({.name = "peak " + std::to_string(k + 1),
                                    .colour = kPeakColours[k % std::size(kPeakColours)],
                                    .size = 1.5,
                                    .x = curve.T,
                                    .y = Scaled(fit.peaks[k].current, unit.perAmpere)});
        }
        if (fit.background.kind != BackgroundKind::None) {
            upper.series.push_back({.name = "background",
                                    .colour = kGrey,
                                    .size = 1.5,
                                    .style = LineStyle::Dashed,
                                    .x = curve.T,
                                    .y = Scaled(fit.background.current, unit.perAmpere)});
        }
    }
    upper.series.push_back({.name = components ? "sum" : "fitted",
                            .colour = kFittedRed,
                            .size = 2,
                            .x = curve.T,
                            .y = fitted});

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
