#pragma once

#include <vector>

#include "standard_model.h"

// First guesses for a fit, from the shape of the measured peak.
namespace tsc::analysis {

// The peak of the curve smoothed by a short moving average, and the
// temperatures on either side where it falls to half (NaN where the curve
// does not fall that far).
struct PeakShape {
    double Tm, Im;
    double T1, T2;
};
PeakShape MeasurePeak(const std::vector<double>& T, const std::vector<double>& I);

// Et (eV) of a first-order peak from its half-widths, after Chen: the full
// width omega where both halves are known, else the high-temperature half
// delta or the low-temperature half tau. NaN when no half-width is known.
double ChenEnergy(const PeakShape& peak);

// Nt (cm^-2) from the area under the curve: integral I dT / beta = q S Nt.
double DensityFromArea(const std::vector<double>& T, const std::vector<double>& I, double Beta,
                       double S);

}  // namespace tsc::analysis
