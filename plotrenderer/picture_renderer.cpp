#include "picture_renderer.h"

#include <QBoxLayout>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QScatterSeries>
#include <QValueAxis>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <limits>

#include "axis_scale.h"

namespace {

using namespace tsc::picture;

QColor ToQColor(Colour colour) { return QColor(colour.red, colour.green, colour.blue); }

Qt::PenStyle ToPenStyle(LineStyle style) {
    switch (style) {
        case LineStyle::Dashed:
            return Qt::DashLine;
        case LineStyle::DashDotted:
            return Qt::DashDotLine;
        case LineStyle::Solid:
            break;
    }
    return Qt::SolidLine;
}

// The points that can be drawn: finite, and positive on a logarithmic axis.
QList<QPointF> Drawable(const Series& series, const Chart& chart) {
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(series.x.size()));
    for (std::size_t i = 0; i < series.x.size(); ++i) {
        const double x = series.x[i], y = series.y[i];
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        if ((chart.x.logarithmic && !(x > 0)) || (chart.y.logarithmic && !(y > 0))) continue;
        points.append({x, y});
    }
    return points;
}

QAbstractSeries* MakeSeries(const Series& series, const Chart& chart, QChart* qchart) {
    if (series.kind == SeriesKind::Points) {
        auto* points = new QScatterSeries;
        points->setName(QString::fromStdString(series.name));
        points->setMarkerSize(series.size);
        if (series.colour) {
            points->setColor(ToQColor(*series.colour));
            points->setBorderColor(ToQColor(*series.colour));
        }
        points->append(Drawable(series, chart));
        qchart->addSeries(points);
        return points;
    }
    auto* line = new QLineSeries;
    line->setName(QString::fromStdString(series.name));
    line->append(Drawable(series, chart));
    if (series.colour) line->setPen(QPen(ToQColor(*series.colour), series.size));
    qchart->addSeries(line);
    // Without a colour of its own the line keeps the one the chart gave it.
    QPen pen = line->pen();
    pen.setWidthF(series.size);
    pen.setStyle(ToPenStyle(series.style));
    line->setPen(pen);
    return line;
}

QAbstractAxis* MakeAxis(const Axis& axis, bool vertical) {
    QAbstractAxis* made;
    if (axis.logarithmic) {
        auto* log = new QLogValueAxis;
        log->setBase(10);
        log->setLabelFormat("%.3g");
        made = log;
    } else if (axis.rounded) {
        // Round ticks with labels of their own (SetRange): Qt counts its
        // ticks up from the lower end, and the one at zero lands a rounding
        // error away from it and reads -5.55e-17.
        auto* rounded = new QCategoryAxis;
        rounded->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
        made = rounded;
    } else {
        auto* linear = new QValueAxis;
        if (vertical) linear->setLabelFormat("%.3g");
        made = linear;
    }
    made->setTitleText(QString::fromStdString(axis.title));
    return made;
}

// Of a chart's size, what its title, legend, tick labels and axis titles
// take, and the room one tick label needs along each axis.
constexpr int kDecorationWidth = 120, kDecorationHeight = 100;
constexpr int kLabelWidth = 80, kLabelHeight = 32;
constexpr int kMostIntervals = 10;

int IntervalsFor(int pixels, int perLabel) {
    return std::clamp(pixels / perLabel, 2, kMostIntervals);
}

struct DataSpan {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
};

// What the description leaves open comes from the points of every series:
// the chart library would take some series' span for all.
void SetRange(QAbstractAxis* made, const Axis& axis, DataSpan data, int intervals) {
    const double low = axis.min && std::isfinite(*axis.min) ? *axis.min : data.low;
    const double high = axis.max && std::isfinite(*axis.max) ? *axis.max : data.high;
    if (low < high) made->setRange(low, high);
    if (auto* rounded = qobject_cast<QCategoryAxis*>(made)) {
        const AxisScale scale = TightAxisScale(rounded->min(), rounded->max(), intervals);
        rounded->setRange(scale.low * scale.unit, scale.high * scale.unit);
        for (const AxisTick& tick : scale.ticks) {
            rounded->append(QString::fromStdString(tick.label), tick.position * scale.unit);
        }
    }
}

