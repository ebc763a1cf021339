#include "heating_rate.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "least_squares.h"
#include "peak_condition.h"

namespace tsc::analysis {

Outcome<HeatingRateEstimate> HeatingRateMethod(std::span<const PeakAtRate> peaks) {
    const int curves = static_cast<int>(peaks.size());
    if (curves < 2) return MethodRefusal{RefusalReason::TooFewCurves, curves, 2};
    // Without a change of rate any shift of the peaks is noise, and the line
    // through them gives no energy.
    const auto sameRate = [&](const PeakAtRate& p) {
        return p.betaKPerMin == peaks[0].betaKPerMin;
    };
    if (std::all_of(peaks.begin(), peaks.end(), sameRate)) {
        return MethodRefusal{RefusalReason::RatesAreEqual};
    }
    std::vector<double> x, y;
    for (const PeakAtRate& peak : peaks) {
        if (!(peak.betaKPerMin > 0) || !std::isfinite(peak.betaKPerMin))
            return MethodRefusal{RefusalReason::InvalidHeatingRate};
        if (!(peak.Tm > 0) || !std::isfinite(peak.Tm))
            return MethodRefusal{RefusalReason::CurveWithoutPeak};
        x.push_back(1 / (kBoltzmannEv * peak.Tm));
        // In logarithms, so that Tm² cannot overflow.
        y.push_back(2 * std::log(peak.Tm) - std::log(peak.betaKPerMin / kSecondsPerMinute));
    }
    if (DistinctValues(x) < 2) return MethodRefusal{RefusalReason::PeaksDoNotMove};

    const std::optional<StraightLine> line = FitStraightLine(x, y);
    if (!line) return MethodRefusal{RefusalReason::OutOfRange};
    const double energy = line->slope;
    if (!(energy > 0)) return MethodRefusal{RefusalReason::NonPositiveEnergy};
    // νt = Et/(k·e^c), taken through its logarithm: e^c alone may overflow
    // where νt does not, and would give νt = 0.
    const double frequency = std::exp(std::log(energy / kBoltzmannEv) - line->intercept);
    if (!std::isfinite(frequency)) return MethodRefusal{RefusalReason::FrequencyOverflow};
    if (!(frequency > 0)) return MethodRefusal{RefusalReason::OutOfRange};

    HeatingRateEstimate estimate;
    estimate.Et.value = energy;
    estimate.Vt.value = frequency;
    estimate.r2 = line->r2;
    estimate.curves = curves;
    if (line->degreesOfFreedom == 0) {
        estimate.Et.standardError = estimate.Vt.standardError =
            MethodRefusal{RefusalReason::NoDegreesOfFreedom};
    } else {
        // νt = Et/(k·e^c): first-order propagation of the slope's and
        // intercept's covariance.
        const double relativeVariance = line->slopeVariance / (energy * energy) -
                                        2 * line->covariance / energy + line->interceptVariance;
        const double etError = std::sqrt(line->slopeVariance);
        const double vtError = frequency * std::sqrt(std::max(relativeVariance, 0.0));
        if (!std::isfinite(etError) || !std::isfinite(vtError))
            return MethodRefusal{RefusalReason::OutOfRange};
        estimate.Et.standardError = etError;
        estimate.Vt.standardError = vtError;
    }
    return estimate;
}

}  // namespace tsc::analysis
