#pragma once

#include <QList>
#include <QPointF>
#include <span>

// The points of a sampled curve worth drawing at a given width: a chart
// cannot draw a million points without stalling the window, and a pixel
// column shows no more than its lowest and highest sample anyway.
struct DrawnSpan {
    double low;  // the temperatures shown, K
    double high;
    int columns;  // pixel columns across them
    // Points drawn each on its own need no column's first and last sample,
    // which only join a line to its neighbours.
    bool extremesOnly = false;
};

// For T ascending: the samples between span.low and span.high, plus the
// nearest one beyond each end so that a line reaches the edges. Where a
// column holds more than four samples, only its first, lowest, highest and
// last are kept, in their order (its lowest and highest alone with
// span.extremesOnly). Each y is multiplied by `scale`; with
// `positiveOnly`, samples that are not above zero are left out (for a
// logarithmic axis). Not finite values are left out.
QList<QPointF> DecimatedPoints(std::span<const double> T, std::span<const double> y,
                               const DrawnSpan& span, double scale, bool positiveOnly);
