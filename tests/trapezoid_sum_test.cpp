// The running sum by whole binades against the step-by-step one: the same
// binary64 result, bit for bit, for sequences that mostly sit near rounding
// ties, in the normal range and among the subnormals.
#include "trapezoid_sum.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

#include "extended.h"

namespace {

using tsc::Extended;
using tsc::Narrow;
using tsc::Widen;

std::uint64_t Bits(double value) { return std::bit_cast<std::uint64_t>(value); }

// Compares both ways of summing for several prefixes of a finished sequence.
void ExpectSameSums(tsc::TrapezoidSum& sum, double start, const std::string& what) {
    const std::size_t n = sum.Size();
    for (std::size_t count : {n, n / 2, std::size_t{1}, std::size_t{33}}) {
        if (count > n) continue;
        const double slow = sum.AccumulateStepByStep(start, count);
        const double fast = sum.Accumulate(start, count);
        ASSERT_EQ(Bits(slow), Bits(fast))
            << what << ", " << count << " of " << n << " trapezoids from " << start;
    }
}

// Trapezoids a few binary64 steps of the sum in size, each a multiple of half
// such a step plus an extended-only remainder: the binary64 sum lands on
// rounding ties and the remainder decides, or is rounded away first.
TEST(TrapezoidSum, AgreesOnTiesAndNearTies) {
    std::mt19937_64 random(7);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    for (int sequence = 0; sequence < 3000; ++sequence) {
        const int scale = pick(-60, 60);
        // Some start a few units below the end of their binade.
        const double significand =
            pick(0, 3) ? 1.0 + pick(0, 1023) / 1024.0 : 2.0 - std::ldexp(pick(1, 9), -52);
        const double start = std::ldexp(significand, scale) * (pick(0, 9) ? 1 : -1);
        tsc::TrapezoidSum sum;
        const int length = pick(1, 200);
        for (int j = 0; j < length; ++j) {
            // Half-steps of the sum near its start, and a little beyond.
            const double halfSteps = std::ldexp(pick(1, 9), scale - 53 + pick(-1, 3));
            Extended t = Widen(halfSteps);
            switch (pick(0, 4)) {
                case 0:
                    break;  // an exact tie for the binary64 sum
                case 1:     // just past the extended precision of t
                    t = t + Widen(std::ldexp(pick(-3, 3), scale - 53 - 64 + pick(-2, 4)));
                    break;
                case 2:  // a remainder only the extended sum can see
                    t = t + Widen(std::ldexp(pick(-3, 3), scale - 53 - 50 + pick(-8, 8)));
                    break;
                case 3:  // much smaller than the sum
                    t = Widen(std::ldexp(1.0 + pick(0, 999) / 1000.0, scale - 70 + pick(0, 20)));
                    break;
                default:  // comparable with the sum
                    t = Widen(std::ldexp(1.0 + pick(0, 999) / 1000.0, scale - pick(0, 10)));
            }
            sum.Append(pick(0, 30) ? t : -t);
        }
        ExpectSameSums(sum, start, "sequence " + std::to_string(sequence));
        if (HasFailure()) return;
    }
}

// Fed as a calculation feeds it: one trapezoid more per outer step, and each
// step adds all of them (or all but the last) onto the sum the previous step
// left. The trapezoids are built on the spacing of that sum: exact halves of
// its binary64 unit (ties at the second rounding), halves a little off (ties
// made by the first rounding, or just missed), values from far below half a
// unit to several units, and repeats. The sums start at +0, among the
// subnormals, where binary64's spacing stays 2^-1074 while the extended one
// keeps shrinking with the binade, or in the normal range.
TEST(TrapezoidSum, AgreesWhenFedLikeACalculation) {
    std::mt19937_64 random(1074);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    std::uniform_real_distribution<double> fraction(0, 1);
    for (int sequence = 0; sequence < 1500; ++sequence) {
        double sum = 0;
        switch (sequence % 5) {
            case 0:
                break;
            case 1:  // subnormal
                sum = std::ldexp(std::floor(std::ldexp(fraction(random), pick(0, 52))), -1074);
                break;
            case 2:  // just below the smallest normal
                sum = std::ldexp(1.0 - std::ldexp(pick(1, 100), -52), -1022);
                break;
            case 3:  // a tie away from the end of a binade
                sum = std::ldexp(1.0 - std::ldexp(pick(1, 4), -53), pick(-80, 10));
                break;
            default:
                sum = std::ldexp(1.0 + fraction(random), pick(-80, 10));
        }
        tsc::TrapezoidSum trapezoids;
        Extended t = Widen(0.0);
        const int length = pick(1, 120);
        for (int step = 0; step < length; ++step) {
            const double unit = std::nextafter(sum, INFINITY) - sum;
            const Extended half = Widen(unit) * Widen(pick(0, 5) + 0.5);
            switch (pick(0, 3)) {
                case 0:
                    t = half;
                    break;
                case 1:
                    t = half + Widen(unit) * Widen(std::ldexp(pick(0, 1) ? 1 : -1, -pick(8, 70)));
                    break;
                case 2:
                    t = Widen(unit) * Widen(std::ldexp(1.0 + fraction(random), pick(-80, 6)));
                    break;
                default:
                    break;  // the same trapezoid again
            }
            trapezoids.Append(t);
            const std::size_t count = trapezoids.Size() - static_cast<std::size_t>(pick(0, 3) == 0);
            const double expected = trapezoids.AccumulateStepByStep(sum, count);
            ASSERT_EQ(Bits(expected), Bits(trapezoids.Accumulate(sum, count)))
                << "sequence " << sequence << " step " << step << " from " << sum;
            sum = expected;
        }
    }
}

// Values the binary64 parts cannot carry: zero sums, trapezoids below the
// binary64 range or beyond it, subnormal sums, infinities and NaN.
TEST(TrapezoidSum, AgreesAtTheEdgesOfTheRange) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Extended tiny = Widen(0x1p-1000) * Widen(0x1p-100);  // below any binary64
    const Extended huge = Widen(0x1p1000) * Widen(0x1p100);    // above any binary64
    const Extended sub = Widen(0x1p-1070);
    const struct {
        const char* what;
        double start;
        std::vector<Extended> trapezoids;
    } cases[] = {
        {"zeros", 0.0, std::vector<Extended>(100, Widen(0.0))},
        {"negative zero start", -0.0, {Widen(0.0), Widen(-0.0), Widen(0.0)}},
        {"below binary64", 0.0, std::vector<Extended>(70, tiny)},
        {"below binary64 onto a sum", 1.0, std::vector<Extended>(70, tiny)},
        {"subnormal sums", 0.0, std::vector<Extended>(70, sub + tiny)},
        {"subnormal ties", 0x1p-1074, std::vector<Extended>(70, Widen(0x1p-1074) * Widen(0.5))},
        {"ties onto zero", 0.0, std::vector<Extended>(70, Widen(0x1p-1074) * Widen(0.5))},
        {"just past ties onto zero", 0.0,
         std::vector<Extended>(70, Widen(0x1p-1074) * Widen(0.5) + tiny * tiny)},
        {"overflow", 0x1p1023, {Widen(0x1p1023), huge, -huge}},
        {"infinite start", inf, {Widen(1.0), Widen(2.0)}},
        {"nan start", nan, {Widen(1.0)}},
        {"nan trapezoid", 1.0, {Widen(1.0), Widen(nan), Widen(1.0)}},
        {"infinities cancel", 1.0, {Widen(inf), Widen(-inf), Widen(1.0)}},
    };
    for (const auto& c : cases) {
        tsc::TrapezoidSum sum;
        for (Extended t : c.trapezoids) sum.Append(t);
        const std::size_t n = sum.Size();
        const double slow = sum.AccumulateStepByStep(c.start, n);
        const double fast = sum.Accumulate(c.start, n);
        if (std::isnan(slow)) {
            EXPECT_TRUE(std::isnan(fast)) << c.what;
        } else {
            EXPECT_EQ(Bits(slow), Bits(fast)) << c.what;
        }
    }
}

}  // namespace
