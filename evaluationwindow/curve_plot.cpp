#include "curve_plot.h"

#include <QApplication>
#include <QChart>
#include <QGraphicsLineItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsRectItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QMouseEvent>
#include <QPen>
#include <QRubberBand>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <limits>

#include "curve_decimation.h"
#include "evaluation_text.h"
#include "fit_outcome.h"
#include "measured_curve.h"

namespace {

// A click on a marker within this many pixels removes it.
constexpr double kMarkerReach = 5;
// Room above the highest point, as a share of what is shown.
constexpr double kHeadroom = 0.06;

void ShowTicks(QValueAxis* axis, double low, double high) { ShowRoundTicks(axis, low, high, 6); }

}  // namespace

TCurvePlot::TCurvePlot(QWidget* parent) : QChartView(parent) {
    setChart(new QChart());  // the view owns the chart; the chart its axes and series
    StyleChart(chart(), true);
    setRenderHint(QPainter::Antialiasing);

    xAxis_ = new QValueAxis(chart());
    StyleAxis(xAxis_, Ja("温度 T (K)"));
    xAxis_->setLabelFormat(QStringLiteral("%g"));
    chart()->addAxis(xAxis_, Qt::AlignBottom);
    yLinear_ = new QValueAxis(chart());
    yLinear_->setLabelFormat(QStringLiteral("%g"));
    chart()->addAxis(yLinear_, Qt::AlignLeft);
    yLog_ = new QLogValueAxis(chart());
    yLog_->setLabelFormat(QStringLiteral("%g"));
    yLog_->setMinorTickCount(0);
    chart()->addAxis(yLog_, Qt::AlignLeft);
    yLog_->setVisible(false);
    StyleAxis(yLinear_, Ja("電流 I (A)"));
    StyleAxis(yLog_, Ja("電流 I (A)"));

    measured_ = new QScatterSeries(chart());
    measured_->setName(Ja("測定値"));
    measured_->setMarkerSize(4);
    measured_->setColor(kMeasuredColour);
    measured_->setBorderColor(Qt::transparent);
    chart()->addSeries(measured_);
    AttachToAxes(measured_);

    const auto shade = [this] {
        auto* rect = new QGraphicsRectItem(chart());
        rect->setBrush(kOutsideRangeColour);
        rect->setPen(Qt::NoPen);
        rect->setZValue(-1);
        rect->hide();
        return rect;
    };
    belowRange_ = shade();
    aboveRange_ = shade();
    band_ = new QRubberBand(QRubberBand::Rectangle, viewport());

    connect(chart(), &QChart::plotAreaChanged, this, [this] { PlaceOverlays(); });
    Apply(view_);
}

TCurvePlot::~TCurvePlot() = default;

void TCurvePlot::AttachToAxes(QXYSeries* series) {
    series->attachAxis(xAxis_);
    series->attachAxis(logarithmic_ ? static_cast<QAbstractAxis*>(yLog_) : yLinear_);
}

QLineSeries* TCurvePlot::AddLine(const QString& name, const QColor& colour, qreal width,
                                 Qt::PenStyle style) {
    auto* line = new QLineSeries(chart());
    line->setName(name);
    QPen pen(colour, width, style);
    pen.setCosmetic(true);
    line->setPen(pen);
    chart()->addSeries(line);
    AttachToAxes(line);
    fitSeries_.push_back(line);
    return line;
}

void TCurvePlot::ClearFitSeries() {
    for (QXYSeries* series : fitSeries_) {
        chart()->removeSeries(series);
        delete series;  // given back by removeSeries
    }
    fitSeries_.clear();
    drawn_.resize(drawn_.empty() ? 0 : 1);
}

void TCurvePlot::SetMeasurement(std::shared_ptr<const tsc::analysis::MeasuredCurve> curve) {
    ClearFitSeries();
    fit_.reset();
    curve_ = std::move(curve);
    drawn_.clear();
    double largest = 0;
    if (curve_) {
        drawn_.push_back({measured_, curve_->T, curve_->I});
        for (const double I : curve_->I) {
            if (std::isfinite(I)) largest = std::max(largest, std::fabs(I));
        }
    }
    unit_ = UnitForCurrents(largest);
    const QString title = Ja("電流 I (") + unit_.name + u')';
    yLinear_->setTitleText(title);
    yLog_->setTitleText(title);
    zoomStack_.clear();
    ZoomAll();
}

void TCurvePlot::SetFit(std::shared_ptr<const FitOutcome> fit) {
    ClearFitSeries();
    fit_ = std::move(fit);
    if (fit_) {
        const tsc::analysis::SpectrumFit& f = fit_->fit;
        for (std::size_t k = 0; k < f.peaks.size(); ++k) {
            const tsc::analysis::FittedPeak& p = f.peaks[k];
            if (p.verdict == tsc::analysis::PeakVerdict::RanAway) continue;
            QLineSeries* line = AddLine(Ja("ピーク ") + QString::number(k + 1) + Ja(" (") +
                                            QString::number(p.Tm.value, 'f', 1) + Ja(" K)"),
                                        PeakColour(static_cast<int>(k)), 1.6, Qt::SolidLine);
            drawn_.push_back({line, f.T, p.current});
        }
        if (f.background.kind != tsc::analysis::BackgroundKind::None) {
            QLineSeries* line =
                AddLine(Ja("バックグラウンド"), kBackgroundColour, 1.4, Qt::DashLine);
            drawn_.push_back({line, f.T, f.background.current});
        }
        QLineSeries* sum = AddLine(Ja("合計"), kSumColour, 1.8, Qt::SolidLine);
        drawn_.push_back({sum, f.T, f.fitted});
    }
    Redraw();
}

