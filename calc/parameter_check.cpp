#include "parameter_check.h"

#include <cmath>

#include "extended.h"

std::size_t CountSteps(const CalcState& s) {
    std::size_t steps = 0;
    for (double T = s.To; T <= s.Tend && steps <= kMaxSteps;
         T = tsc::Narrow(tsc::Widen(s.a) + tsc::Widen(T))) {
        ++steps;
    }
    return steps;
}

std::optional<Refusal> CheckParameters(const CalcState& s) {
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
    if (CountSteps(s) > kMaxSteps) {
        return Refusal{RefusalKind::TooManySteps, Parameter::a, kMaxSteps};
    }
    return std::nullopt;
}
