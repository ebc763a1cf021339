#include "plot_style.h"

#include <QAbstractAxis>
#include <QChart>
#include <QGraphicsLayout>
#include <QLegend>
#include <QValueAxis>
#include <array>
#include <cmath>

#include "evaluation_text.h"
#include "font_substitutes.h"

namespace {

constexpr int kChartFontHeight = 12;

}  // namespace

QColor PeakColour(int k) {
    // Distinct in hue and lightness, none of them the measurement's grey,
    // the sum's black or the markers' magenta.
    static const std::array<QColor, 10> colours = {
        QColor(31, 119, 180),  QColor(214, 39, 40),  QColor(44, 160, 44), QColor(255, 127, 14),
        QColor(148, 103, 189), QColor(23, 190, 207), QColor(140, 86, 75), QColor(188, 189, 34),
        QColor(0, 0, 128),     QColor(128, 128, 0)};
    return colours[static_cast<std::size_t>(k) % colours.size()];
}

CurrentUnit UnitForCurrents(double largest) {
    struct Step {
        double scale;
        const char* name;
    };
    static const Step steps[] = {{1, "A"},    {1e3, "mA"},  {1e6, "µA"},
                                 {1e9, "nA"}, {1e12, "pA"}, {1e15, "fA"}};
    if (!(largest > 0) || !std::isfinite(largest)) return {};
    for (const Step& step : steps) {
        if (largest * step.scale >= 1) return {step.scale, Ja(step.name)};
    }
    return {steps[std::size(steps) - 1].scale, Ja(steps[std::size(steps) - 1].name)};
}

double RoundTickStep(double span, int ticks) {
    if (!(span > 0) || !std::isfinite(span) || ticks < 1) return 1;
    const double raw = span / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0}) {
        if (m * power >= raw) return m * power;
    }
    return 10 * power;
}

void ShowRoundTicks(QValueAxis* axis, double low, double high, int ticks) {
    axis->setRange(low, high);
    const double step = RoundTickStep(high - low, ticks);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(std::floor(low / step) * step);
    axis->setTickInterval(step);
}

void StyleChart(QChart* chart, bool legend) {
    chart->setBackgroundRoundness(0);
    chart->setDropShadowEnabled(false);
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setMargins(QMargins(4, 4, 12, 4));
    const QFont font = DesignFont(kChartFontFamily, kChartFontHeight);
    chart->legend()->setFont(font);
    chart->legend()->setLabelColor(Qt::black);
    chart->legend()->setVisible(legend);
    chart->legend()->setAlignment(Qt::AlignTop);
}

void StyleAxis(QAbstractAxis* axis, const QString& title) {
    const QFont font = DesignFont(kChartFontFamily, kChartFontHeight);
    axis->setLabelsFont(font);
    axis->setLabelsBrush(Qt::black);
    axis->setTitleFont(font);
    axis->setTitleBrush(Qt::black);
    axis->setTitleText(title);
}
