// The production calculation caches trapezoids and replays the additions;
// the literal reference evaluates everything inside the loops. They must
// agree on every field and every row, as bit patterns.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <sstream>

#include "calc_test_support.h"
#include "reference_calculation.h"
#include "run_calculation.h"

namespace {

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

std::string Describe(const CalcState& s) {
    std::ostringstream text;
    text.precision(17);
    text << "Et=" << s.Et << " Vt=" << s.Vt << " Nt=" << s.Nt << " To=" << s.To
         << " Tend=" << s.Tend << " Beta=" << s.Beta << " S=" << s.S << " a=" << s.a
         << " Sum=" << s.Sum;
    return text.str();
}

void ExpectSameFields(const CalcState& expected, const CalcState& actual, const std::string& what) {
    const double CalcState::*fields[] = {
        &CalcState::Et,   &CalcState::Vt,    &CalcState::Nt,   &CalcState::Beta, &CalcState::To,
        &CalcState::Tend, &CalcState::T,     &CalcState::S,    &CalcState::a,    &CalcState::Tx,
        &CalcState::Half, &CalcState::q,     &CalcState::k,    &CalcState::Sum,  &CalcState::Itsc,
        &CalcState::Pref, &CalcState::Ipeak, &CalcState::Tpeak};
    static_assert(sizeof(fields) / sizeof(fields[0]) * sizeof(double) == sizeof(CalcState));
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        EXPECT_EQ(Bits(expected.*fields[i]), Bits(actual.*fields[i]))
            << "field " << i << " of " << what;
    }
}

void ExpectSameRows(const std::vector<ResultRow>& expected, const std::vector<ResultRow>& actual,
                    const std::string& what) {
    ASSERT_EQ(expected.size(), actual.size()) << what;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ResultRow& e = expected[i];
        const ResultRow& a = actual[i];
        ASSERT_TRUE(Bits(e.T) == Bits(a.T) && Bits(e.Itsc) == Bits(a.Itsc) &&
                    Bits(e.Tpeak) == Bits(a.Tpeak) && Bits(e.Ipeak) == Bits(a.Ipeak))
            << "row " << i << " of " << what;
    }
}

// Runs both calculations from the same state, twice in a row without a reset,
// and compares everything.
void ExpectAgreement(const CalcState& start) {
    CalcState reference = start;
    CalcState production = start;
    for (int run = 0; run < 2; ++run) {
        const std::string what = Describe(start) + " run " + std::to_string(run);
        const auto expectedRows = Rows(&ReferenceCalculation, reference);
        const auto actualRows = Rows(&RunCalculation, production);
        ExpectSameRows(expectedRows, actualRows, what);
        ExpectSameFields(reference, production, what);
        // The next run reads the parameters afresh, as the window does.
        for (CalcState* s : {&reference, &production}) {
            s->Et = start.Et, s->Nt = start.Nt, s->S = start.S;
        }
    }
}

TEST(CalcDifferential, SampleAndItsRepeat) { ExpectAgreement(SampleParameters()); }

TEST(CalcDifferential, RandomParameterSets) {
    std::mt19937_64 random(20261208);
    const double steps[] = {0.1, 0.2, 0.25, 0.3, 0.7, 1.0, 0.05, 0.15, 0.45, 1.3};
    std::uniform_real_distribution<double> energy(0.2, 1.6);
    std::uniform_real_distribution<double> logFrequency(4, 14);
    std::uniform_real_distribution<double> logRate(-1, 2);
    std::uniform_real_distribution<double> start(20, 400);
    std::uniform_int_distribution<int> stepCount(0, 300);
    std::uniform_int_distribution<int> stepChoice(0, std::size(steps) - 1);
    std::bernoulli_distribution oddStart(0.5);
    for (int set = 0; set < 300; ++set) {
        const double a = steps[stepChoice(random)];
        double To = start(random);
        if (!oddStart(random)) To = static_cast<int>(To);
        const double Tend = To + a * stepCount(random);
        CalcState state = WithParameters(energy(random), std::pow(10.0, logFrequency(random)), 1e13,
                                         To, Tend, std::pow(10.0, logRate(random)), 1 + set % 5, a);
        ExpectAgreement(state);
        if (HasFailure()) return;
    }
}

// Thousands of short runs over the whole parameter space the check accepts,
// starting from leftover sums as a repeated calculation does.
TEST(CalcDifferential, ThousandsOfSmallSets) {
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int set = 0; set < 3000; ++set) {
        const double a = std::ldexp(0.5 + unit(random), -static_cast<int>(unit(random) * 6));
        const double To = 5 + unit(random) * 600;
        const double Tend = To + a * static_cast<int>(unit(random) * 60);
        CalcState state = WithParameters(unit(random) * 2, std::pow(10.0, 2 + unit(random) * 12),
                                         std::pow(10.0, 8 + unit(random) * 8), To, Tend,
                                         std::pow(10.0, unit(random) * 3 - 1), unit(random) * 5, a);
        if (set % 3 == 0) state.Sum = unit(random) * 1e-6;
        ExpectAgreement(state);
        if (HasFailure()) return;
    }
}

// Nearly flat integrands (activation energies near zero) make every
// trapezoid a or just below it, so the running sum keeps landing on or next
// to binary64 rounding ties, where its extended additions differ from binary64
// ones. Half the sets start from a Sum whose binary64 unit is about a, where
// the trapezoids are halves of a unit: ties at the second rounding, decided by
// Sum's parity.
TEST(CalcDifferential, SetsBuiltForRoundingTies) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> unit(0, 1);
    const double steps[] = {0.5, 0.25, 0.125, 1, 0.1, 0.2, 0.375};
    for (int set = 0; set < 400; ++set) {
        const double a = steps[set % std::size(steps)];
        const double Et = set % 4 == 0 ? 0 : std::pow(10.0, -12 + unit(random) * 9);
        const double To = std::floor(10 + unit(random) * 300);
        CalcState state = WithParameters(Et, 1e-3, 1e13, To, To + a * (40 + set % 120), 2, 1, a);
        state.Sum = set % 2 == 0
                        ? std::ldexp(static_cast<double>(set % 7), -static_cast<int>(set % 5))
                        : std::ldexp(1 + (set % 8) / 8.0, 51 + std::ilogb(a) + set % 3);
        ExpectAgreement(state);
        if (HasFailure()) return;
    }
}

// Currents so small that the trapezoids, and Sum with them, start in or
// below binary64's subnormal range: exp(-745) is about its smallest value.
// Runs whose trapezoids all round away, runs that climb out of the
// subnormals, from a zero, a subnormal and a normal leftover Sum.
TEST(CalcDifferential, TinyCurrentSets) {
    std::mt19937_64 random(745);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int set = 0; set < 300; ++set) {
        const double Et = 0.05 + unit(random) * 20;
        const double EtOverK = Et * 1.602e-19 / 1.3804e-23;
        const double startExponent = 700 + unit(random) * 120;
        const double To = EtOverK / startExponent;
        const double Tend = EtOverK / (startExponent - 1 - unit(random) * 60);
        const double a = (Tend - To) / (1 + static_cast<int>(unit(random) * 120));
        CalcState state = WithParameters(Et, 1e8, 1e13, To, Tend, 2, 1, a);
        if (set % 3 == 1) state.Sum = std::ldexp(std::floor(unit(random) * 0x1p52), -1074);
        if (set % 3 == 2) state.Sum = unit(random) * 1e-300;
        ExpectAgreement(state);
        if (HasFailure()) return;
    }
}

}  // namespace
