#pragma once

#include <span>

#include "method_refusal.h"
#include "value_with_error.h"

namespace tsc::analysis {

struct PeakAtRate {
    double betaKPerMin = 0;
    double Tm = 0;  // K
};

// The straight line ln(Tm²/β) = Et/(k·Tm) + ln(Et/(k·νt)) through the peaks
// of curves measured at different heating rates (β in K/s in the formula).
struct HeatingRateEstimate {
    ValueWithError Et;  // eV; the errors are refused through exactly two curves
    ValueWithError Vt;  // Hz
    double r2 = 0;
    int curves = 0;
};

Outcome<HeatingRateEstimate> HeatingRateMethod(std::span<const PeakAtRate> peaks);

}  // namespace tsc::analysis
