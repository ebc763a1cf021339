#pragma once

#include <span>

#include "chen_energy.h"
#include "method_refusal.h"
#include "peak_location.h"

namespace tsc::analysis {

// The half-intensity temperatures T1 < Tm < T2, where the curve crosses Im/2
// on either side of its peak, interpolated between the samples that bracket
// the crossing nearest the peak. Each is refused where it would not lie on its
// side of Tm.
struct HalfIntensity {
    Outcome<double> T1;
    Outcome<double> T2;
};

HalfIntensity FindHalfIntensity(std::span<const double> temperature,
                                std::span<const double> current, const PeakLocation& peak);

enum class KineticOrder { First, General, Second };

// The peak's widths τ = Tm − T1, δ = T2 − Tm, ω = T2 − T1 and its symmetry
// factor μg = δ/ω, about 0.42 for first-order and 0.52 for second-order kinetics.
struct PeakWidths {
    double tau = 0;
    double delta = 0;
    double omega = 0;
    double muG = 0;
    KineticOrder order = KineticOrder::First;
};

PeakWidths WidthsOfPeak(double Tm, double T1, double T2);

// The order whose symmetry factor lies nearest: first and second order at
// their values, general order between them.
KineticOrder OrderFromSymmetry(double muG);

struct TrapEstimate {
    double Et = 0;  // eV
    double Vt = 0;  // Hz, from the first-order peak condition
};

// The same energy from the peak's own widths, with its escape frequency at the
// heating rate.
Outcome<TrapEstimate> ChenShapeEnergy(Width width, const PeakWidths& shape, double Tm,
                                      double betaKPerMin);

}  // namespace tsc::analysis
