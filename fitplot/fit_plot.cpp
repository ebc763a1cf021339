#include "fit_plot.h"

#include <QChart>
#include <QChartView>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <optional>

#include "offscreen_application.h"

namespace {

constexpr int kWidth = 1000;
constexpr int kUpperHeight = 560;
constexpr int kLowerHeight = 260;

QScatterSeries* Points(const std::vector<double>& x, const std::vector<double>& y,
                       const QString& name, QColor colour) {
    auto* series = new QScatterSeries;
    series->setName(name);
    series->setMarkerSize(x.size() > 400 ? 3 : 5);
    series->setColor(colour);
    series->setBorderColor(colour);
    for (std::size_t i = 0; i < x.size(); ++i) series->append(x[i], y[i]);
    return series;
}

QValueAxis* Axis(QChart* chart, Qt::Alignment where, const QString& title, double low,
                 double high) {
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setRange(low, high);
    if (where == Qt::AlignLeft) {
        axis->applyNiceNumbers();
        axis->setLabelFormat("%.3g");
    }
    chart->addAxis(axis, where);
    return axis;
}

void Attach(QChart* chart, QAbstractSeries* series, QValueAxis* x, QValueAxis* y) {
    chart->addSeries(series);
    series->attachAxis(x);
    series->attachAxis(y);
}

// Currents are drawn in the unit that puts the largest near 1 to 1000: the
// chart takes spans below 1e-12 for none at all, and pA reads better than
// 1e-12 A anyway.
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

std::pair<double, double> Padded(const std::vector<double>& a, const std::vector<double>& b) {
    double low = *std::min_element(a.begin(), a.end());
    double high = *std::max_element(a.begin(), a.end());
    for (const double v : b) low = std::min(low, v), high = std::max(high, v);
    const double pad = high > low ? 0.05 * (high - low) : 1e-15;
    return {low - pad, high + pad};
}

QImage Draw(const tsc::analysis::MeasuredCurve& curve, const tsc::analysis::FitResult& fit,
            const std::vector<std::string>& caption) {
    const CurrentUnit unit = UnitFor(curve.I);
    const std::vector<double> measured = Scaled(curve.I, unit.perAmpere);
    const std::vector<double> fitted = Scaled(fit.fitted, unit.perAmpere);
    std::vector<double> residuals(measured.size());
    for (std::size_t i = 0; i < residuals.size(); ++i) residuals[i] = measured[i] - fitted[i];
    const double Tlow = curve.T.front(), Thigh = curve.T.back();

    QWidget page;
    page.setAttribute(Qt::WA_DontShowOnScreen);
    page.setFixedSize(kWidth, kUpperHeight + kLowerHeight);
    auto* layout = new QVBoxLayout(&page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* upper = new QChart;
    upper->setTitle(fit.converged ? "Measured curve and fit"
                                  : "Measured curve; the fit did NOT converge");
    const auto [Ilow, Ihigh] = Padded(measured, fitted);
    QValueAxis* x = Axis(upper, Qt::AlignBottom, "T (K)", Tlow, Thigh);
    QValueAxis* y = Axis(upper, Qt::AlignLeft, QString("I (%1)").arg(unit.name), Ilow, Ihigh);
    Attach(upper, Points(curve.T, measured, "measured", QColor(40, 90, 200)), x, y);
    auto* line = new QLineSeries;
    line->setName("fitted");
    line->setPen(QPen(QColor(210, 40, 30), 2));
    for (std::size_t i = 0; i < curve.T.size(); ++i) line->append(curve.T[i], fitted[i]);
    Attach(upper, line, x, y);

    auto* lower = new QChart;
    lower->legend()->hide();
    const auto [Rlow, Rhigh] = Padded(residuals, {0.0});
    QValueAxis* rx = Axis(lower, Qt::AlignBottom, "T (K)", Tlow, Thigh);
    QValueAxis* ry =
        Axis(lower, Qt::AlignLeft, QString("residual (%1)").arg(unit.name), Rlow, Rhigh);
    Attach(lower, Points(curve.T, residuals, "residual", QColor(40, 90, 200)), rx, ry);
    auto* zero = new QLineSeries;
    zero->append(Tlow, 0);
    zero->append(Thigh, 0);
    zero->setPen(QPen(Qt::gray, 1));
    Attach(lower, zero, rx, ry);

    auto* upperView = new QChartView(upper, &page);
    auto* lowerView = new QChartView(lower, &page);
    upperView->setRenderHint(QPainter::Antialiasing);
    lowerView->setRenderHint(QPainter::Antialiasing);
    layout->addWidget(upperView, kUpperHeight);
    layout->addWidget(lowerView, kLowerHeight);
    page.show();
    QCoreApplication::processEvents();

    QImage image(page.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    page.render(&painter);

    // The fitted values in the plot area's upper right corner.
    QStringList lines;
    for (const std::string& text : caption) lines << QString::fromStdString(text);
    const QFontMetrics metrics(painter.font());
    const QRect text =
        metrics.boundingRect(QRect(0, 0, kWidth, kUpperHeight), Qt::AlignLeft, lines.join('\n'));
    const QRectF plot = upper->plotArea();
    const QRect box(static_cast<int>(plot.right()) - text.width() - 18,
                    static_cast<int>(plot.top()) + 8, text.width() + 12, text.height() + 8);
    painter.fillRect(box, QColor(255, 255, 255, 225));
    painter.setPen(Qt::black);
    painter.drawRect(box);
    painter.drawText(box.adjusted(6, 4, -6, -4), Qt::AlignLeft, lines.join('\n'));
    painter.end();
    return image;
}

}  // namespace

std::string WriteFitPlot(const tsc::analysis::MeasuredCurve& curve,
                         const tsc::analysis::FitResult& fit,
                         const std::vector<std::string>& caption, const std::string& fileName) {
    if (!QString::fromStdString(fileName).endsWith(".png", Qt::CaseInsensitive)) {
        return fileName + ": the picture is written as PNG only; give a name ending in .png";
    }
    if (curve.T.empty() || fit.fitted.size() != curve.T.size()) {
        return fileName + ": there is no fitted curve to draw";
    }
    const OffscreenApplication application;
    const QImage image = Draw(curve, fit, caption);
    if (!image.save(QString::fromStdString(fileName), "PNG")) {
        return fileName + ": the picture cannot be written there";
    }
    return {};
}
