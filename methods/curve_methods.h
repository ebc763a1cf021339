#pragma once

#include <array>
#include <span>

#include "initial_rise.h"
#include "method_refusal.h"
#include "peak_location.h"
#include "peak_shape.h"
#include "whole_curve.h"

namespace tsc::analysis {

// Every classic method on one curve. A quantity that cannot be had carries
// the reason; one derived from it carries the same reason.
struct CurveMethods {
    Outcome<PeakLocation> peak;
    Outcome<double> T1;
    Outcome<double> T2;
    Outcome<double> tau;
    Outcome<double> delta;
    Outcome<double> omega;
    Outcome<PeakWidths> widths;                 // needs both half-intensity temperatures
    std::array<Outcome<TrapEstimate>, 3> chen;  // in the order of kWidths
    Outcome<InitialRise> initialRise;
    Outcome<WholeCurve> wholeCurve;
};

// Temperatures may repeat but not fall (a reader sorts them); a curve that is
// not two columns of equal length of finite numbers with temperatures above
// 0 K in that order has every method refused.
CurveMethods EvaluateCurve(std::span<const double> temperature, std::span<const double> current,
                           double betaKPerMin, RiseWindow window = {});

}  // namespace tsc::analysis
