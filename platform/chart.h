#pragma once

#include <QChartView>
#include <QLineSeries>
#include <QList>
#include <QPointF>
#include <QString>
#include <cstdint>

class QValueAxis;

// A colour value as the chart takes it; clTeeColor stands for "the series'
// own colour".
using TColor = std::uint32_t;
inline constexpr TColor clTeeColor = 0x80000000;

// A line series whose points stay in ascending x order as they are added: a
// point goes after every point with a smaller or equal x. The chart's axes
// follow its points.
//
// Between BeginUpdate and EndUpdate, added points are kept aside and merged
// into the series in one step at EndUpdate, in the same order as if each
// had been added on its own.
class TFastLineSeries : public QLineSeries {
  public:
    explicit TFastLineSeries(QObject* parent = nullptr);

    // The label is not drawn (the series shows no marks), and every point is
    // drawn in the series colour: clTeeColor is the only colour the windows
    // pass.
    void AddXY(double x, double y, const QString& label = {}, TColor colour = clTeeColor);

    // Removes every point.
    void Clear();

    int Count() const;  // including points kept aside during an update

    void BeginUpdate() { ++updating_; }
    void EndUpdate();

    // Recomputes the ranges of the axes the series is attached to from its
    // points: x on the horizontal axis, y on the vertical one.
    void FitAxes();

  private:
    QList<QPointF> pending_;
    int updating_ = 0;
};

// A chart of line series, drawn flat, with a value axis at the bottom and on
// the left whose labels stay readable for very small currents.
class TChart : public QChartView {
  public:
    explicit TChart(QWidget* parent);

    // Adds a series attached to both axes; the chart owns it.
    TFastLineSeries* AddSeries();

    // The series at `index` in the order they were added.
    TFastLineSeries* GetSeries(int index) const;

    QValueAxis* BottomAxis() const { return bottomAxis_; }
    QValueAxis* LeftAxis() const { return leftAxis_; }

  private:
    QValueAxis* bottomAxis_;
    QValueAxis* leftAxis_;
};
