#include "curve_decimation.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The indices kept of one column, in the order of the samples.
class Column {
  public:
    void Add(std::size_t i, double y) {
        if (count_ == 0) first_ = lowest_ = highest_ = i, low_ = high_ = y;
        if (y < low_) low_ = y, lowest_ = i;
        if (y > high_) high_ = y, highest_ = i;
        last_ = i;
        ++count_;
    }

    template <class Keep>
    void Flush(Keep keep, bool extremesOnly) {
        if (count_ == 0) return;
        std::array<std::size_t, 4> kept = {first_, lowest_, highest_, last_};
        if (extremesOnly) kept = {lowest_, highest_, lowest_, highest_};
        std::sort(kept.begin(), kept.end());
        const auto end = std::unique(kept.begin(), kept.end());
        for (auto it = kept.begin(); it != end; ++it) keep(*it);
        count_ = 0;
    }

  private:
    std::size_t count_ = 0, first_ = 0, lowest_ = 0, highest_ = 0, last_ = 0;
    double low_ = 0, high_ = 0;
};

}  // namespace

QList<QPointF> DecimatedPoints(std::span<const double> T, std::span<const double> y,
                               const DrawnSpan& span, double scale, bool positiveOnly) {
    QList<QPointF> points;
    const std::size_t n = std::min(T.size(), y.size());
    if (n == 0 || !(span.high >= span.low)) return points;
    const auto usable = [&](std::size_t i) {
        return std::isfinite(T[i]) && std::isfinite(y[i]) && (!positiveOnly || y[i] > 0);
    };
    std::size_t begin = std::lower_bound(T.begin(), T.begin() + n, span.low) - T.begin();
    std::size_t end = std::upper_bound(T.begin(), T.begin() + n, span.high) - T.begin();
    if (begin > 0) --begin;
    if (end < n) ++end;
    const int columns = std::max(1, span.columns);
    const double width = span.high > span.low ? (span.high - span.low) / columns : 1;
    points.reserve(static_cast<qsizetype>(std::min<std::size_t>(end - begin, 4 * columns + 8)));
    const auto keep = [&](std::size_t i) { points.append(QPointF(T[i], y[i] * scale)); };
    Column column;
    long current = 0;
    bool started = false;
    for (std::size_t i = begin; i < end; ++i) {
        if (!usable(i)) continue;
        const long at = static_cast<long>(std::floor((T[i] - span.low) / width));
        if (started && at != current) column.Flush(keep, span.extremesOnly);
        current = at;
        started = true;
        column.Add(i, y[i]);
    }
    column.Flush(keep, span.extremesOnly);
    return points;
}
