#include "initial_rise.h"

#include <cmath>
#include <vector>

#include "least_squares.h"
#include "peak_condition.h"

namespace tsc::analysis {

Outcome<InitialRise> InitialRiseMethod(std::span<const double> temperature,
                                       std::span<const double> current, const PeakLocation& peak,
                                       RiseWindow window) {
    if (!(window.low > 0) || !(window.low < window.high) || !std::isfinite(window.high))
        return MethodRefusal{RefusalReason::InvalidRiseWindow};
    std::vector<double> inverseT, logCurrent;
    double firstT = 0, lastT = 0;
    for (std::size_t i = 0; i < peak.sampleIndex; ++i) {
        const double fraction = current[i] / peak.Im;
        if (!(fraction >= window.low && fraction <= window.high)) continue;
        if (inverseT.empty()) firstT = temperature[i];
        lastT = temperature[i];
        inverseT.push_back(1 / temperature[i]);
        logCurrent.push_back(std::log(current[i]));
    }
    const int points = DistinctValues(inverseT);
    if (points < kMinimumRisePoints)
        return MethodRefusal{RefusalReason::TooFewPointsInRiseWindow, points, kMinimumRisePoints};

    const std::optional<StraightLine> line = FitStraightLine(inverseT, logCurrent);
    if (!line) return MethodRefusal{RefusalReason::OutOfRange};
    InitialRise rise;
    rise.Et = -kBoltzmannEv * line->slope;
    if (!(rise.Et > 0)) return MethodRefusal{RefusalReason::NonPositiveEnergy};
    rise.stderrEt = kBoltzmannEv * std::sqrt(line->slopeVariance);
    if (!std::isfinite(rise.Et) || !std::isfinite(rise.stderrEt))
        return MethodRefusal{RefusalReason::OutOfRange};
    rise.points = static_cast<int>(inverseT.size());
    rise.slope = line->slope;
    rise.intercept = line->intercept;
    rise.firstT = firstT;
    rise.lastT = lastT;
    return rise;
}

}  // namespace tsc::analysis
