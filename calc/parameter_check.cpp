#include "parameter_check.h"

#include <cmath>
#include <limits>

#include "extended.h"
#include "unit_constants.h"

std::size_t CountSteps(const CalcState& s, std::size_t limit) {
    std::size_t steps = 0;
    for (double T = s.To; T <= s.Tend && steps <= limit;
         T = tsc::Narrow(tsc::Widen(s.a) + tsc::Widen(T))) {
        ++steps;
    }
    return steps;
}

namespace {

using tsc::Narrow;
using tsc::Widen;

// The conversions and the prefactor exactly as the calculation makes them.
std::optional<Refusal> CheckFiniteCurrents(const CalcState& s, std::size_t steps) {
    const double Nt = Narrow(Widen(s.Nt) * Widen(tsc::kPerCm2ToPerM2));
    const double S = Narrow(Widen(s.S) * Widen(tsc::kMm2ToM2));
    const double Pref = Narrow(-Widen(tsc::kCharge) * Widen(S) * Widen(Nt) * Widen(s.Vt));
    if (!std::isfinite(Pref)) {
        Parameter largest = Parameter::Vt;
        if (Nt >= S && Nt >= s.Vt) largest = Parameter::Nt;
        if (S >= Nt && S >= s.Vt) largest = Parameter::S;
        return Refusal{RefusalKind::CurrentNotFinite, largest};
    }
    if (!std::isfinite(s.Vt / s.Beta))
        return Refusal{RefusalKind::CurrentNotFinite, Parameter::Beta};
    // Each trapezoid adds at most a (its exponentials are at most 1 for
    // Et >= 0), and step i adds i of them. Only with Vt = 0 does an infinite
    // integral spoil the current (0 * inf); otherwise it only makes it 0.
    const long double bound = static_cast<long double>(s.Sum) + static_cast<long double>(s.a) *
                                                                    steps *
                                                                    (steps > 0 ? steps - 1 : 0) / 2;
    if (s.Vt == 0 && !(bound <= std::numeric_limits<double>::max())) {
        return Refusal{RefusalKind::IntegralNotFinite, Parameter::a};
    }
    return std::nullopt;
}

}  // namespace

std::optional<Refusal> CheckParameters(const CalcState& s, std::size_t maxSteps) {
    for (std::size_t i = 0; i < kParameters.size(); ++i) {
        if (!std::isfinite(s.*kParameters[i].member)) {
            return Refusal{RefusalKind::NotFinite, static_cast<Parameter>(i)};
        }
    }
    // A zero energy, frequency, density or area gives a flat but meaningful
    // curve; the start temperature divides, and the rate and step must move.
    for (Parameter p : {Parameter::Et, Parameter::Vt, Parameter::Nt, Parameter::S}) {
        if (s.*InfoOf(p).member < 0) return Refusal{RefusalKind::Negative, p};
    }
    for (Parameter p : {Parameter::To, Parameter::Beta, Parameter::a}) {
        if (s.*InfoOf(p).member <= 0) return Refusal{RefusalKind::NotPositive, p};
    }
    if (tsc::Narrow(tsc::Widen(s.a) + tsc::Widen(s.To)) <= s.To) {
        return Refusal{RefusalKind::StepTooSmall, Parameter::a};
    }
    const std::size_t steps = CountSteps(s, maxSteps);
    if (steps > maxSteps) return Refusal{RefusalKind::TooManySteps, Parameter::a, maxSteps};
    return CheckFiniteCurrents(s, steps);
}
