#pragma once

#include <span>
#include <string>
#include <vector>

#include "spectrum_model.h"
#include "spectrum_problem.h"

// Start values for a fit, from the curve itself: each peak's top where the
// search put it, its energy from the curvature there, its frequency from the
// peak condition, and all the heights at once from a linear least-squares
// fit of the peaks' shapes to the curve.
namespace tsc::analysis {

struct PeakStart {
    double Tm = 0;  // K
    double Et = 0;  // eV; 0 to estimate it from the curvature
    // The smoothed curve and its second derivative at Tm, for the energy.
    double height = 0;
    double curvature = 0;
    bool shoulder = false;
};

// A value held fixed, for the peak of that index among the starts (by
// ascending Tm).
struct FixedValue {
    int peak = 0;
    PeakParameter name = PeakParameter::Et;
    double value = 0;
    std::string asGiven{};  // how the user wrote it, for messages ("Nt=1e16"); may be empty
};

// Et (eV) from the curvature of ln I at a peak's top: -d2 ln I/dT2 =
// (Et/kTm^2)^2 (1 + 2kTm/Et) for a first-order peak. NaN where the curve
// does not bend down there.
double EnergyFromCurvature(double Tm, double height, double curvature);

// The model to start from. `b` is the start order of general-order peaks.
// The model to start from. `b` is the start order of general-order peaks;
// `energyFactor` scales every energy not held fixed, for retries from
// elsewhere.
SpectrumModel StartModel(const FitData& data, std::span<const PeakStart> peaks, Kinetics kinetics,
                         BackgroundKind background, std::span<const FixedValue> fixed,
                         double b = 1.3, double energyFactor = 1);

}  // namespace tsc::analysis
