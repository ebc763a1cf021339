#include "methods_plot.h"

#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QPixmap>
#include <QScatterSeries>
#include <QValueAxis>
#include <QWidget>
#include <cmath>
#include <cstdio>
#include <memory>

#include "offscreen_application.h"

using namespace tsc::analysis;

namespace {

constexpr int kWidth = 1400, kHeight = 560;

QString Number(double value, int digits = 2) { return QString::number(value, 'f', digits); }

void AddAxes(QChart* chart, const QString& xTitle, const QString& yTitle) {
    auto* x = new QValueAxis(chart);
    auto* y = new QValueAxis(chart);
    x->setTitleText(xTitle);
    y->setTitleText(yTitle);
    y->setLabelFormat("%.3g");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(x);
        series->attachAxis(y);
    }
    x->applyNiceNumbers();
}

void Line(QChart* chart, const QString& name, QList<QPointF> points, QColor colour,
          Qt::PenStyle style = Qt::SolidLine) {
    auto* series = new QLineSeries(chart);
    series->setName(name);
    series->append(points);
    series->setPen(QPen(colour, 2, style));
    chart->addSeries(series);
}

// ln I against 1000/T on the rising side; the window's points drawn apart
// and the fitted line through them.
QChart* InitialRiseChart(std::span<const double> T, std::span<const double> I,
                         const CurveMethods& methods, RiseWindow window) {
    auto* chart = new QChart;
    const PeakLocation* peak = Applied(methods.peak);
    const InitialRise* rise = Applied(methods.initialRise);
    QList<QPointF> rising, inside;
    for (std::size_t i = 0; peak && i < peak->sampleIndex; ++i) {
        if (!(I[i] > 0)) continue;
        const QPointF point(1000 / T[i], std::log(I[i]));
        const double fraction = I[i] / peak->Im;
        (fraction >= window.low && fraction <= window.high ? inside : rising).append(point);
    }
    Line(chart, "rising side", rising, Qt::gray);
    QString title = "Initial rise";
    if (rise) {
        const auto lnI = [&](double t) { return rise->intercept + rise->slope / t; };
        // Drawn across the whole rising side, so that it shows where the
        // curve leaves the straight line.
        const double coldest = T.front(), warmest = T[peak->sampleIndex];
        Line(chart, "fitted line", {{1000 / coldest, lnI(coldest)}, {1000 / warmest, lnI(warmest)}},
             Qt::red);
        title += QString(": Et = %1 ± %2 eV, %3 points")
                     .arg(Number(rise->Et, 4), QString::number(rise->stderrEt, 'g', 2))
                     .arg(rise->points);
    } else if (const MethodRefusal* refusal = Refused(methods.initialRise)) {
        title += ": " + QString::fromStdString(DescribeRefusal(*refusal));
    }
    // Drawn last, over the line.
    auto* marked = new QScatterSeries(chart);
    marked->setName(QString("window %1–%2 % of Im").arg(100 * window.low).arg(100 * window.high));
    marked->setMarkerSize(4);
    marked->setColor(QColor(0, 130, 0));
    marked->setBorderColor(QColor(0, 130, 0));
    marked->append(inside);
    chart->addSeries(marked);
    chart->setTitle(title);
    AddAxes(chart, "1000 K / T", "ln(I / A)");
    return chart;
}

// The curve with vertical marks at Tm, T1 and T2 and the half-intensity level.
QChart* PeakShapeChart(std::span<const double> T, std::span<const double> I,
                       const CurveMethods& methods) {
    auto* chart = new QChart;
    QList<QPointF> curve;
    for (std::size_t i = 0; i < T.size(); ++i) curve.append({T[i], I[i]});
    Line(chart, "measured", curve, QColor(0, 60, 160));
    QString title = "Peak";
    if (const PeakLocation* peak = Applied(methods.peak)) {
        Line(chart, "Tm = " + Number(peak->Tm) + " K", {{peak->Tm, 0}, {peak->Tm, peak->Im}},
             Qt::red, Qt::DashLine);
        for (const auto& [name, outcome] : {std::pair{"T1", &methods.T1}, {"T2", &methods.T2}}) {
            if (const double* t = Applied(*outcome)) {
                Line(chart, QString(name) + " = " + Number(*t) + " K",
                     {{*t, 0}, {*t, peak->Im / 2}}, QColor(0, 130, 0), Qt::DashDotLine);
            }
        }
        title += QString(": Tm = %1 K, Im = %2 A").arg(Number(peak->Tm)).arg(peak->Im, 0, 'e', 3);
        if (const PeakWidths* widths = Applied(methods.widths))
            title += ", μg = " + Number(widths->muG, 3);
    } else if (const MethodRefusal* refusal = Refused(methods.peak)) {
        title += ": " + QString::fromStdString(DescribeRefusal(*refusal));
    }
    chart->setTitle(title);
    AddAxes(chart, "T (K)", "I (A)");
    // From zero, or below where noise takes the current negative.
    auto* y = static_cast<QValueAxis*>(chart->axes(Qt::Vertical).front());
    y->setMin(std::min(0.0, y->min()));
    return chart;
}

}  // namespace

std::optional<std::string> WriteMethodsPlot(const std::string& path,
                                            std::span<const double> temperature,
                                            std::span<const double> current,
                                            const CurveMethods& methods, RiseWindow window) {
    const OffscreenApplication application;

    QWidget canvas;
    auto* layout = new QHBoxLayout(&canvas);
    for (QChart* chart : {InitialRiseChart(temperature, current, methods, window),
                          PeakShapeChart(temperature, current, methods)}) {
        auto* view = new QChartView(chart, &canvas);
        view->setRenderHint(QPainter::Antialiasing);
        layout->addWidget(view);
    }
    canvas.resize(kWidth, kHeight);
    layout->activate();
    const QPixmap picture = canvas.grab();
    if (!picture.save(QString::fromStdString(path), "PNG"))
        return "cannot write the plot to " + path;
    return std::nullopt;
}
