#include "peak_condition.h"

#include <cmath>

namespace tsc::analysis {

double FrequencyFromPeakCondition(double energyEv, double peakK, double betaKPerMin) {
    const double betaKPerS = betaKPerMin / kSecondsPerMinute;
    const double x = energyEv / (kBoltzmannEv * peakK);
    return betaKPerS * x / peakK * std::exp(x);
}

}  // namespace tsc::analysis