QChart* MakeChart(const Chart& chart, QSize size) {
    auto* qchart = new QChart;
    if (!chart.title.empty()) qchart->setTitle(QString::fromStdString(chart.title));
    if (!chart.legend) qchart->legend()->hide();
    QList<QAbstractSeries*> series;
    DataSpan xSpan, ySpan;
    for (const Series& s : chart.series) {
        series.append(MakeSeries(s, chart, qchart));
        for (const QPointF& point : Drawable(s, chart)) {
            xSpan = {std::min(xSpan.low, point.x()), std::max(xSpan.high, point.x())};
            ySpan = {std::min(ySpan.low, point.y()), std::max(ySpan.high, point.y())};
        }
    }
    QAbstractAxis* x = MakeAxis(chart.x, false);
    QAbstractAxis* y = MakeAxis(chart.y, true);
    qchart->addAxis(x, Qt::AlignBottom);
    qchart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : series) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    SetRange(x, chart.x, xSpan, IntervalsFor(size.width() - kDecorationWidth, kLabelWidth));
    SetRange(y, chart.y, ySpan, IntervalsFor(size.height() - kDecorationHeight, kLabelHeight));
    return qchart;
}

// The caption's lines in a white box with a frame, inside the plot area's
// upper right corner.
void DrawCaption(QPainter& painter, const QChartView& view,
                 const std::vector<std::string>& caption) {
    QStringList lines;
    for (const std::string& text : caption) lines << QString::fromStdString(text);
    const QFontMetrics metrics(painter.font());
    const QRect text =
        metrics.boundingRect(QRect(QPoint(0, 0), view.size()), Qt::AlignLeft, lines.join('\n'));
    const QRectF plot = view.chart()->plotArea().translated(view.pos());
    const QRect box(static_cast<int>(plot.right()) - text.width() - 18,
                    static_cast<int>(plot.top()) + 8, text.width() + 12, text.height() + 8);
    painter.fillRect(box, QColor(255, 255, 255, 225));
    painter.setPen(Qt::black);
    painter.drawRect(box);
    painter.drawText(box.adjusted(6, 4, -6, -4), Qt::AlignLeft, lines.join('\n'));
}

// Stacked charts share their x values (a curve and its residuals): their
// plot areas get the same left and right edges, so that a value lines up
// with the one under it whatever the width of each chart's labels.
void AlignPlotAreas(const QList<QChartView*>& views) {
    if (views.size() < 2) return;
    qreal left = 0, right = std::numeric_limits<qreal>::max();
    for (const QChartView* view : views) {
        left = std::max(left, view->chart()->plotArea().left());
        right = std::min(right, view->chart()->plotArea().right());
    }
    if (!(right > left)) return;
    for (QChartView* view : views) {
        const QRectF area = view->chart()->plotArea();
        QMargins margins = view->chart()->margins();
        margins.setLeft(margins.left() + qRound(left - area.left()));
        margins.setRight(margins.right() + qRound(area.right() - right));
        view->chart()->setMargins(margins);
    }
    QCoreApplication::processEvents();
}

// The chart's size as the picture's layout will make it, for the number of
// tick labels its axes have room for before it is laid out.
QSize ChartSize(const Picture& picture, const Chart& chart) {
    int shares = 0;
    for (const Chart& each : picture.charts) shares += std::max(each.share, 1);
    const auto count = static_cast<int>(picture.charts.size());
    const int across = picture.width - 2 * picture.margin;
    const int down = picture.height - 2 * picture.margin;
    const int between = picture.spacing * std::max(count - 1, 0);
    const int share = std::max(chart.share, 1);
    return picture.arrangement == Arrangement::Stacked
               ? QSize(across, (down - between) * share / std::max(shares, 1))
               : QSize((across - between) * share / std::max(shares, 1), down);
}

}  // namespace

QImage RenderPicture(const Picture& picture) {
    QWidget page;
    page.setAttribute(Qt::WA_DontShowOnScreen);
    page.setFixedSize(picture.width, picture.height);
    QBoxLayout* layout = picture.arrangement == Arrangement::Stacked
                             ? static_cast<QBoxLayout*>(new QVBoxLayout(&page))
                             : new QHBoxLayout(&page);
    layout->setContentsMargins(picture.margin, picture.margin, picture.margin, picture.margin);
    layout->setSpacing(picture.spacing);
    QList<QChartView*> views;
    for (const Chart& chart : picture.charts) {
        auto* view = new QChartView(MakeChart(chart, ChartSize(picture, chart)), &page);
        view->setRenderHint(QPainter::Antialiasing);
        layout->addWidget(view, chart.share);
        views.append(view);
    }
    page.show();
    QCoreApplication::processEvents();
    if (picture.arrangement == Arrangement::Stacked) AlignPlotAreas(views);

    QImage image(page.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    page.render(&painter);
    for (qsizetype i = 0; i < views.size(); ++i) {
        const std::vector<std::string>& caption =
            picture.charts[static_cast<std::size_t>(i)].caption;
        if (!caption.empty()) DrawCaption(painter, *views[i], caption);
    }
    painter.end();
    return image;
}
