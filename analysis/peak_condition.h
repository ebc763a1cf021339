#pragma once

namespace tsc {

// Boltzmann's constant in eV/K, from the exact CODATA 2018 values of k and q.
inline constexpr double kBoltzmannEvPerK = 1.380649e-23 / 1.602176634e-19;

// The escape frequency for which a first-order peak of energy `energyEv`
// lies at `peakK` when heated at `betaKPerMin`: β·E/(k·Tm²) = νt·exp(−E/(k·Tm)),
// with β in K/s. Infinite where the frequency overflows.
double FrequencyFromPeakCondition(double energyEv, double peakK, double betaKPerMin);

}  // namespace tsc
