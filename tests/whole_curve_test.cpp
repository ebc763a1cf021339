// The whole-curve method on peaks made independently: first-order ones from
// tests/first_order_curve, a second-order one and a pair of first-order ones
// written down here.
#include <gtest/gtest.h>

#include <boost/math/special_functions/expint.hpp>
#include <cmath>
#include <vector>

#include "curve_methods.h"
#include "first_order_curve.h"
#include "method_outcome.h"

namespace {

using namespace tsc::analysis;

constexpr double kK = 8.617333262e-5;  // eV/K

const FirstOrderPeak kTscPeak{0.5, 1e10, 5};
const FirstOrderPeak kDeepPeak{1.4, 1e14, 120};

// The peak from Tm − 60 K to Tm + 40 K in steps alternating 0.05 and 0.25 K.
SampledCurve Uneven(const FirstOrderPeak& peak) {
    const double tm = peak.ExactTm(), T0 = tm - 60;
    SampledCurve curve;
    for (int i = 0; T0 + 0.15 * i <= tm + 40; ++i) {
        const double T = T0 + 0.3 * (i / 2) + 0.05 * (i % 2);
        curve.T.push_back(T);
        curve.I.push_back(1e-9 * std::exp(peak.LogCurrent(T, T0) - peak.LogCurrent(tm, T0)));
    }
    return curve;
}

WholeCurve Whole(const SampledCurve& curve, double beta) {
    return Value(EvaluateCurve(curve.T, curve.I, beta).wholeCurve);
}

class FirstOrderWholeCurve : public testing::TestWithParam<FirstOrderPeak> {};

// The trapezoid rule over steps of at most 0.25 K leaves Q within about 1e-4
// of itself, and Et within 1e-4; νt's logarithm moves by Et/kTm ≈ 30 times
// Et's relative error, so νt stays within 0.3 %. A first-order peak's points
// lie on a line: no curvature beyond a thousandth.
TEST_P(FirstOrderWholeCurve, GivesTheTrapBackOnUnevenSteps) {
    const FirstOrderPeak& model = GetParam();
    const WholeCurve whole = Whole(Uneven(model), model.betaKPerMin);
    EXPECT_NEAR(whole.Et.value, model.Et, 1e-4 * model.Et);
    EXPECT_NEAR(whole.Vt.value, model.Vt, 3e-3 * model.Vt);
    EXPECT_LT(std::abs(whole.curvature), 1e-3);
    EXPECT_GT(whole.r2, 0.99999);
}

INSTANTIATE_TEST_SUITE_P(WholeCurve, FirstOrderWholeCurve, testing::Values(kTscPeak, kDeepPeak));

// With 1 % noise the true values lie within a few standard errors, and the
// curvature is within a few of its own.
TEST(WholeCurve, ErrorsCoverTheTrapUnderNoise) {
    const WholeCurve whole = Whole(SampleCurve(kTscPeak, 60, 40, 0.1, 0.01, 3), 5);
    const double etError = Value(whole.Et.standardError);
    EXPECT_LT(etError, 1e-3);
    EXPECT_NEAR(whole.Et.value, kTscPeak.Et, 4 * etError);
    EXPECT_NEAR(whole.Vt.value, kTscPeak.Vt, 4 * Value(whole.Vt.standardError));
    EXPECT_LT(std::abs(whole.curvature), 3 * whole.curvatureError);
}

// ∫ exp(−E/kT′) dT′ from T0 to T.
double Integral(double E, double T0, double T) {
    const auto F = [&](double t) { return t * boost::math::expint(2, E / (kK * t)); };
    return F(T) - F(T0);
}

// A second-order peak, I ∝ exp(−E/kT)/(1 + (ν/β)·∫exp(−E/kT′)dT′)², and two
// first-order peaks 20 K apart: neither lies on one line.
TEST(WholeCurve, CurvatureFlagsASecondOrderAndADoublePeak) {
    const double tm = kTscPeak.ExactTm(), T0 = tm - 60, beta = 5 / 60.0;
    const FirstOrderPeak neighbour{0.55, 1e10, 5};
    const double tmNeighbour = neighbour.ExactTm();
    SampledCurve second, pair;
    for (double T = T0; T <= tm + 60; T += 0.1) {
        const double x = std::exp(-kTscPeak.Et / (kK * T));
        second.T.push_back(T);
        second.I.push_back(1e-9 * x / std::pow(1 + 1e10 / beta * Integral(0.5, T0, T), 2));
        pair.T.push_back(T);
        pair.I.push_back(
            1e-9 * (std::exp(kTscPeak.LogCurrent(T, T0) - kTscPeak.LogCurrent(tm, T0)) +
                    std::exp(neighbour.LogCurrent(T, T0) - neighbour.LogCurrent(tmNeighbour, T0))));
    }
    for (const SampledCurve* curve : {&second, &pair}) {
        const WholeCurve whole = Whole(*curve, 5);
        EXPECT_GT(std::abs(whole.curvature), 0.1);
        EXPECT_GT(std::abs(whole.curvature), 10 * whole.curvatureError);
        EXPECT_LT(whole.r2, 0.99);
    }
}

TEST(WholeCurveRefusals, CurveCutBeforeItsTail) {
    const SampledCurve curve = SampleCurve(kTscPeak, 60, 4, 0.1);
    const CurveMethods cut = EvaluateCurve(curve.T, curve.I, 5);
    ASSERT_EQ(Reason(cut.wholeCurve), RefusalReason::NoChargeTail);
    EXPECT_GT(Refused(cut.wholeCurve)->found, 50);
}

}  // namespace
