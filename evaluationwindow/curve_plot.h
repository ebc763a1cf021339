#pragma once

#include <QChartView>
#include <QList>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "plot_style.h"

class QGraphicsItem;
class QGraphicsRectItem;
class QLineSeries;
class QLogValueAxis;
class QRubberBand;
class QScatterSeries;
class QValueAxis;
class QXYSeries;
struct FitOutcome;
namespace tsc::analysis {
struct MeasuredCurve;
}

// The measured points with the fit's peaks, background and sum on a
// temperature axis. Curves are kept whole and drawn through
// DecimatedPoints, so a million points draw as fast as a few thousand.
//
// With the mouse: a drag zooms into its rectangle and the right button
// zooms back; a drag with Shift held marks a temperature range; a click
// adds a start peak there, and a click on a start marker removes it. The
// plot only reports those; the window decides.
class TCurvePlot : public QChartView {
    Q_OBJECT

  public:
    explicit TCurvePlot(QWidget* parent);
    ~TCurvePlot() override;

    // A new measurement: the fit goes and the whole curve is shown.
    void SetMeasurement(std::shared_ptr<const tsc::analysis::MeasuredCurve> curve);
    // The fit's components, or none.
    void SetFit(std::shared_ptr<const FitOutcome> fit);
    void SetMarkers(const std::vector<double>& temperatures);
    // The temperature range evaluated; outside it the plot is shaded.
    void SetRange(std::optional<std::pair<double, double>> range);
    void SetLogarithmic(bool logarithmic);
    bool Logarithmic() const { return logarithmic_; }

    void ZoomBack();
    void ZoomAll();
    std::pair<double, double> ShownTemperatures() const { return {view_.x0, view_.x1}; }
    const CurrentUnit& Unit() const { return unit_; }

    // The viewport point of a temperature on the plot's middle line, and
    // the temperature under a viewport point; for tests and for the
    // window's own hints.
    QPoint PointOfTemperature(double T) const;
    QRect PlotRect() const;

  signals:
    void markerAdded(double T);
    void markerRemoved(int index);
    void rangeDragged(double low, double high);
    void temperaturesShown(double low, double high);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct View {
        double x0 = 0, x1 = 1;
        std::optional<std::pair<double, double>> y;  // none: fitted to what is shown
    };
    struct Drawn {
        QXYSeries* series;
        std::span<const double> T, y;
    };

    void Apply(const View& view);
    void Redraw();
    void DrawCurves(int columns);
    void FitCurrentAxis();
    void PlaceOverlays();
    void ClearFitSeries();
    QLineSeries* AddLine(const QString& name, const QColor& colour, qreal width,
                         Qt::PenStyle style);
    void AttachToAxes(QXYSeries* series);
    double TemperatureAt(QPointF viewportPoint) const;
    std::pair<double, double> CurrentAt(QPointF viewportPoint) const;
    int MarkerAt(QPointF viewportPoint) const;
    QRect DragRect(QPointF to) const;

    std::shared_ptr<const tsc::analysis::MeasuredCurve> curve_;
    std::shared_ptr<const FitOutcome> fit_;
    CurrentUnit unit_;
    QValueAxis* xAxis_;
    QValueAxis* yLinear_;
    QLogValueAxis* yLog_;
    QScatterSeries* measured_;
    std::vector<Drawn> drawn_;  // the measured points first
    std::vector<QXYSeries*> fitSeries_;
    std::vector<double> markers_;
    std::vector<QGraphicsItem*> markerItems_;
    std::optional<std::pair<double, double>> range_;
    QGraphicsRectItem* belowRange_;
    QGraphicsRectItem* aboveRange_;
    QRubberBand* band_;
    bool logarithmic_ = false;
    View view_;
    std::vector<View> zoomStack_;
    int drawnColumns_ = 0;
    // A press of the left button, until it is released.
    std::optional<QPointF> pressedAt_;
    bool shiftDrag_ = false;
    bool dragging_ = false;
};
