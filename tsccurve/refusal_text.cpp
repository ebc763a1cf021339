#include <string>

#include "subcommands.h"

namespace {

std::string Named(Parameter parameter) {
    const ParameterInfo& info = InfoOf(parameter);
    return std::string(info.symbol) + " (" + info.unit + ")";
}

}  // namespace

std::string RefusalText(const Refusal& refusal) {
    const std::string name = Named(refusal.parameter);
    switch (refusal.kind) {
        case RefusalKind::NotFinite:
            return name + " is too large or not finite";
        case RefusalKind::Negative:
            return name + " must not be negative";
        case RefusalKind::NotPositive:
            return name + " must be greater than 0";
        case RefusalKind::StepTooSmall:
            return name + " is too small next to " + Named(Parameter::To) +
                   ": the temperature would not advance";
        case RefusalKind::TooManySteps:
            return "too many temperature steps (at most " + std::to_string(refusal.limit) +
                   "): make " + name + " larger or the temperature range narrower";
    }
    return name + " is refused";
}
