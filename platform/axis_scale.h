#pragma once

#include <string>
#include <vector>

// A linear chart axis whose ticks sit on round values (1, 2 or 5 times a
// power of ten) and whose labels read like the program's other numbers.
//
// The chart draws in "drawn units" of `unit` data units each, so that the
// drawn range is a few units wide whatever the data's magnitude: the chart
// library cannot lay out an axis whose range is narrower than 1E-12, and
// currents of this program are often smaller than that.
struct AxisTick {
    double position;    // in drawn units
    std::string label;  // the data value, as FloatToStr writes it
};

struct AxisScale {
    double unit;  // data units per drawn unit, a power of ten
    double low;   // the axis range, in drawn units
    double high;
    // From low to high, both included, but for a tick whose value would
    // pass the largest binary64 number (data near 1.8E308).
    std::vector<AxisTick> ticks;
};

// The scale for data from `low` to `high`, in at most five intervals: the
// main window's small chart. Without data (low > high, or either not finite)
// it spans 0 to 1; a single value gets room either side.
AxisScale NiceAxisScale(double low, double high);

// The same for an axis with room for up to `mostIntervals` labels (at least
// 2): of the round steps that need no more, the one that widens the range
// least, the finer of two that widen it alike. A picture's axes, where a
// range widened by a whole coarse step would leave much of the chart empty.
AxisScale TightAxisScale(double low, double high, int mostIntervals);
