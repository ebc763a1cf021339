#pragma once

namespace tsc {

// The constants are binary64 values widened exactly; extended literals would
// be different numbers and change the currents.
inline constexpr double kElectronVolt = 1.602e-19;
inline constexpr float kPerCm2ToPerM2 = 10000.0f;
inline constexpr double kMm2ToM2 = 1e-6;
inline constexpr double kHalf = 0.5;
inline constexpr double kCharge = -1.602e-19;
inline constexpr double kBoltzmann = 1.3804e-23;

}  // namespace tsc
