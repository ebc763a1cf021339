#pragma once

#include <span>

#include "method_refusal.h"
#include "peak_location.h"
#include "value_with_error.h"

namespace tsc::analysis {

inline constexpr int kMinimumWholeCurvePoints = 8;

// The whole-curve method: with Q(T) = ∫_T^Tend I dT′/β the charge still to be
// released (β in K/s), a first-order peak has Q/I = 1/(νt·exp(−Et/kT)), so
// ln(Q/I) = Et/(kT) − ln νt is a straight line in 1/T whose slope gives the
// energy and whose intercept the escape frequency.
//
// Used are the samples from where the current, going down the rising side
// from the peak, is still at least 5 % of Im, to where on the falling side it
// is still at least 30 % of Im. Below 5 % on the rising side the current is
// mostly noise and background; on the falling side Q tends to zero, so that
// noise and the charge cut off with the end of the data weigh ever more. The
// current must fall below 5 % of Im after the peak: on the independent
// first-order curves, data ending there leave Et 0.7 % high, ending at 1 %
// 0.1 %, and a complete tail leaves it within 1e-5.
struct WholeCurve {
    ValueWithError Et;  // eV
    ValueWithError Vt;  // Hz; its error refused where it exceeds the frequency itself
    double r2 = 0;
    // Whether the points lie on a line, as a single first-order peak's do:
    // a parabola in 1/T through them, as how far its middle lies below the
    // chord through its ends (in units of ln(Q/I)), and that value's standard
    // error. Beyond a few hundredths and several times its error it says that
    // the peak is not one first-order peak (or that its tail is cut short);
    // on noiseless data the error alone is no guide.
    double curvature = 0;
    double curvatureError = 0;
    int points = 0;     // samples used
    double firstT = 0;  // K, the coldest and warmest sample used
    double lastT = 0;
    double slope = 0;      // of ln(Q/I / s) against 1/T, K
    double intercept = 0;  // ln(Q/I / s) at 1/T = 0
};

// `temperature` does not decrease; both spans have the same size and hold
// finite values.
Outcome<WholeCurve> WholeCurveMethod(std::span<const double> temperature,
                                     std::span<const double> current, const PeakLocation& peak,
                                     double betaKPerMin);

}  // namespace tsc::analysis
