#include "parameter_check.h"

#include <gtest/gtest.h>

#include <limits>

#include "calc_test_support.h"

namespace {

// The refusal for the sample set with one field changed.
std::optional<Refusal> RefusalWith(double CalcState::*field, double value) {
    CalcState state = SampleParameters();
    state.*field = value;
    return CheckParameters(state);
}

TEST(ParameterCheck, AcceptsTheSampleAndAnEmptyRange) {
    EXPECT_FALSE(CheckParameters(SampleParameters()));
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
    EXPECT_EQ(RefusalWith(&CalcState::a, 0.001)->limit, kMaxSteps);
}

TEST(ParameterCheck, StepLimitCountsTheCalculationsOwnAdditions) {
    CalcState exact = WithParameters(0.8, 1e8, 1e13, 1, 1 + 49999 * 0.25, 2, 1, 0.25);
    EXPECT_EQ(CountSteps(exact), 50000u);
    EXPECT_FALSE(CheckParameters(exact));
    exact.Tend += 0.25;
    EXPECT_EQ(CountSteps(exact), kMaxSteps + 1);
    EXPECT_TRUE(CheckParameters(exact));
}

TEST(ParameterCheck, StepThatStopsAdvancingIsRefusedNotLooped) {
    // 1 + 2.3e-16 advances, but once T reaches 2 the step is below half an
    // ulp and the temperature would stay put forever.
    CalcState state = WithParameters(0.8, 1e8, 1e13, 1, 3, 2, 1, 2.3e-16);
    EXPECT_EQ(CountSteps(state), kMaxSteps + 1);
    EXPECT_TRUE(CheckParameters(state));
}

}  // namespace
