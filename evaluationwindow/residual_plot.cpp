#include "residual_plot.h"

#include <QChart>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "curve_decimation.h"
#include "evaluation_text.h"
#include "fit_outcome.h"

TResidualPlot::TResidualPlot(QWidget* parent) : QChartView(parent) {
    setChart(new QChart());
    StyleChart(chart(), false);
    xAxis_ = new QValueAxis(chart());
    xAxis_->setLabelFormat(QStringLiteral("%g"));
    xAxis_->setLabelsVisible(false);  // the curve above names the temperatures
    chart()->addAxis(xAxis_, Qt::AlignBottom);
    yAxis_ = new QValueAxis(chart());
    yAxis_->setLabelFormat(QStringLiteral("%g"));
    chart()->addAxis(yAxis_, Qt::AlignLeft);
    StyleAxis(xAxis_, QString());
    StyleAxis(yAxis_, Ja("残差 (A)"));

    zero_ = new QLineSeries(chart());
    QPen pen(QColor(150, 150, 150), 1);
    pen.setCosmetic(true);
    zero_->setPen(pen);
    residual_ = new QScatterSeries(chart());
    residual_->setMarkerSize(3);
    residual_->setColor(kMeasuredColour);
    residual_->setBorderColor(Qt::transparent);
    for (QXYSeries* series : {static_cast<QXYSeries*>(zero_), static_cast<QXYSeries*>(residual_)}) {
        chart()->addSeries(series);
        series->attachAxis(xAxis_);
        series->attachAxis(yAxis_);
    }
    connect(chart(), &QChart::plotAreaChanged, this, [this] { ShowTicks(); });
    Redraw();
}

void TResidualPlot::SetFit(std::shared_ptr<const FitOutcome> fit, const CurrentUnit& unit) {
    fit_ = std::move(fit);
    unit_ = unit;
    yAxis_->setTitleText(Ja("残差 (") + unit_.name + u')');
    Redraw();
}

void TResidualPlot::ShowTemperatures(double low, double high) {
    low_ = low;
    high_ = high;
    Redraw();
}

void TResidualPlot::Redraw() {
    xAxis_->setRange(low_, high_);
    zero_->replace(QList<QPointF>{{low_, 0}, {high_, 0}});
    double largest = 0;
    if (fit_) {
        const DrawnSpan span{low_, high_,
                             std::max(50, static_cast<int>(chart()->plotArea().width())), true};
        const QList<QPointF> points =
            DecimatedPoints(fit_->fit.T, fit_->residual, span, unit_.scale, false);
        for (const QPointF& p : points) {
            if (p.x() >= low_ && p.x() <= high_) largest = std::max(largest, std::fabs(p.y()));
        }
        residual_->replace(points);
    } else {
        residual_->clear();
    }
    largest_ = largest > 0 ? largest : 1;
    ShowTicks();
}

void TResidualPlot::ShowTicks() {
    // Ticks at zero and at round values either side: two each way where the
    // plot is tall enough for five labels, else one (closer labels would be
    // cut to "...").
    const int reach = chart()->plotArea().height() > 140 ? 2 : 1;
    const double step = RoundTickStep(largest_, reach);
    const double ends = std::ceil(largest_ / step) * step;
    if (yAxis_->min() == -ends && yAxis_->max() == ends) return;
    yAxis_->setRange(-ends, ends);
    yAxis_->setTickCount(2 * static_cast<int>(std::lround(ends / step)) + 1);
}

void AlignPlotAreas(QChart* upper, QChart* lower) {
    // Each chart's axis labels take the room left of its plot area; the
    // margins make up the difference, so both plots start at one x.
    const auto align = [upper, lower] {
        const QChart* charts[] = {upper, lower};
        qreal labels[2];
        for (int i = 0; i < 2; ++i) {
            labels[i] = charts[i]->plotArea().left() - charts[i]->margins().left();
        }
        const qreal widest = std::max(labels[0], labels[1]);
        QChart* targets[] = {upper, lower};
        for (int i = 0; i < 2; ++i) {
            QMargins margins = targets[i]->margins();
            const int wanted = 4 + static_cast<int>(std::lround(widest - labels[i]));
            if (margins.left() != wanted) {
                margins.setLeft(wanted);
                targets[i]->setMargins(margins);
            }
        }
    };
    QObject::connect(upper, &QChart::plotAreaChanged, lower, align);
    QObject::connect(lower, &QChart::plotAreaChanged, upper, align);
}
