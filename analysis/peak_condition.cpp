#include "peak_condition.h"

#include <cmath>

namespace tsc {

double FrequencyFromPeakCondition(double energyEv, double peakK, double betaKPerMin) {
    const double betaKPerS = betaKPerMin / 60;
    const double x = energyEv / (kBoltzmannEvPerK * peakK);
    return betaKPerS * x / peakK * std::exp(x);
}

}  // namespace tsc
