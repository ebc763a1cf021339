#pragma once

#include <QChartView>
#include <QList>
#include <QPointF>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

class QCategoryAxis;
class QLineSeries;
class TChart;

// A colour value as the chart takes it; clTeeColor stands for "the series'
// own colour".
using TColor = std::uint32_t;
inline constexpr TColor clTeeColor = 0x80000000;

// A line series of a TChart. Its points stay in ascending x order as they
// are added: a point goes after every point with a smaller or equal x.
//
// Between BeginUpdate and EndUpdate, added points are kept aside and merged
// into the series in one step at EndUpdate, in the same order as if each
// had been added on its own.
class TFastLineSeries {
  public:
    TFastLineSeries(TChart& chart, QLineSeries* curve) : chart_(chart), curve_(curve) {}
    TFastLineSeries(const TFastLineSeries&) = delete;
    TFastLineSeries& operator=(const TFastLineSeries&) = delete;

    // The label is not drawn (the series shows no marks), and every point is
    // drawn in the series colour: clTeeColor is the only colour the windows
    // pass.
    void AddXY(double x, double y, const QString& label = {}, TColor colour = clTeeColor);

    // Removes every point.
    void Clear();

    int Count() const;  // including points kept aside during an update
    const QList<QPointF>& Points() const { return points_; }

    void BeginUpdate() { ++updating_; }
    void EndUpdate();

    // The drawn line, for its pen, colour and name.
    QLineSeries* Curve() const { return curve_; }

  private:
    TChart& chart_;
    QLineSeries* curve_;
    QList<QPointF> points_;
    QList<QPointF> pending_;
    int updating_ = 0;
};

// A chart of line series, drawn flat, with a linear axis at the bottom and
// on the left. The axes follow the points, with labels on round values that
// read like the program's numbers, whatever their magnitude.
class TChart : public QChartView {
  public:
    explicit TChart(QWidget* parent);
    ~TChart() override;

    // Adds a series drawn against both axes.
    TFastLineSeries* AddSeries();

    // The series at `index` in the order they were added.
    TFastLineSeries* GetSeries(int index) const;

    QCategoryAxis* BottomAxis() const { return bottomAxis_; }
    QCategoryAxis* LeftAxis() const { return leftAxis_; }

    // Fits both axes to every series' points and draws the points again on
    // the new scales. The series call it whenever their points change.
    void Rescale();

  private:
    QCategoryAxis* bottomAxis_;
    QCategoryAxis* leftAxis_;
    std::vector<std::unique_ptr<TFastLineSeries>> series_;
};
