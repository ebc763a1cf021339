#include "parameter_check.h"

#include <gtest/gtest.h>

#include <limits>

#include "calc_test_support.h"

namespace {

// The message for the sample set with one field changed.
std::optional<std::string> ProblemWith(double CalcState::*field, double value) {
    CalcState state = SampleParameters();
    state.*field = value;
    return CheckParameters(state);
}

TEST(ParameterCheck, AcceptsTheSampleAndAnEmptyRange) {
    EXPECT_FALSE(CheckParameters(SampleParameters()));
    EXPECT_FALSE(ProblemWith(&CalcState::Tend, 100));
    EXPECT_FALSE(ProblemWith(&CalcState::Nt, 0));
    EXPECT_FALSE(ProblemWith(&CalcState::Et, 0));
}

TEST(ParameterCheck, RefusalsNameTheParameter) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double CalcState::*field;
        double value;
        const char* named;
    } cases[] = {
        {&CalcState::Et, inf, "Ｅｔ"},   {&CalcState::Vt, -inf, "νｔ"},
        {&CalcState::Nt, nan, "Ｎｔ"},   {&CalcState::Tend, inf, "Ｔｅｎｄ"},
        {&CalcState::Et, -0.1, "Ｅｔ"},  {&CalcState::Vt, -1, "νｔ"},
        {&CalcState::Nt, -1e13, "Ｎｔ"}, {&CalcState::S, -1, "Ｓ"},
        {&CalcState::To, 0, "Ｔｏ"},     {&CalcState::To, -10, "Ｔｏ"},
        {&CalcState::Beta, 0, "β"},      {&CalcState::Beta, -2, "β"},
        {&CalcState::a, 0, "ａ"},        {&CalcState::a, -0.2, "ａ"},
        {&CalcState::a, 1e-14, "ａ"},    {&CalcState::a, 0.001, "50000"},
    };
    for (const auto& c : cases) {
        const auto problem = ProblemWith(c.field, c.value);
        ASSERT_TRUE(problem) << c.named << " " << c.value;
        EXPECT_NE(problem->find(c.named), std::string::npos) << *problem;
    }
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
