#pragma once

#include <optional>
#include <string>
#include <vector>

#include "physical_constants.h"
#include "standard_model.h"

// The window's own calculation of a curve, for fitting a measurement so that
// the fitted values typed into the window reproduce it there.
namespace tsc::analysis {

// The currents the window computes from To = T.front(), in steps of `a`, on
// to the first step beyond T.back(), with a fresh running integral,
// interpolated linearly to the temperatures T (increasing). Beta in K/min,
// S in mm^2, as the window takes them.
struct LegacyCurve {
    std::vector<double> I;  // at T
    double Tpeak;           // the window's peak fields
    double Ipeak;
};
// The charge the window's model releases at Nt = 1 cm^-2 and S = 1 mm^2
// (A s): its current is proportional to both.
inline constexpr double kWindowUnitCharge = kElementaryCharge * kMm2ToM2 * kPerCm2ToPerM2;

LegacyCurve LegacyCurrentsAt(const Trap& trap, double Beta, double S, double a,
                             const std::vector<double>& T);

// Why the window's calculation cannot cover T.front()..T.back() in steps of
// `a` within a fit's time: a step that is not positive or does not advance,
// or more than 5,000 steps.
std::optional<std::string> CheckLegacyGrid(const std::vector<double>& T, double a);

}  // namespace tsc::analysis
