#pragma once

#include <span>

#include "method_refusal.h"

namespace tsc::analysis {

struct PeakAtRate {
    double betaKPerMin = 0;
    double Tm = 0;  // K
};

struct ValueWithError {
    double value = 0;
    Outcome<double> standardError = 0.0;  // refused through exactly two curves
};

// The straight line ln(Tm²/β) = Et/(k·Tm) + ln(Et/(k·νt)) through the peaks
// of curves measured at different heating rates (β in K/s in the formula).
struct HeatingRateEstimate {
    ValueWithError Et;  // eV
    ValueWithError Vt;  // Hz
    double r2 = 0;
    int curves = 0;
};

Outcome<HeatingRateEstimate> HeatingRateMethod(std::span<const PeakAtRate> peaks);

}  // namespace tsc::analysis
