#pragma once

#include <QColor>
#include <QString>

class QAbstractAxis;
class QChart;

// How the evaluation window's charts look: the main window's chart font,
// colours that stay apart from one another, and currents in a unit that
// makes their numbers short.

// The colour of the k-th fitted peak; they repeat after ten.
QColor PeakColour(int k);
inline const QColor kMeasuredColour(96, 96, 96);
inline const QColor kSumColour(Qt::black);
inline const QColor kBackgroundColour(140, 100, 40);
inline const QColor kMarkerColour(200, 0, 160);
inline const QColor kOutsideRangeColour(0, 0, 0, 28);

// A unit for currents up to `largest` (A): A, mA, µA, nA, pA or fA.
// Values are drawn multiplied by `scale`.
struct CurrentUnit {
    double scale = 1;
    QString name = QStringLiteral("A");
};
CurrentUnit UnitForCurrents(double largest);

// A tick step on a round value (1, 2 or 5 times a power of ten) that puts
// about `ticks` ticks across `span`.
double RoundTickStep(double span, int ticks);

// Shows the axis from low to high with about `ticks` ticks on round values.
void ShowRoundTicks(class QValueAxis* axis, double low, double high, int ticks);

// A chart drawn flat on the window's colour, with the chart font and a
// legend at the top when `legend`.
void StyleChart(QChart* chart, bool legend);
// An axis with the chart font and a title.
void StyleAxis(QAbstractAxis* axis, const QString& title);
