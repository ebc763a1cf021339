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
        x.push_back(1 / (kBoltzmannEv * peak.Tm));
        y.push_back(std::log(peak.Tm * peak.Tm / (peak.betaKPerMin / kSecondsPerMinute)));
    }
    bool moves = false;
    for (double xi : x) moves = moves || xi != x.front();
    if (!moves) return MethodRefusal{RefusalReason::PeaksDoNotMove};

    const StraightLine line = FitStraightLine(x, y);
    const double energy = line.slope;
    if (!(energy > 0)) return MethodRefusal{RefusalReason::NonPositiveEnergy};
    const double frequency = energy / (kBoltzmannEv * std::exp(line.intercept));
    if (!std::isfinite(frequency)) return MethodRefusal{RefusalReason::FrequencyOverflow};

    HeatingRateEstimate estimate;
    estimate.Et.value = energy;
    estimate.Vt.value = frequency;
    estimate.r2 = line.r2;
    estimate.curves = curves;
    if (line.degreesOfFreedom == 0) {
        estimate.Et.standardError = estimate.Vt.standardError =
            MethodRefusal{RefusalReason::NoDegreesOfFreedom};
    } else {
        // νt = Et/(k·e^c): first-order propagation of the slope's and
        // intercept's covariance.
        const double relativeVariance = line.slopeVariance / (energy * energy) -
                                        2 * line.covariance / energy + line.interceptVariance;
        estimate.Et.standardError = std::sqrt(line.slopeVariance);
        estimate.Vt.standardError = frequency * std::sqrt(std::max(relativeVariance, 0.0));
    }
    return estimate;
}

}  // namespace tsc::analysis
