// The charge still to be released, integrated from the end, against the
// closed form of ∫ e^−T dT.
#include "remaining_charge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using tsc::analysis::IntegralToEnd;

// ∫ e^−T dT on steps alternating 0.05 and 0.25: the trapezoid rule errs by
// h²/12 ≈ 0.5 % at most, also on the last step, where the integral is 1e-22
// of the total and a total less a running sum would keep nothing of it.
TEST(RemainingCharge, TrapezoidsOnUnevenStepsSummedFromTheEnd) {
    std::vector<double> T, y;
    for (int i = 0; i <= 333; ++i) {
        T.push_back(0.3 * (i / 2) + 0.05 * (i % 2));
        y.push_back(std::exp(-T.back()));
    }
    const std::vector<double> integral = IntegralToEnd(T, y);
    ASSERT_EQ(integral.size(), T.size());
    EXPECT_EQ(integral.back(), 0);
    for (std::size_t i = 0; i + 1 < T.size(); ++i) {
        const double exact = std::exp(-T[i]) - std::exp(-T.back());
        EXPECT_NEAR(integral[i], exact, 6e-3 * exact) << "at T = " << T[i];
    }
}

}  // namespace
