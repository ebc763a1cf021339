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
    std::vector<double> T, I;  // the range's points
    double betaKPerMin = 0;
};

// The classic methods' tab: peak shape with Chen's energies and the initial
// rise in a table, and their plot of ln I against 1/T with the rise's line.
class TMethodsPanel : public QWidget {
    Q_OBJECT

  public:
    explicit TMethodsPanel(QWidget* parent);

    void Show(std::shared_ptr<const MethodsOutcome> outcome);
    void Clear();

    QTableWidget* Table;
    QChartView* Plot;

  private:
    void AddRow(const QString& item, const QString& value, const QString& note);
    void FillTable(const tsc::analysis::CurveMethods& m);
    void FitTableHeight();
    void DrawPlot(const MethodsOutcome& outcome);

    std::shared_ptr<const MethodsOutcome> outcome_;
    QLabel* caption_;
    QValueAxis* xAxis_;
    QValueAxis* yAxis_;
    QScatterSeries* points_;
    QLineSeries* riseLine_;
};
