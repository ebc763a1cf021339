#pragma once

#include <span>
#include <string>

#include "spectrum_fit.h"

// The measured curve beside the fit: T, the measurement, the fitted sum and
// the residual, then each peak and the background where there are several
// components; one line per point, numbers that read back as the same
// doubles. `amperes` writes the currents' unit into the column names.
namespace tsc::analysis {

std::string FitCsv(const SpectrumFit& fit, std::span<const double> measured, bool amperes);

}  // namespace tsc::analysis
