#include "methods_picture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "remaining_charge.h"

using namespace tsc::analysis;
using namespace tsc::picture;

namespace {

constexpr Colour kGrey{160, 160, 164};
constexpr Colour kRed{255, 0, 0};
constexpr Colour kGreen{0, 130, 0};
constexpr Colour kBlue{0, 60, 160};

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Fixed(double value, int digits = 2) {
    return Format(("%." + std::to_string(digits) + "f").c_str(), value);
}

Series Line(const std::string& name, std::vector<double> x, std::vector<double> y, Colour colour,
            LineStyle style = LineStyle::Solid) {
    return {.name = name, .colour = colour, .size = 2, .style = style, .x = x, .y = y};
}

Chart InitialRiseChart(std::span<const double> T, std::span<const double> I,
                       const CurveMethods& methods, RiseWindow window) {
    Chart chart{.x = {.title = "1000 K / T", .rounded = true},
                .y = {.title = "ln(I / A)", .rounded = true}};
    const PeakLocation* peak = Applied(methods.peak);
    const InitialRise* rise = Applied(methods.initialRise);
    Series rising = Line("rising side", {}, {}, kGrey);
    Series inside{.kind = SeriesKind::Points,
                  .name = "window " + Format("%g", 100 * window.low) + "–" +
                          Format("%g", 100 * window.high) + " % of Im",
                  .colour = kGreen,
                  .size = 4};
    for (std::size_t i = 0; peak && i < peak->sampleIndex; ++i) {
        if (!(I[i] > 0)) continue;
        const double fraction = I[i] / peak->Im;
        Series& to = fraction >= window.low && fraction <= window.high ? inside : rising;
        to.x.push_back(1000 / T[i]);
        to.y.push_back(std::log(I[i]));
    }
    chart.series.push_back(rising);
    chart.title = "Initial rise";
    if (rise) {
        const auto lnI = [&](double t) { return rise->intercept + rise->slope / t; };
        // Drawn across the whole rising side, so that it shows where the
        // curve leaves the straight line.
        const double coldest = T.front(), warmest = T[peak->sampleIndex];
        chart.series.push_back(Line("fitted line", {1000 / coldest, 1000 / warmest},
                                    {lnI(coldest), lnI(warmest)}, kRed));
        chart.title += ": Et = " + Fixed(rise->Et, 4) + " ± " + Format("%.2g", rise->stderrEt) +
                       " eV, " + std::to_string(rise->points) + " points";
    } else if (const MethodRefusal* refusal = Refused(methods.initialRise)) {
        chart.title += ": " + DescribeRefusal(*refusal);
    }
    // Drawn last, over the line.
    chart.series.push_back(inside);
    return chart;
}

Chart PeakShapeChart(std::span<const double> T, std::span<const double> I,
                     const CurveMethods& methods) {
    Chart chart{.title = "Peak",
                .x = {.title = "T (K)", .rounded = true},
                .y = {.title = "I (A)", .rounded = true}};
    chart.series.push_back(Line("measured", {T.begin(), T.end()}, {I.begin(), I.end()}, kBlue));
    if (const PeakLocation* peak = Applied(methods.peak)) {
        chart.series.push_back(Line("Tm = " + Fixed(peak->Tm) + " K", {peak->Tm, peak->Tm},
                                    {0, peak->Im}, kRed, LineStyle::Dashed));
        for (const auto& [name, outcome] : {std::pair{"T1", &methods.T1}, {"T2", &methods.T2}}) {
            if (const double* t = Applied(*outcome)) {
                chart.series.push_back(Line(std::string(name) + " = " + Fixed(*t) + " K", {*t, *t},
                                            {0, peak->Im / 2}, kGreen, LineStyle::DashDotted));
            }
        }
        chart.title += ": Tm = " + Fixed(peak->Tm) + " K, Im = " + Format("%.3e", peak->Im) + " A";
        if (const PeakWidths* widths = Applied(methods.widths))
            chart.title += ", μg = " + Fixed(widths->muG, 3);
    } else if (const MethodRefusal* refusal = Refused(methods.peak)) {
        chart.title += ": " + DescribeRefusal(*refusal);
    }
    // From zero, or below where noise takes the current negative.
    double lowest = 0;
    for (const Series& series : chart.series) {
        for (const double y : series.y) lowest = std::min(lowest, y);
    }
    chart.y.min = lowest;
    return chart;
}

// ln(Q/I) against 1/T, where Q is the charge still to be released: the points
// the method used, the others of the peak, and its line.
Chart WholeCurveChart(std::span<const double> T, std::span<const double> I,
                      const CurveMethods& methods, double betaKPerMin) {
    Chart chart{.title = "Whole curve",
                .x = {.title = "1000 K / T", .rounded = true},
                .y = {.title = "ln(Q / I / s)", .rounded = true}};
    const WholeCurve* whole = Applied(methods.wholeCurve);
    const PeakLocation* peak = Applied(methods.peak);
    // Q = (integral of I dT to the end) / beta, in A s with beta in K/s.
    const std::vector<double> toEnd = IntegralToEnd(T, I);
    const double beta = betaKPerMin / 60;
    Series others = Line("others", {}, {}, kGrey);
    others.kind = SeriesKind::Points;
    others.size = 3;
    Series used{.kind = SeriesKind::Points, .name = "used", .colour = kGreen, .size = 4};
    for (std::size_t i = 0; peak && i < T.size(); ++i) {
        if (!(I[i] > 0.01 * peak->Im && toEnd[i] > 0)) continue;
        const bool inside = whole && T[i] >= whole->firstT && T[i] <= whole->lastT;
        Series& to = inside ? used : others;
        to.x.push_back(1000 / T[i]);
        to.y.push_back(std::log(toEnd[i] / beta / I[i]));
    }
    if (whole) {
        const double a = 1 / whole->firstT, b = 1 / whole->lastT;
        chart.series.push_back(others);
        chart.series.push_back(used);
        chart.series.push_back(
            Line("fitted line", {1000 * a, 1000 * b},
                 {whole->intercept + whole->slope * a, whole->intercept + whole->slope * b}, kRed));
        chart.title += ": Et = " + Fixed(whole->Et.value, 4) + " eV, R² = " + Fixed(whole->r2, 5);
    } else {
        chart.series.push_back(others);
        if (const MethodRefusal* refusal = Refused(methods.wholeCurve)) {
            chart.title += ": " + DescribeRefusal(*refusal);
        }
        chart.series.push_back(used);
    }
    return chart;
}

}  // namespace

Picture MethodsPicture(std::span<const double> temperature, std::span<const double> current,
                       const CurveMethods& methods, RiseWindow window, double betaKPerMin) {
    // The margins and spacing a window's row of two views has by default.
    return {.width = 2100,
            .height = 560,
            .arrangement = Arrangement::SideBySide,
            .margin = 11,
            .spacing = 6,
            .charts = {InitialRiseChart(temperature, current, methods, window),
                       PeakShapeChart(temperature, current, methods),
                       WholeCurveChart(temperature, current, methods, betaKPerMin)}};
}