void TCurvePlot::SetMarkers(const std::vector<double>& temperatures) {
    markers_ = temperatures;
    PlaceOverlays();
}

void TCurvePlot::SetRange(std::optional<std::pair<double, double>> range) {
    range_ = range;
    PlaceOverlays();
}

void TCurvePlot::SetLogarithmic(bool logarithmic) {
    if (logarithmic == logarithmic_) return;
    QAbstractAxis* from = logarithmic_ ? static_cast<QAbstractAxis*>(yLog_) : yLinear_;
    QAbstractAxis* to = logarithmic ? static_cast<QAbstractAxis*>(yLog_) : yLinear_;
    logarithmic_ = logarithmic;
    // The points first, so that the logarithmic axis never meets one that
    // is not above zero.
    DrawCurves(drawnColumns_);
    for (QAbstractSeries* series : chart()->series()) {
        series->detachAxis(from);
        series->attachAxis(to);
    }
    from->setVisible(false);
    to->setVisible(true);
    // Heights zoomed into on one scale mean nothing on the other.
    for (View& view : zoomStack_) view.y.reset();
    view_.y.reset();
    Apply(view_);
}

void TCurvePlot::ZoomBack() {
    if (zoomStack_.empty()) {
        ZoomAll();
        return;
    }
    const View previous = zoomStack_.back();
    zoomStack_.pop_back();
    Apply(previous);
}

void TCurvePlot::ZoomAll() {
    View all;
    if (curve_ && !curve_->T.empty()) {
        all.x0 = curve_->T.front();
        all.x1 = curve_->T.back();
        if (all.x1 <= all.x0) all.x0 -= 1, all.x1 += 1;
    }
    zoomStack_.clear();
    Apply(all);
}

void TCurvePlot::Apply(const View& view) {
    view_ = view;
    ShowTicks(xAxis_, view.x0, view.x1);
    Redraw();
    emit temperaturesShown(view.x0, view.x1);
}

void TCurvePlot::Redraw() {
    const int columns = std::max(50, static_cast<int>(chart()->plotArea().width()));
    DrawCurves(columns);
    FitCurrentAxis();
    PlaceOverlays();
}

void TCurvePlot::DrawCurves(int columns) {
    drawnColumns_ = columns;
    for (const Drawn& drawn : drawn_) {
        const DrawnSpan span{view_.x0, view_.x1, columns, drawn.series == measured_};
        drawn.series->replace(DecimatedPoints(drawn.T, drawn.y, span, unit_.scale, logarithmic_));
    }
}

void TCurvePlot::FitCurrentAxis() {
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    if (view_.y) {
        std::tie(low, high) = *view_.y;
    } else {
        for (const Drawn& drawn : drawn_) {
            for (const QPointF& p : drawn.series->points()) {
                if (p.x() < view_.x0 || p.x() > view_.x1) continue;
                low = std::min(low, p.y());
                high = std::max(high, p.y());
            }
        }
        if (!(high >= low)) low = 0, high = 1;
        if (logarithmic_) {
            // The tails of the peaks fall without end: a few decades
            // below the top are enough to tell them apart.
            low = std::max(low, high * 1e-4) / 1.5;
            high *= 1.5;
        } else {
            low = std::min(low, 0.0);
            const double room = (high - low) * kHeadroom;
            high += room;
            if (low < 0) low -= room;
            if (high <= low) high = low + 1;
        }
    }
    if (logarithmic_) {
        if (!(low > 0)) low = high > 0 ? high * 1e-4 : 1e-3;
        if (!(high > low)) high = low * 10;
        yLog_->setRange(low, high);
    } else {
        ShowTicks(yLinear_, low, high);
    }
}

QRect TCurvePlot::PlotRect() const {
    return mapFromScene(chart()->mapToScene(chart()->plotArea())).boundingRect();
}

QPoint TCurvePlot::PointOfTemperature(double T) const {
    const QRectF area = chart()->plotArea();
    const QPointF inChart = chart()->mapToPosition(QPointF(T, 1), measured_);
    return mapFromScene(chart()->mapToScene(QPointF(inChart.x(), area.center().y())));
}

double TCurvePlot::TemperatureAt(QPointF viewportPoint) const {
    return CurrentAt(viewportPoint).first;
}

std::pair<double, double> TCurvePlot::CurrentAt(QPointF viewportPoint) const {
    const QPointF value =
        chart()->mapToValue(chart()->mapFromScene(mapToScene(viewportPoint.toPoint())), measured_);
    return {value.x(), value.y()};
}

