#pragma once

#include "physical_constants.h"

namespace tsc::analysis {

// The escape frequency for which a first-order peak of energy `energyEv`
// lies at `peakK` when heated at `betaKPerMin`: β·E/(k·Tm²) = νt·exp(−E/(k·Tm)),
// with β in K/s. Infinite where the frequency overflows.
double FrequencyFromPeakCondition(double energyEv, double peakK, double betaKPerMin);

}  // namespace tsc::analysis
