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
#include <cmath>

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

// After the series are attached, so that what the description leaves open
// comes from their data.
void SetRange(QAbstractAxis* made, const Axis& axis) {
    if (axis.min && std::isfinite(*axis.min)) made->setMin(*axis.min);
    if (axis.max && std::isfinite(*axis.max)) made->setMax(*axis.max);
    if (auto* rounded = qobject_cast<QCategoryAxis*>(made)) {
        const AxisScale scale = NiceAxisScale(rounded->min(), rounded->max());
        rounded->setRange(scale.low * scale.unit, scale.high * scale.unit);
        for (const AxisTick& tick : scale.ticks) {
            rounded->append(QString::fromStdString(tick.label), tick.position * scale.unit);
        }
    }
}

QChart* MakeChart(const Chart& chart) {
    auto* qchart = new QChart;
    if (!chart.title.empty()) qchart->setTitle(QString::fromStdString(chart.title));
    if (!chart.legend) qchart->legend()->hide();
    QList<QAbstractSeries*> series;
    for (const Series& s : chart.series) series.append(MakeSeries(s, chart, qchart));
    QAbstractAxis* x = MakeAxis(chart.x, false);
    QAbstractAxis* y = MakeAxis(chart.y, true);
    qchart->addAxis(x, Qt::AlignBottom);
    qchart->addAxis(y, Qt::AlignLeft);
    for (QAbstractSeries* s : series) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    SetRange(x, chart.x);
    SetRange(y, chart.y);
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
        auto* view = new QChartView(MakeChart(chart), &page);
        view->setRenderHint(QPainter::Antialiasing);
        layout->addWidget(view, chart.share);
        views.append(view);
    }
    page.show();
    QCoreApplication::processEvents();

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
