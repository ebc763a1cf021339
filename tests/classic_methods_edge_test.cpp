// The classic methods on curves that once gave contradictory or infinite
// results: a sparse, uneven peak top, currents near the largest double,
// repeated temperatures, and input that is not a curve at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "curve_methods.h"
#include "first_order_curve.h"
#include "method_outcome.h"

namespace {

using namespace tsc::analysis;

const FirstOrderPeak kTscPeak{0.5, 1e10, 5};

CurveMethods Evaluate(const SampledCurve& curve) { return EvaluateCurve(curve.T, curve.I, 5); }

// Eight uneven points with a 2 K gap at the top: the quartic through those
// above 80 % rose to three times the largest sample inside the gap, and the
// half-intensity temperatures came out on the wrong sides of Tm.
TEST(ClassicMethodsOnAwkwardCurves, SparseTopIsRefusedRatherThanInverted) {
    const SampledCurve curve{
        {102.963, 103.227, 105.541, 105.818, 106.117, 106.337, 106.607, 107.157},
        {0.781304, 0.815865, 1.00566, 0.945372, 0.910719, 0.926959, 0.872061, 0.752226}};
    const CurveMethods methods = Evaluate(curve);
    EXPECT_EQ(Reason(methods.peak), RefusalReason::PeakTopNotSampled);
    EXPECT_EQ(Reason(methods.widths), RefusalReason::PeakTopNotSampled);
}

// The peak scaled to 1.797e308 is the same peak; scaled so that its largest
// sample is the largest double, the fitted top lies beyond any double.
TEST(ClassicMethodsOnAwkwardCurves, CurrentsNearTheLargestDouble) {
    const SampledCurve nominal = SampleCurve(kTscPeak, 60, 40, 0.1);
    const double largest = *std::max_element(nominal.I.begin(), nominal.I.end());
    SampledCurve huge = nominal;
    for (double& I : huge.I) I = I / largest * 1.797e308;
    const CurveMethods methods = Evaluate(huge);
    const double tm = kTscPeak.ExactTm(), T0 = tm - 60;
    EXPECT_NEAR(Value(methods.peak).Tm, tm, 0.01);
    EXPECT_NEAR(Value(methods.peak).Im, 1e-9 / largest * 1.797e308, 1e-4 * 1.797e308);
    EXPECT_NEAR(Value(methods.widths).muG,
                (kTscPeak.ExactT2(T0) - tm) / (kTscPeak.ExactT2(T0) - kTscPeak.ExactT1(T0)), 1e-3);
    EXPECT_NEAR(Value(methods.wholeCurve).Et.value, kTscPeak.Et, 1e-4);

    for (std::size_t i = 0; i < huge.I.size(); ++i)
        huge.I[i] = nominal.I[i] / largest * std::numeric_limits<double>::max();
    EXPECT_EQ(Reason(Evaluate(huge).peak), RefusalReason::OutOfRange);
}

SampledCurve EachSampleRepeated(const SampledCurve& curve, int times) {
    SampledCurve repeated;
    for (std::size_t i = 0; i < curve.T.size(); ++i) {
        repeated.T.insert(repeated.T.end(), times, curve.T[i]);
        repeated.I.insert(repeated.I.end(), times, curve.I[i]);
    }
    return repeated;
}

// Samples at one temperature, as a reader that sorts the points gives them:
// the methods hold on a curve with every sample doubled, and a top of twelve
// samples at three temperatures is too few for the quartic.
TEST(ClassicMethodsOnAwkwardCurves, RepeatedTemperatures) {
    const double tm = kTscPeak.ExactTm(), T0 = tm - 60;
    const CurveMethods doubled =
        Evaluate(EachSampleRepeated(SampleCurve(kTscPeak, 60, 40, 0.1), 2));
    EXPECT_NEAR(Value(doubled.peak).Tm, tm, 0.01);
    EXPECT_NEAR(Value(doubled.T1), kTscPeak.ExactT1(T0), 0.01);
    EXPECT_NEAR(Value(doubled.T2), kTscPeak.ExactT2(T0), 0.01);
    EXPECT_NEAR(Value(doubled.initialRise).Et, kTscPeak.Et, 0.02 * kTscPeak.Et);
    EXPECT_NEAR(Value(doubled.wholeCurve).Et.value, kTscPeak.Et, 1e-4 * kTscPeak.Et);

    const CurveMethods coarse = Evaluate(EachSampleRepeated(SampleCurve(kTscPeak, 60, 40, 3), 4));
    ASSERT_EQ(Reason(coarse.peak), RefusalReason::TooFewPointsInPeakTop);
    EXPECT_EQ(Refused(coarse.peak)->found, 3);
}

TEST(ClassicMethodsOnAwkwardCurves, WhatIsNotACurveIsRefused) {
    const SampledCurve good = SampleCurve(kTscPeak, 60, 40, 0.1);
    SampledCurve shorter = good, notFinite = good, falling = good;
    shorter.I.pop_back();
    notFinite.I[10] = std::nan("");
    std::swap(falling.T[10], falling.T[11]);
    for (const SampledCurve* curve : {&shorter, &notFinite, &falling}) {
        const CurveMethods methods = Evaluate(*curve);
        EXPECT_EQ(Reason(methods.peak), RefusalReason::InvalidCurve);
        EXPECT_EQ(Reason(methods.wholeCurve), RefusalReason::InvalidCurve);
    }
    const CurveMethods noRate = EvaluateCurve(good.T, good.I, 0);
    EXPECT_EQ(Reason(noRate.chen[0]), RefusalReason::InvalidHeatingRate);
    EXPECT_EQ(Reason(noRate.wholeCurve), RefusalReason::InvalidHeatingRate);
}

}  // namespace
