#include "standard_model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/quadrature/gauss_kronrod.hpp>
#include <cmath>

#include "physical_constants.h"

namespace {

using namespace tsc::analysis;

struct Case {
    const char* name;
    Trap trap;
    Heating heating;
    double Tend;
    double a;
};

// A TSC-like level, a deep and a shallow one, and the window's sample set.
const Case kCases[] = {
    {"tsc-like", {0.5, 1e10, 1e12}, {100, 5, 1}, 300, 0.2},
    {"deep", {1.4, 1e14, 1e13}, {300, 120, 2}, 700, 0.5},
    {"shallow", {0.1, 1e5, 1e11}, {10, 2, 0.5}, 120, 0.1},
    {"sample", {0.8, 1e8, 1e13}, {200, 2, 1}, 400, 0.2},
};

// The defining integral of exp(-Et/kT') in long double, piece by piece
// between grid points with Gauss-Legendre.
long double ReferenceDeltaF(long double Et, long double from, long double to) {
    const long double k = 1.380649e-23L / 1.602176634e-19L;
    const auto integrand = [&](long double t) { return std::exp(-Et / (k * t)); };
    return boost::math::quadrature::gauss<long double, 30>::integrate(integrand, from, to);
}

TEST(StandardModel, CurrentsMatchAQuadratureOfTheDefiningIntegral) {
    const long double q = 1.602176634e-19L;
    const long double k = 1.380649e-23L / q;
    for (const Case& c : kCases) {
        const std::vector<CurvePoint> curve = StandardCurve(c.trap, c.heating, c.Tend, c.a);
        ASSERT_GT(curve.size(), 100u) << c.name;
        const double peak = std::max_element(curve.begin(), curve.end(), [](auto& l, auto& r) {
                                return l.I < r.I;
                            })->I;
        long double integral = 0;
        long double previous = c.heating.To;
        double worst = 0;
        for (const CurvePoint& p : curve) {
            integral += ReferenceDeltaF(c.trap.Et, previous, p.T);
            previous = p.T;
            const long double reference =
                q * (c.heating.S * 1e-6L) * (c.trap.Nt * 1e4L) * c.trap.Vt *
                std::exp(-c.trap.Et / (k * p.T) - c.trap.Vt / (c.heating.Beta / 60.0L) * integral);
            if (p.I > 1e-6 * peak) {
                worst = std::max(worst, static_cast<double>(std::fabs(p.I / reference - 1)));
            }
        }
        EXPECT_LT(worst, 1e-10) << c.name;
    }
}

TEST(StandardModel, DeltaFKeepsItsDigitsForCloseAndForFarTemperatures) {
    // Two temperatures a nanokelvin apart: a plain difference of F would
    // keep about six digits.
    const double nano = std::ldexp(1.0, -30);
    const double close = DeltaF(0.5, 150, 150 + nano);
    EXPECT_NEAR(close / static_cast<double>(ReferenceDeltaF(0.5L, 150, 150 + nano)), 1, 1e-12);
    const double justOverTheSplit = DeltaF(0.5, 150, 150.5);
    EXPECT_NEAR(justOverTheSplit / static_cast<double>(ReferenceDeltaF(0.5L, 150, 150.5L)), 1,
                1e-13);
    // From 5 K, where exp(-Et/kTo) is far below the smallest double.
    const double far = DeltaF(1.4, 5, 400);
    const long double farReference =
        ReferenceDeltaF(1.4L, 250, 400) + ReferenceDeltaF(1.4L, 5, 250);
    EXPECT_NEAR(far / static_cast<double>(farReference), 1, 1e-12);
    EXPECT_DOUBLE_EQ(DeltaF(0.5, 300, 200), -DeltaF(0.5, 200, 300));
}

TEST(StandardModel, IntegralOfTheCurrentOverBetaIsTheTrappedCharge) {
    for (const Case& c : kCases) {
        const auto current = [&](double T) { return StandardCurrent(c.trap, c.heating, T); };
        const double Tm = StandardPeak(c.trap, c.heating).Tm;
        // Far enough above the peak that every trap has emptied.
        const double integral = boost::math::quadrature::gauss_kronrod<double, 61>::integrate(
            current, c.heating.To, 3 * Tm, 15, 1e-13);
        const double charge = kElementaryCharge * c.heating.S * 1e-6 * c.trap.Nt * 1e4;
        EXPECT_NEAR(integral / (c.heating.Beta / 60) / charge, 1, 1e-9) << c.name;
    }
}

TEST(StandardModel, ContinuousPeakSolvesThePeakCondition) {
    for (const Case& c : kCases) {
        const Peak peak = StandardPeak(c.trap, c.heating);
        const double k = kBoltzmannEv;
        const double lhs = c.heating.Beta / 60 * c.trap.Et / (k * peak.Tm * peak.Tm);
        const double rhs = c.trap.Vt * std::exp(-c.trap.Et / (k * peak.Tm));
        EXPECT_NEAR(lhs / rhs, 1, 1e-12) << c.name;
        EXPECT_GT(peak.Im, StandardCurrent(c.trap, c.heating, peak.Tm * (1 + 1e-4))) << c.name;
        EXPECT_GT(peak.Im, StandardCurrent(c.trap, c.heating, peak.Tm * (1 - 1e-4))) << c.name;
    }
    EXPECT_TRUE(std::isnan(StandardPeak({0, 1e8, 1}, {200, 2, 1}).Tm));
}

TEST(StandardModel, SlopesMatchCentralDifferences) {
    for (const Case& c : kCases) {
        const Peak peak = StandardPeak(c.trap, c.heating);
        for (const double T : {0.9 * peak.Tm, peak.Tm, 1.05 * peak.Tm}) {
            const CurrentWithSlopes s = StandardCurrentWithSlopes(c.trap, c.heating, T);
            const auto lnI = [&](Trap t) { return std::log(StandardCurrent(t, c.heating, T)); };
            const double h = 1e-6;
            Trap up = c.trap, down = c.trap;
            up.Et += h, down.Et -= h;
            EXPECT_NEAR(s.dLnI_dEt, (lnI(up) - lnI(down)) / (2 * h), 1e-5 * std::fabs(s.dLnI_dEt));
            up = down = c.trap;
            up.Vt *= std::exp(h), down.Vt *= std::exp(-h);
            EXPECT_NEAR(s.dLnI_dLnVt, (lnI(up) - lnI(down)) / (2 * h),
                        1e-6 * std::fabs(1 + s.dLnI_dLnVt));
            up = down = c.trap;
            up.Nt *= std::exp(h), down.Nt *= std::exp(-h);
            EXPECT_NEAR(s.dLnI_dLnNt, (lnI(up) - lnI(down)) / (2 * h), 1e-6);
        }
    }
}

}  // namespace
