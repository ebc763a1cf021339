#include "chart.h"

#include <QChart>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

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

void FitAxis(QValueAxis* axis, Span span) {
    if (span.low > span.high) {  // no points, or none with finite values
        axis->setRange(0, 1);
        return;
    }
    if (span.low == span.high) {
        const double margin = span.low == 0 ? 1 : std::fabs(span.low) / 10;
        span.low -= margin;
        span.high += margin;
    }
    axis->setRange(span.low, span.high);
    axis->applyNiceNumbers();
}

}  // namespace

TFastLineSeries::TFastLineSeries(QObject* parent) : QLineSeries(parent) {}

void TFastLineSeries::AddXY(double x, double y, const QString&, TColor) {
    const QPointF point(x, y);
    if (updating_ > 0) {
        pending_.append(point);
        return;
    }
    // The first point whose x is greater; with ascending x it is found by
    // bisection over the series' own points.
    int low = 0;
    int high = count();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (at(middle).x() <= x) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    insert(low, point);
    FitAxes();
}

void TFastLineSeries::Clear() {
    pending_.clear();
    clear();
    FitAxes();
}

int TFastLineSeries::Count() const { return count() + static_cast<int>(pending_.size()); }

void TFastLineSeries::EndUpdate() {
    if (updating_ == 0 || --updating_ > 0 || pending_.isEmpty()) return;
    QList<QPointF> added = std::move(pending_);
    pending_.clear();
    // Points of equal x keep the order in which they were added, and the
    // series' earlier points come before added ones with the same x.
    std::stable_sort(added.begin(), added.end(), ByX);
    const QList<QPointF> existing = points();
    QList<QPointF> merged;
    merged.reserve(existing.size() + added.size());
    std::merge(existing.begin(), existing.end(), added.begin(), added.end(),
               std::back_inserter(merged), ByX);
    replace(merged);
    FitAxes();
}

void TFastLineSeries::FitAxes() {
    Span xSpan;
    Span ySpan;
    for (int i = 0; i < count(); ++i) {
        xSpan.Include(at(i).x());
        ySpan.Include(at(i).y());
    }
    for (QAbstractAxis* axis : attachedAxes()) {
        auto* valueAxis = qobject_cast<QValueAxis*>(axis);
        if (valueAxis == nullptr) continue;
        FitAxis(valueAxis, valueAxis->orientation() == Qt::Horizontal ? xSpan : ySpan);
    }
}

TChart::TChart(QWidget* parent)
    : QChartView(parent), bottomAxis_(new QValueAxis(this)), leftAxis_(new QValueAxis(this)) {
    // The view owns the chart, and the chart takes the axes over from the
    // view once they are added.
    auto* chart = new QChart();
    setChart(chart);
    chart->setBackgroundRoundness(0);
    chart->setDropShadowEnabled(false);
    chart->addAxis(bottomAxis_, Qt::AlignBottom);
    chart->addAxis(leftAxis_, Qt::AlignLeft);
    bottomAxis_->setLabelFormat(QStringLiteral("%g"));
    // Currents of about 1E-11 A need the exponent; four digits keep
    // neighbouring labels apart.
    leftAxis_->setLabelFormat(QStringLiteral("%.4G"));
    bottomAxis_->setRange(0, 1);
    leftAxis_->setRange(0, 1);
}

TFastLineSeries* TChart::AddSeries() {
    auto* series = new TFastLineSeries(chart());
    chart()->addSeries(series);
    series->attachAxis(bottomAxis_);
    series->attachAxis(leftAxis_);
    return series;
}

TFastLineSeries* TChart::GetSeries(int index) const {
    const QList<QAbstractSeries*> all = chart()->series();
    if (index < 0 || index >= all.size()) {
        throw Exception("Series index out of bounds (" + std::to_string(index) + ")");
    }
    auto* series = dynamic_cast<TFastLineSeries*>(all.at(index));
    if (series == nullptr)
        throw Exception("Series " + std::to_string(index) + " is not a line series");
    return series;
}
