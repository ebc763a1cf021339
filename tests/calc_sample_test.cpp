// The published results of the calculation, bit for bit, from both the
// production loop and the literal reference.
#include <gtest/gtest.h>

#include <cmath>

#include "calc_test_support.h"
#include "extended.h"
#include "number_text.h"
#include "reference_calculation.h"
#include "run_calculation.h"
#include "sample_values.h"

namespace {

using Calculation = void (*)(CalcState&, const RowSink&);

class BothCalculations : public ::testing::TestWithParam<Calculation> {};

INSTANTIATE_TEST_SUITE_P(Calc, BothCalculations,
                         ::testing::Values(&RunCalculation, &ReferenceCalculation),
                         [](const auto& info) {
                             return info.param == &RunCalculation ? "Production" : "Reference";
                         });

TEST_P(BothCalculations, SampleSetGivesThePublishedPeak) {
    CalcState state = SampleParameters();
    const auto rows = Rows(GetParam(), state);

    ASSERT_EQ(rows.size(), 1001u);
    EXPECT_EQ(rows.front().T, 200.0);
    EXPECT_EQ(FloatToStr(rows.front().Itsc), "1.10697111127504E-20");
    EXPECT_EQ(FloatToStr(rows[44].T), "208.799999999999");
    EXPECT_EQ(rows.back().T, 399.99999999998863);
    EXPECT_EQ(FloatToStr(rows.back().T), "399.999999999989");

    EXPECT_EQ(state.Tpeak, rows[879].T);
    EXPECT_EQ(FloatToStr(state.Tpeak), kSamplePeakT);
    EXPECT_EQ(state.Ipeak, 1.2634458398467659e-11);
    EXPECT_EQ(FloatToStr(state.Ipeak), kSamplePeakI);
    EXPECT_EQ(rows.back().Ipeak, state.Ipeak);
    EXPECT_NEAR(state.Sum, 9.7316763e-08, 1e-15);
}

TEST_P(BothCalculations, RepeatWithoutResetKeepsThePeakStepButShrinksTheCurrent) {
    CalcState state = SampleParameters();
    Rows(GetParam(), state);
    const double firstSum = state.Sum;

    CalcState again = SampleParameters();
    again.Sum = firstSum;
    again.Tpeak = state.Tpeak;
    const auto rows = Rows(GetParam(), again);

    ASSERT_EQ(rows.size(), 1001u);
    EXPECT_EQ(FloatToStr(again.Tpeak), kSamplePeakT);
    EXPECT_NEAR(again.Ipeak, 9.7353e-14, 0.0001e-14);

    ResetIntegral(again);
    EXPECT_EQ(again.Sum, 0.0);
    CalcState fresh = SampleParameters();
    again.Et = fresh.Et, again.Nt = fresh.Nt, again.S = fresh.S;
    Rows(GetParam(), again);
    EXPECT_EQ(again.Ipeak, 1.2634458398467659e-11);
}

TEST_P(BothCalculations, QuarterKelvinStepsAreExactAndIntegrateToT) {
    CalcState state = SampleWithStep(0.25);
    const auto rows = Rows(GetParam(), state);
    ASSERT_EQ(rows.size(), 801u);
    EXPECT_EQ(state.Tpeak, 378.75);
    EXPECT_NEAR(state.Ipeak, 1.5104999e-11, 0.0000001e-11);
    // Every addition of 0.25 is exact, so the last step integrates up to T.
    EXPECT_EQ(state.Tx, 400.0);
}

TEST_P(BothCalculations, EndBelowStartRunsNoStep) {
    CalcState state = WithParameters(0.8, 1e8, 1e13, 300, 299, 2, 1, 0.2);
    state.Sum = 1.5e-9;
    state.Tpeak = 123.0;
    state.Ipeak = 7.0;
    EXPECT_TRUE(Rows(GetParam(), state).empty());
    EXPECT_EQ(state.Ipeak, 0.0);
    EXPECT_EQ(state.Tpeak, 123.0);
    EXPECT_EQ(state.Sum, 1.5e-9);
}

TEST_P(BothCalculations, SingleStepHasNoTrapezoid) {
    for (double Tend : {200.0, 200.1}) {
        CalcState state = WithParameters(0.8, 1e8, 1e13, 200, Tend, 2, 1, 0.2);
        const auto rows = Rows(GetParam(), state);
        ASSERT_EQ(rows.size(), 1u) << Tend;
        EXPECT_EQ(state.Sum, 0.0);
        EXPECT_EQ(rows[0].T, 200.0);
        const tsc::Extended exponent =
            -tsc::Widen(state.Et) / (tsc::Widen(state.k) * tsc::Widen(200.0));
        EXPECT_EQ(rows[0].Itsc, tsc::Narrow(tsc::ExpOf(exponent) * tsc::Widen(state.Pref)));
    }
}

TEST_P(BothCalculations, SecondStepSkipsItsTrapezoidWhenTheAdditionRoundsDown) {
    CalcState state = WithParameters(0.8, 1e8, 1e13, 200, 200.2, 2, 1, 0.2);
    const auto rows = Rows(GetParam(), state);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].T, 200.2);
    EXPECT_EQ(state.Sum, 0.0);
}

TEST_P(BothCalculations, CurrentsThatUnderflowLeaveThePeakAtZero) {
    CalcState state = SampleParameters();
    state.Tpeak = 321.0;
    state.Sum = 1.0;  // exp(-(1e8 / 2) * 1) is 0 for every step
    const auto rows = Rows(GetParam(), state);
    ASSERT_EQ(rows.size(), 1001u);
    EXPECT_EQ(state.Ipeak, 0.0);
    EXPECT_EQ(state.Tpeak, 321.0);
    EXPECT_EQ(rows.back().Tpeak, 321.0);
}

}  // namespace
