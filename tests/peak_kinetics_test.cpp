#include "peak_kinetics.h"

#include <gtest/gtest.h>

#include <boost/math/quadrature/gauss.hpp>
#include <cmath>
#include <vector>

#include "physical_constants.h"

namespace {

using namespace tsc::analysis;

struct Case {
    const char* name;
    PeakLevel level;
    LinearHeating heating;
    double Tend, step;
};

// Each order on a fine and on a coarse grid: the coarse steps make the
// integrals change by a factor of e and more from one point to the next.
const Case kCases[] = {
    {"first, fine", {1.2, std::log(1e12), 0, 1}, {300, 1}, 520, 0.25},
    {"first, coarse", {1.9, std::log(1e19), 0, 1}, {300, 8.4}, 600, 7},
    {"second", {0.5, std::log(1e10), 0, 2}, {120, 5.0 / 60}, 300, 0.5},
    {"general 1.4, coarse", {1.0, std::log(1e11), 0, 1.4}, {300, 1}, 560, 5},
    {"general 2.8", {0.3, std::log(1e7), 0, 2.8}, {40, 0.1}, 260, 0.3},
};

// The defining integral of exp(-Et/kT') from To, in long double, and the
// current from the analytic form of each order in long double: the
// exponential at first order, the Garlick-Gibson square at second, the power
// otherwise.
std::vector<long double> ReferenceCurrents(const Case& c, const std::vector<double>& T) {
    const long double k = 1.380649e-23L / 1.602176634e-19L;
    const long double Et = c.level.Et;
    const auto integrand = [&](long double t) { return std::exp(-Et / (k * t)); };
    const long double rate = std::exp(static_cast<long double>(c.level.lnS)) /
                             static_cast<long double>(c.heating.betaPerSecond);
    std::vector<long double> I;
    long double integral = 0, previous = c.heating.To;
    for (const double t : T) {
        integral +=
            boost::math::quadrature::gauss<long double, 30>::integrate(integrand, previous, t);
        previous = t;
        const long double u = rate * integral;
        const long double b = c.level.b;
        const long double bracket = b == 1   ? std::exp(-u)
                                    : b == 2 ? 1 / ((1 + u) * (1 + u))
                                             : std::pow(1 + (b - 1) * u, -b / (b - 1));
        I.push_back(std::exp(static_cast<long double>(c.level.lnQ + c.level.lnS)) *
                    std::exp(-Et / (k * t)) * bracket);
    }
    return I;
}

std::vector<double> Grid(const Case& c) {
    std::vector<double> T;
    for (double t = c.heating.To; t <= c.Tend; t += c.step) T.push_back(t);
    return T;
}

TEST(PeakKinetics, EveryOrderMatchesItsAnalyticFormOverAQuadrature) {
    for (const Case& c : kCases) {
        const std::vector<double> T = Grid(c);
        std::vector<double> lnI(T.size());
        EvaluatePeak(c.level, c.heating, T, {lnI, {}, {}, {}});
        const std::vector<long double> reference = ReferenceCurrents(c, T);
        long double peak = 0;
        for (const long double r : reference) peak = std::max(peak, r);
        double worst = 0;
        for (std::size_t i = 0; i < T.size(); ++i) {
            if (reference[i] > 1e-6L * peak) {
                worst = std::max(
                    worst, std::fabs(static_cast<double>(
                               std::exp(static_cast<long double>(lnI[i])) / reference[i] - 1)));
                const PeakSlopes one = EvaluatePeakAt(c.level, c.heating, T[i]);
                EXPECT_NEAR(one.lnI, lnI[i], 1e-11) << c.name << " at " << T[i];
            }
        }
        EXPECT_LT(worst, 1e-11) << c.name;
    }
}

double LnIAt(const PeakLevel& level, const LinearHeating& heating, double T) {
    return EvaluatePeakAt(level, heating, T).lnI;
}

TEST(PeakKinetics, SlopesMatchCentralDifferencesAndPassSmoothlyThroughFirstOrder) {
    const LinearHeating heating{300, 1};
    for (const double b : {1.0, 1 - 1e-9, 1 + 1e-9, 1.001, 1.5, 2.0, 3.0}) {
        const PeakLevel level{1.2, std::log(1e12), 0, b};
        for (const double T : {400.0, 425.0, 445.0}) {
            const PeakSlopes s = EvaluatePeakAt(level, heating, T);
            const double h = 1e-6;
            auto up = level, down = level;
            up.Et += h, down.Et -= h;
            EXPECT_NEAR(s.dEt, (LnIAt(up, heating, T) - LnIAt(down, heating, T)) / (2 * h),
                        1e-6 * std::fabs(s.dEt));
            up = down = level;
            up.lnS += h, down.lnS -= h;
            EXPECT_NEAR(s.dLnS, (LnIAt(up, heating, T) - LnIAt(down, heating, T)) / (2 * h),
                        1e-6 * (1 + std::fabs(s.dLnS)));
            up = down = level;
            up.b += h, down.b -= h;
            EXPECT_NEAR(s.dB, (LnIAt(up, heating, T) - LnIAt(down, heating, T)) / (2 * h),
                        1e-6 * (1 + std::fabs(s.dB)))
                << "b = " << b << ", T = " << T;
        }
    }
    // Either side of b = 1 the value and the slope in b join up.
    const PeakLevel first{1.2, std::log(1e12), 0, 1};
    const PeakSlopes atOne = EvaluatePeakAt(first, heating, 440);
    for (const double e : {1e-12, 1e-7}) {
        for (const double b : {1 - e, 1 + e}) {
            const PeakSlopes near = EvaluatePeakAt({1.2, std::log(1e12), 0, b}, heating, 440);
            EXPECT_NEAR(near.lnI, atOne.lnI + (b - 1) * atOne.dB, 1e-12);
            EXPECT_NEAR(near.dB, atOne.dB, 1e-6 * std::fabs(atOne.dB));
        }
    }
}

TEST(PeakKinetics, APositionGivesTheLevelWhoseTopItIs) {
    const LinearHeating heating{300, 8.4};
    for (const double b : {1.0, 1.3, 2.0, 2.9}) {
        const PeakPosition position{480, std::log(2.5e5), 1.6, b};
        const LevelOfPosition made = LevelAtPosition(position, heating);
        ASSERT_TRUE(made.valid);
        // The top by the current itself: flat at Tm, lower on either side,
        // and Im there.
        const double h = 1e-3;
        const double left = LnIAt(made.level, heating, 480 - h);
        const double right = LnIAt(made.level, heating, 480 + h);
        const double top = LnIAt(made.level, heating, 480);
        EXPECT_NEAR(top, position.lnIm, 1e-12);
        EXPECT_NEAR((right - left) / (2 * h), 0, 1e-9) << b;
        EXPECT_LT(std::max(left, right), top);
        const PeakTop found = TopOfPeak(made.level, heating);
        EXPECT_NEAR(found.Tm, 480, 1e-8) << b;
        // Its derivatives, against central differences of the map.
        const double steps[4] = {1e-4, 1e-6, 1e-7, 1e-7};
        for (int k = 0; k < 4; ++k) {
            PeakPosition up = position, down = position;
            double* upValue[4] = {&up.Tm, &up.lnIm, &up.Et, &up.b};
            double* downValue[4] = {&down.Tm, &down.lnIm, &down.Et, &down.b};
            *upValue[k] += steps[k];
            *downValue[k] -= steps[k];
            const PeakLevel a = LevelAtPosition(up, heating).level;
            const PeakLevel z = LevelAtPosition(down, heating).level;
            const double lnS = (a.lnS - z.lnS) / (2 * steps[k]);
            const double lnQ = (a.lnQ - z.lnQ) / (2 * steps[k]);
            EXPECT_NEAR(made.jacobian[1][k], lnS, 1e-6 * (1 + std::fabs(lnS))) << b << " " << k;
            EXPECT_NEAR(made.jacobian[2][k], lnQ, 1e-6 * (1 + std::fabs(lnQ))) << b << " " << k;
        }
    }
    EXPECT_FALSE(LevelAtPosition({290, 0, 1.6, 1}, heating).valid);
    EXPECT_FALSE(LevelAtPosition({480, 0, -1, 1}, heating).valid);
}

}  // namespace