int TCurvePlot::MarkerAt(QPointF viewportPoint) const {
    int nearest = -1;
    double distance = kMarkerReach;
    for (std::size_t i = 0; i < markers_.size(); ++i) {
        const double d = std::fabs(PointOfTemperature(markers_[i]).x() - viewportPoint.x());
        if (d <= distance) distance = d, nearest = static_cast<int>(i);
    }
    return nearest;
}

void TCurvePlot::PlaceOverlays() {
    const QRectF area = chart()->plotArea();
    const auto xOf = [&](double T) { return chart()->mapToPosition(QPointF(T, 1), measured_).x(); };
    for (QGraphicsItem* item : markerItems_) delete item;
    markerItems_.clear();
    for (const double T : markers_) {
        if (T < view_.x0 || T > view_.x1) continue;
        const double x = xOf(T);
        auto* line = new QGraphicsLineItem(x, area.top(), x, area.bottom(), chart());
        QPen pen(kMarkerColour, 1.5, Qt::DashLine);
        pen.setCosmetic(true);
        line->setPen(pen);
        line->setZValue(5);
        markerItems_.push_back(line);
        auto* head = new QGraphicsPolygonItem(
            QPolygonF({QPointF(x - 6, area.top()), QPointF(x + 6, area.top()),
                       QPointF(x, area.top() + 9)}),
            chart());
        head->setBrush(kMarkerColour);
        head->setPen(Qt::NoPen);
        head->setZValue(5);
        markerItems_.push_back(head);
    }
    if (range_) {
        const double low = std::clamp(xOf(range_->first), area.left(), area.right());
        const double high = std::clamp(xOf(range_->second), area.left(), area.right());
        belowRange_->setRect(QRectF(area.left(), area.top(), low - area.left(), area.height()));
        aboveRange_->setRect(QRectF(high, area.top(), area.right() - high, area.height()));
    }
    belowRange_->setVisible(range_.has_value());
    aboveRange_->setVisible(range_.has_value());
    if (static_cast<int>(area.width()) != drawnColumns_ && area.width() > 0 && !drawn_.empty()) {
        // The columns follow the plot's width; the next paint shows them.
        DrawCurves(std::max(50, static_cast<int>(area.width())));
    }
}

void TCurvePlot::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    PlaceOverlays();
}

QRect TCurvePlot::DragRect(QPointF to) const {
    const QRect plot = PlotRect();
    const QPointF from = *pressedAt_;
    if (shiftDrag_) {
        // A range is temperatures only: the band spans the plot's height.
        const int left = static_cast<int>(std::min(from.x(), to.x()));
        const int right = static_cast<int>(std::max(from.x(), to.x()));
        return QRect(QPoint(left, plot.top()), QPoint(right, plot.bottom())).intersected(plot);
    }
    return QRectF(from, to).normalized().toRect().intersected(plot);
}

void TCurvePlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        ZoomBack();
        event->accept();
        return;
    }
    if (event->button() != Qt::LeftButton || !PlotRect().contains(event->position().toPoint())) {
        QChartView::mousePressEvent(event);
        return;
    }
    pressedAt_ = event->position();
    shiftDrag_ = event->modifiers().testFlag(Qt::ShiftModifier);
    dragging_ = false;
    event->accept();
}

void TCurvePlot::mouseMoveEvent(QMouseEvent* event) {
    if (!pressedAt_) {
        QChartView::mouseMoveEvent(event);
        return;
    }
    if (!dragging_ &&
        (event->position() - *pressedAt_).manhattanLength() >= QApplication::startDragDistance()) {
        dragging_ = true;
    }
    if (dragging_) {
        band_->setGeometry(DragRect(event->position()));
        band_->show();
    }
    event->accept();
}

void TCurvePlot::mouseReleaseEvent(QMouseEvent* event) {
    if (!pressedAt_ || event->button() != Qt::LeftButton) {
        QChartView::mouseReleaseEvent(event);
        return;
    }
    const QPointF from = *pressedAt_;
    pressedAt_.reset();
    band_->hide();
    event->accept();
    if (!dragging_) {
        if (const int marker = MarkerAt(from); marker >= 0) {
            emit markerRemoved(marker);
        } else {
            emit markerAdded(TemperatureAt(from));
        }
        return;
    }
    const QRect rect = DragRect(event->position());
    if (rect.width() < 2) return;
    const auto [T0, I0] = CurrentAt(rect.bottomLeft());
    const auto [T1, I1] = CurrentAt(rect.topRight());
    if (shiftDrag_) {
        emit rangeDragged(std::min(T0, T1), std::max(T0, T1));
        return;
    }
    if (rect.height() < 2) return;
    zoomStack_.push_back(view_);
    View zoomed;
    zoomed.x0 = std::min(T0, T1);
    zoomed.x1 = std::max(T0, T1);
    zoomed.y = std::pair{std::min(I0, I1), std::max(I0, I1)};
    Apply(zoomed);
}
