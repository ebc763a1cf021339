#include "chart.h"

#include <QCategoryAxis>
#include <QChart>
#include <QLineSeries>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "axis_scale.h"
#include "exception.h"

namespace {

bool ByX(const QPointF& left, const QPointF& right) { return left.x() < right.x(); }

struct Span {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();

    void Include(double value) {
        if (!std::isfinite(value)) return;
        low = std::min(low, value);
        high = std::max(high, value);
    }
};

void ShowScale(QCategoryAxis* axis, const AxisScale& scale) {
    for (const QString& label : axis->categoriesLabels()) axis->remove(label);
    axis->setRange(scale.low, scale.high);
    axis->setStartValue(scale.low);
    for (const AxisTick& tick : scale.ticks) {
        axis->append(QString::fromStdString(tick.label), tick.position);
    }
}

QCategoryAxis* CreateAxis(QChart* chart, Qt::Alignment alignment) {
    auto* axis = new QCategoryAxis(chart);
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    chart->addAxis(axis, alignment);
    return axis;
}

}  // namespace

void TFastLineSeries::AddXY(double x, double y, const QString&, TColor) {
    const QPointF point(x, y);
    if (updating_ > 0) {
        pending_.append(point);
        return;
    }
    points_.insert(std::upper_bound(points_.begin(), points_.end(), point, ByX), point);
    chart_.Rescale();
}

void TFastLineSeries::Clear() {
    pending_.clear();
    points_.clear();
    chart_.Rescale();
}

int TFastLineSeries::Count() const { return static_cast<int>(points_.size() + pending_.size()); }

void TFastLineSeries::EndUpdate() {
    if (updating_ == 0 || --updating_ > 0 || pending_.isEmpty()) return;
    QList<QPointF> added = std::move(pending_);
    pending_.clear();
    // Points of equal x keep the order in which they were added, and the
    // series' earlier points come before added ones with the same x.
    std::stable_sort(added.begin(), added.end(), ByX);
    QList<QPointF> merged;
    merged.reserve(points_.size() + added.size());
    std::merge(points_.begin(), points_.end(), added.begin(), added.end(),
               std::back_inserter(merged), ByX);
    points_ = std::move(merged);
    chart_.Rescale();
}

TChart::TChart(QWidget* parent) : QChartView(parent) {
    // The view owns the chart; the chart owns its axes and curves.
    setChart(new QChart());
    chart()->setBackgroundRoundness(0);
    chart()->setDropShadowEnabled(false);
    bottomAxis_ = CreateAxis(chart(), Qt::AlignBottom);
    leftAxis_ = CreateAxis(chart(), Qt::AlignLeft);
    Rescale();
}

TChart::~TChart() = default;

TFastLineSeries* TChart::AddSeries() {
    auto* curve = new QLineSeries(chart());
    chart()->addSeries(curve);
    curve->attachAxis(bottomAxis_);
    curve->attachAxis(leftAxis_);
    series_.push_back(std::make_unique<TFastLineSeries>(*this, curve));
    return series_.back().get();
}

TFastLineSeries* TChart::GetSeries(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= series_.size()) {
        throw Exception("Series index out of bounds (" + std::to_string(index) + ")");
    }
    return series_[index].get();
}

void TChart::Rescale() {
    Span xSpan;
    Span ySpan;
    for (const auto& series : series_) {
        for (const QPointF& point : series->Points()) {
            xSpan.Include(point.x());
            ySpan.Include(point.y());
        }
    }
    const AxisScale xScale = NiceAxisScale(xSpan.low, xSpan.high);
    const AxisScale yScale = NiceAxisScale(ySpan.low, ySpan.high);
    for (const auto& series : series_) {
        QList<QPointF> drawn;
        drawn.reserve(series->Points().size());
        for (const QPointF& point : series->Points()) {
            drawn.append({point.x() / xScale.unit, point.y() / yScale.unit});
        }
        series->Curve()->replace(drawn);
    }
    ShowScale(bottomAxis_, xScale);
    ShowScale(leftAxis_, yScale);
}
