#pragma once

// CODATA 2018 values, exact by the definition of the SI units. The window's
// legacy calculation keeps its own rounded constants; these are for the
// evaluation of measurements.
namespace tsc::analysis {

inline constexpr double kElementaryCharge = 1.602176634e-19;             // C
inline constexpr double kBoltzmannJ = 1.380649e-23;                      // J/K
inline constexpr double kBoltzmannEv = kBoltzmannJ / kElementaryCharge;  // eV/K

// The window's units, converted for the formulas.
inline constexpr double kSecondsPerMinute = 60.0;
inline constexpr double kMm2ToM2 = 1e-6;
inline constexpr double kPerCm2ToPerM2 = 1e4;

}  // namespace tsc::analysis
