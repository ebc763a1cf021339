#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "curve_methods.h"

class QChartView;
class QLabel;
class QLineSeries;
class QScatterSeries;
class QTableWidget;
class QValueAxis;

// The classic methods of a temperature range, as the window keeps them.
struct MethodsOutcome {
    tsc::analysis::CurveMethods methods;
    std::vector<double> T, I;           // the range's points
    std::vector<double> integralToEnd;  // ∫ I dT from each point to the last
    double betaKPerMin = 0;
};

// The classic methods' tab: peak shape with Chen's energies, the initial
// rise and the whole-curve method in a table; beneath, ln I against 1/T with
// the rise's line, and beside it ln(Q/I) against 1/T with the whole-curve
// method's line.
class TMethodsPanel : public QWidget {
    Q_OBJECT

  public:
    explicit TMethodsPanel(QWidget* parent);

    void Show(std::shared_ptr<const MethodsOutcome> outcome);
    void Clear();

    QTableWidget* Table;
    QChartView* Plot;
    QChartView* WholeCurvePlot;

  private:
    void AddRow(const QString& item, const QString& value, const QString& note);
    void FillTable(const tsc::analysis::CurveMethods& m);
    void FitTableHeight();
    void DrawPlot(const MethodsOutcome& outcome);
    void DrawWholeCurve(const MethodsOutcome& outcome);
    QChartView* MakePlot(const QString& yTitle, QValueAxis*& x, QValueAxis*& y);

    std::shared_ptr<const MethodsOutcome> outcome_;
    QLabel* caption_;
    QValueAxis* xAxis_;
    QValueAxis* yAxis_;
    QScatterSeries* points_;
    QLineSeries* riseLine_;
    QValueAxis* wholeXAxis_;
    QValueAxis* wholeYAxis_;
    QScatterSeries* wholePoints_;
    QLineSeries* wholeLine_;
};
