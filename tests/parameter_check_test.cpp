#include "parameter_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "calc_test_support.h"
#include "run_calculation.h"

namespace {

constexpr std::size_t kLimit = 50000;

// The refusal for the sample set with one field changed.
std::optional<Refusal> RefusalWith(double CalcState::*field, double value) {
    CalcState state = SampleParameters();
    state.*field = value;
    return CheckParameters(state, kLimit);
}

TEST(ParameterCheck, AcceptsTheSampleAndAnEmptyRange) {
    EXPECT_FALSE(CheckParameters(SampleParameters(), kLimit));
    EXPECT_FALSE(RefusalWith(&CalcState::Tend, 100));
    EXPECT_FALSE(RefusalWith(&CalcState::Nt, 0));
    EXPECT_FALSE(RefusalWith(&CalcState::Et, 0));
}

TEST(ParameterCheck, RefusalsSayWhichParameterAndWhy) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    using enum RefusalKind;
    const struct {
        double CalcState::*field;
        double value;
        RefusalKind kind;
        Parameter parameter;
    } cases[] = {
        {&CalcState::Et, inf, NotFinite, Parameter::Et},
        {&CalcState::Vt, -inf, NotFinite, Parameter::Vt},
        {&CalcState::Nt, nan, NotFinite, Parameter::Nt},
        {&CalcState::Tend, inf, NotFinite, Parameter::Tend},
        {&CalcState::Et, -0.1, Negative, Parameter::Et},
        {&CalcState::Vt, -1, Negative, Parameter::Vt},
        {&CalcState::Nt, -1e13, Negative, Parameter::Nt},
        {&CalcState::S, -1, Negative, Parameter::S},
        {&CalcState::To, 0, NotPositive, Parameter::To},
        {&CalcState::To, -10, NotPositive, Parameter::To},
        {&CalcState::Beta, 0, NotPositive, Parameter::Beta},
        {&CalcState::Beta, -2, NotPositive, Parameter::Beta},
        {&CalcState::a, 0, NotPositive, Parameter::a},
        {&CalcState::a, -0.2, NotPositive, Parameter::a},
        {&CalcState::a, 1e-14, StepTooSmall, Parameter::a},
        {&CalcState::a, 0.001, TooManySteps, Parameter::a},
    };
    for (const auto& c : cases) {
        const auto refusal = RefusalWith(c.field, c.value);
        ASSERT_TRUE(refusal) << c.value;
        EXPECT_EQ(refusal->kind, c.kind) << c.value;
        EXPECT_EQ(refusal->parameter, c.parameter) << c.value;
    }
    EXPECT_EQ(RefusalWith(&CalcState::a, 0.001)->limit, kLimit);
}

TEST(ParameterCheck, StepLimitCountsTheCalculationsOwnAdditions) {
    CalcState exact = WithParameters(0.8, 1e8, 1e13, 1, 1 + 49999 * 0.25, 2, 1, 0.25);
    EXPECT_EQ(CountSteps(exact, kLimit), 50000u);
    EXPECT_FALSE(CheckParameters(exact, kLimit));
    exact.Tend += 0.25;
    EXPECT_EQ(CountSteps(exact, kLimit), kLimit + 1);
    EXPECT_TRUE(CheckParameters(exact, kLimit));
}

TEST(ParameterCheck, StepThatStopsAdvancingIsRefusedNotLooped) {
    // 1 + 2.3e-16 advances, but once T reaches 2 the step is below half an
    // ulp and the temperature would stay put forever.
    CalcState state = WithParameters(0.8, 1e8, 1e13, 1, 3, 2, 1, 2.3e-16);
    EXPECT_EQ(CountSteps(state, kLimit), kLimit + 1);
    EXPECT_TRUE(CheckParameters(state, kLimit));
}

TEST(ParameterCheck, RefusesSetsWhoseCurrentsWouldNotBeFinite) {
    using enum RefusalKind;
    const struct {
        CalcState state;
        RefusalKind kind;
        Parameter parameter;
    } cases[] = {
        {WithParameters(0.8, 1e8, 1e305, 200, 201, 2, 0, 0.2), CurrentNotFinite, Parameter::Nt},
        // Nt is the largest factor: 1e304 m^-2.
        {WithParameters(0.8, 1e300, 1e300, 200, 201, 1e-300, 1e300, 0.2), CurrentNotFinite,
         Parameter::Nt},
        {WithParameters(0.8, 1e300, 1e13, 200, 201, 1e-300, 1, 0.2), CurrentNotFinite,
         Parameter::Beta},
        {WithParameters(0, 0, 1e13, 1e307, 1.7e308, 2, 1, 1e307), IntegralNotFinite, Parameter::a},
    };
    for (const auto& c : cases) {
        const auto refusal = CheckParameters(c.state, kLimit);
        ASSERT_TRUE(refusal) << c.state.Nt;
        EXPECT_EQ(refusal->kind, c.kind) << c.state.Nt;
        EXPECT_EQ(refusal->parameter, c.parameter) << c.state.Nt;
    }
}

// Every combination of extreme values that the check lets through gives
// finite currents at every step.
TEST(ParameterCheck, AcceptedExtremeSetsGiveFiniteCurrents) {
    const double magnitudes[] = {0, 1e-300, 1, 1e300};
    const double ranges[][3] = {{200, 201, 0.2}, {1e307, 1.7e308, 1e307}, {1e-300, 3e-300, 1e-300}};
    int accepted = 0;
    for (double Et : {0.0, 0.8, 1e300})
        for (double Vt : magnitudes)
            for (double Nt : magnitudes)
                for (double Beta : {1e-300, 1.0, 1e300})
                    for (double S : magnitudes)
                        for (const auto& range : ranges) {
                            CalcState state =
                                WithParameters(Et, Vt, Nt, range[0], range[1], Beta, S, range[2]);
                            if (CheckParameters(state, kLimit)) continue;
                            ++accepted;
                            RunCalculation(state, [&](const ResultRow& row) {
                                ASSERT_TRUE(std::isfinite(row.Itsc))
                                    << Et << ' ' << Vt << ' ' << Nt << ' ' << range[0] << ' '
                                    << Beta << ' ' << S << ' ' << range[2];
                            });
                        }
    EXPECT_GT(accepted, 1000);
}

}  // namespace
