#pragma once

#include <array>

namespace tsc::analysis {

enum class Width { Tau, Delta, Omega };
inline constexpr std::array kWidths = {Width::Tau, Width::Delta, Width::Omega};

// Chen's general-order peak-shape energy E = c·k·Tm²/α − b·2k·Tm (eV) for the
// width α of a peak with symmetry factor μg; 0.42 gives the first-order
// constants.
double ChenWidthEnergy(Width width, double alpha, double muG, double Tm);

}  // namespace tsc::analysis
