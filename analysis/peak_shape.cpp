#include "peak_shape.h"

#include <cmath>

#include "peak_condition.h"

namespace tsc {
namespace {

// Walks from the peak sample by `step` (−1 or +1) to the first sample below
// half the peak, and interpolates between it and the one before.
Outcome<double> HalfCrossing(std::span<const double> temperature, std::span<const double> current,
                             const PeakLocation& peak, int step, RefusalReason missing) {
    const double half = 0.5 * peak.Im;
    const auto n = static_cast<std::ptrdiff_t>(current.size());
    for (auto i = static_cast<std::ptrdiff_t>(peak.sampleIndex) + step; i >= 0 && i < n;
         i += step) {
        if (current[i] < half) {
            const std::ptrdiff_t above = i - step;
            const double fraction = (current[above] - half) / (current[above] - current[i]);
            return temperature[above] + fraction * (temperature[i] - temperature[above]);
        }
    }
    return MethodRefusal{missing};
}

struct ChenConstants {
    double c;
    double b;
};

ChenConstants ConstantsFor(Width width, double muG) {
    const double offset = muG - 0.42;
    switch (width) {
        case Width::Tau:
            return {1.51 + 3.0 * offset, 1.58 + 4.2 * offset};
        case Width::Delta:
            return {0.976 + 7.3 * offset, 0};
        case Width::Omega:
            break;
    }
    return {2.52 + 10.2 * offset, 1};
}

double WidthOf(Width width, const PeakShape& shape) {
    switch (width) {
        case Width::Tau:
            return shape.tau;
        case Width::Delta:
            return shape.delta;
        case Width::Omega:
            break;
    }
    return shape.omega;
}

}  // namespace

HalfIntensity FindHalfIntensity(std::span<const double> temperature,
                                std::span<const double> current, const PeakLocation& peak) {
    return {HalfCrossing(temperature, current, peak, -1, RefusalReason::NoHalfMaximumBelow),
            HalfCrossing(temperature, current, peak, +1, RefusalReason::NoHalfMaximumAbove)};
}

KineticOrder OrderFromSymmetry(double muG) {
    if (muG < 0.445) return KineticOrder::First;
    if (muG > 0.495) return KineticOrder::Second;
    return KineticOrder::General;
}

PeakShape ShapeOfPeak(double Tm, double T1, double T2) {
    PeakShape shape;
    shape.tau = Tm - T1;
    shape.delta = T2 - Tm;
    shape.omega = T2 - T1;
    shape.muG = shape.delta / shape.omega;
    shape.order = OrderFromSymmetry(shape.muG);
    return shape;
}

Outcome<TrapEstimate> ChenEnergy(Width width, const PeakShape& shape, double Tm,
                                 double betaKPerMin) {
    const ChenConstants constants = ConstantsFor(width, shape.muG);
    const double k = kBoltzmannEvPerK;
    const double energy =
        constants.c * k * Tm * Tm / WidthOf(width, shape) - constants.b * 2 * k * Tm;
    if (!(energy > 0)) return MethodRefusal{RefusalReason::NonPositiveEnergy};
    const double frequency = FrequencyFromPeakCondition(energy, Tm, betaKPerMin);
    if (!std::isfinite(frequency)) return MethodRefusal{RefusalReason::FrequencyOverflow};
    return TrapEstimate{energy, frequency};
}

}  // namespace tsc
