#include "fit_description.h"

#include <cstdio>

#include "physical_constants.h"

namespace tsc::analysis {

const char* ModelName(Kinetics kinetics) {
    return kinetics == Kinetics::Window ? "legacy" : "standard";
}

const char* KineticsName(Kinetics kinetics) {
    switch (kinetics) {
        case Kinetics::First:
            return "first order";
        case Kinetics::Second:
            return "second order";
        case Kinetics::General:
            return "general order";
        case Kinetics::Window:
            return "window's model";
    }
    return "";
}

const char* BackgroundName(BackgroundKind kind) {
    switch (kind) {
        case BackgroundKind::None:
            return "none";
        case BackgroundKind::Constant:
            return "constant";
        case BackgroundKind::Linear:
            return "linear";
        case BackgroundKind::Exponential:
            return "exponential";
    }
    return "";
}

std::string RateText(const RateAsGiven& beta) {
    char text[80];
    if (beta.givenPerSecond) {
        std::snprintf(text, sizeof text, "%.6g K/min (%.6g K/s)", beta.kPerMin,
                      beta.kPerMin / kSecondsPerMinute);
    } else {
        std::snprintf(text, sizeof text, "%.6g K/min", beta.kPerMin);
    }
    return text;
}

double DensityOfCharge(double charge, double areaMm2) {
    return charge / (kElementaryCharge * areaMm2 * kMm2ToM2 * kPerCm2ToPerM2);
}

const char* KineticsKey(Kinetics kinetics) {
    switch (kinetics) {
        case Kinetics::First:
            return "first";
        case Kinetics::Second:
            return "second";
        case Kinetics::General:
            return "general";
        case Kinetics::Window:
            return "window";
    }
    return "";
}

const char* VerdictKey(PeakVerdict verdict) {
    switch (verdict) {
        case PeakVerdict::Determined:
            return "determined";
        case PeakVerdict::Undetermined:
            return "undetermined";
        case PeakVerdict::RanAway:
            return "ran away";
    }
    return "";
}

}  // namespace tsc::analysis
