#pragma once

#include <QChartView>
#include <memory>

#include "plot_style.h"

class QLineSeries;
class QScatterSeries;
class QValueAxis;
struct FitOutcome;

// The fit's residuals (measured − fitted) beneath the curve, on the same
// temperatures as the curve shows, in the curve's current unit.
class TResidualPlot : public QChartView {
    Q_OBJECT

  public:
    explicit TResidualPlot(QWidget* parent);

    void SetFit(std::shared_ptr<const FitOutcome> fit, const CurrentUnit& unit);
    void ShowTemperatures(double low, double high);

  private:
    void Redraw();
    void ShowTicks();

    std::shared_ptr<const FitOutcome> fit_;
    CurrentUnit unit_;
    QValueAxis* xAxis_;
    QValueAxis* yAxis_;
    QScatterSeries* residual_;
    QLineSeries* zero_;
    double low_ = 0, high_ = 1;
    double largest_ = 1;  // the largest residual shown
};

// Keeps the plot areas of two charts above one another at the same left
// and right edges, whatever their axes' labels need.
void AlignPlotAreas(QChart* upper, QChart* lower);
