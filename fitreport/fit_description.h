#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>

#include "deconvolution.h"
#include "spectrum_fit.h"

// What a report says about how a fit was asked for, beside what it found.
namespace tsc::analysis {

// The heating rate as the user gave it: the window's K/min, or K/s.
struct RateAsGiven {
    double kPerMin = 0;
    bool givenPerSecond = false;
};

struct FitDescription {
    std::string file;
    RateAsGiven beta;
    std::optional<double> areaMm2;  // with it, the charge is also a trap density
    Kinetics kinetics = Kinetics::First;
    BackgroundKind background = BackgroundKind::None;
    Weighting weighting = Weighting::None;
    std::size_t reorderedPoints = 0;
    std::optional<std::pair<double, double>> range;  // K
};

// "standard" for the textbook kinetics, "legacy" for the window's model.
const char* ModelName(Kinetics kinetics);
// "first order", "second order", "general order", "window's model".
const char* KineticsName(Kinetics kinetics);
const char* BackgroundName(BackgroundKind kind);
// "5 K/min", or "60 K/min (1 K/s)" when it was given per second.
std::string RateText(const RateAsGiven& beta);
// The JSON's words: "first", "second", "general", "window"; "determined",
// "undetermined", "ran away".
const char* KineticsKey(Kinetics kinetics);
const char* VerdictKey(PeakVerdict verdict);
// Nt (cm^-2) for the charge (A s) released from the area (mm^2).
double DensityOfCharge(double charge, double areaMm2);

}  // namespace tsc::analysis
