#include "curve_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "calc_test_support.h"
#include "run_calculation.h"
#include "standard_model.h"

namespace {

using namespace tsc::analysis;

struct Case {
    const char* name;
    Trap trap;
    double Beta;
    double To, Tend, a;
};

// A TSC-like level, a deep and a shallow one.
const Case kCases[] = {
    {"tsc-like", {0.5, 1e10, 1e12}, 5, 120, 260, 0.1},
    {"deep", {1.4, 1e14, 1e13}, 120, 400, 700, 0.15},
    {"shallow", {0.15, 1e6, 1e11}, 2, 30, 110, 0.05},
};
constexpr double kArea = 2;

MeasuredCurve Synthetic(const Case& c, double noise, double constant = 0, double slope = 0) {
    std::mt19937_64 random(20261208);
    std::normal_distribution<double> gauss;
    const std::vector<CurvePoint> curve = StandardCurve(c.trap, {c.To, c.Beta, kArea}, c.Tend, c.a);
    double peak = 0;
    for (const CurvePoint& p : curve) peak = std::max(peak, p.I);
    MeasuredCurve measured;
    for (const CurvePoint& p : curve) {
        measured.T.push_back(p.T);
        measured.I.push_back(p.I + constant + slope * (p.T - c.To) + noise * peak * gauss(random));
    }
    return measured;
}

FitOptions Options(const Case& c) {
    FitOptions options;
    options.Beta = c.Beta;
    options.S = kArea;
    return options;
}

TEST(CurveFit, NoiselessStandardCurvesGiveTheirParametersBack) {
    for (const Case& c : kCases) {
        const FitResult fit = FitCurve(Synthetic(c, 0), Options(c));
        ASSERT_TRUE(fit.converged) << c.name << ": " << fit.failure;
        EXPECT_NEAR(fit.Et.value / c.trap.Et, 1, 1e-3) << c.name;
        EXPECT_NEAR(fit.Vt.value / c.trap.Vt, 1, 2e-2) << c.name;
        EXPECT_NEAR(fit.Nt.value / c.trap.Nt, 1, 5e-3) << c.name;
        EXPECT_GT(fit.r2, 0.999999) << c.name;
        const Peak peak = StandardPeak(c.trap, {c.To, c.Beta, kArea});
        EXPECT_NEAR(fit.Tm / peak.Tm, 1, 1e-4) << c.name;
        EXPECT_NEAR(fit.Im / peak.Im, 1, 1e-3) << c.name;
    }
}

TEST(CurveFit, NoisyCurvesLandWithinThreeStandardErrors) {
    for (const Case& c : kCases) {
        const FitResult fit = FitCurve(Synthetic(c, 0.01), Options(c));
        ASSERT_TRUE(fit.converged) << c.name << ": " << fit.failure;
        EXPECT_LT(std::fabs(fit.Et.value - c.trap.Et), 3 * fit.Et.stderr_) << c.name;
        EXPECT_LT(std::fabs(fit.Vt.value - c.trap.Vt), 3 * fit.Vt.stderr_) << c.name;
        EXPECT_LT(std::fabs(fit.Nt.value - c.trap.Nt), 3 * fit.Nt.stderr_) << c.name;
        EXPECT_GT(fit.Et.stderr_, 0) << c.name;
        // Energy and frequency trade against each other along the peak.
        EXPECT_GT(fit.corrEtLnVt, 0.9) << c.name;
        EXPECT_GT(fit.r2, 0.99) << c.name;
    }
}

TEST(CurveFit, BackgroundTermsAreFittedBesideTheTrap) {
    const Case& c = kCases[0];
    const double peak = StandardPeak(c.trap, {c.To, c.Beta, kArea}).Im;
    FitOptions options = Options(c);
    options.background = Background::Linear;
    const FitResult fit = FitCurve(Synthetic(c, 0.01, 0.05 * peak, 2e-4 * peak), options);
    ASSERT_TRUE(fit.converged) << fit.failure;
    EXPECT_LT(std::fabs(fit.Et.value - c.trap.Et), 3 * fit.Et.stderr_);
    EXPECT_LT(std::fabs(fit.constant.value - 0.05 * peak), 3 * fit.constant.stderr_);
    EXPECT_LT(std::fabs(fit.slope.value - 2e-4 * peak), 3 * fit.slope.stderr_);
}

TEST(CurveFit, AFixedValueStaysAndTheOthersAreFitted) {
    const Case& c = kCases[0];
    FitOptions options = Options(c);
    options.fixedEt = c.trap.Et;
    const FitResult fit = FitCurve(Synthetic(c, 0), options);
    ASSERT_TRUE(fit.converged) << fit.failure;
    EXPECT_EQ(fit.Et.value, c.trap.Et);
    EXPECT_FALSE(fit.Et.fitted);
    EXPECT_EQ(fit.Et.stderr_, 0);
    EXPECT_TRUE(std::isnan(fit.corrEtLnVt));
    EXPECT_NEAR(fit.Vt.value / c.trap.Vt, 1, 1e-3);
    EXPECT_EQ(FittedParameterCount(options), 2u);
}

TEST(CurveFit, TheWindowsOwnCurveGivesItsParametersBack) {
    // The window's sample level from 300 K, where the curve rises to its peak.
    CalcState state = WithParameters(0.8, 1e8, 1e13, 300, 420, 2, 1, 0.2);
    MeasuredCurve measured;
    for (const ResultRow& row : Rows(&RunCalculation, state)) {
        measured.T.push_back(row.T);
        measured.I.push_back(row.Itsc);
    }
    FitOptions options;
    options.model = FitModel::Legacy;
    options.Beta = 2;
    options.S = 1;
    const FitResult fit = FitCurve(measured, options);
    ASSERT_TRUE(fit.converged) << fit.failure;
    EXPECT_NEAR(fit.Et.value / 0.8, 1, 1e-6);
    EXPECT_NEAR(fit.Vt.value / 1e8, 1, 1e-5);
    EXPECT_NEAR(fit.Nt.value / 1e13, 1, 1e-6);
    EXPECT_EQ(fit.Tm, state.Tpeak);
    EXPECT_NEAR(fit.Im / state.Ipeak, 1, 1e-6);
}

TEST(CurveFit, ACurveWithoutAPeakIsAFailureNotAResult) {
    MeasuredCurve flat;
    for (int i = 0; i < 40; ++i) {
        flat.T.push_back(200 + i);
        flat.I.push_back(0);
    }
    const FitResult fit = FitCurve(flat, Options(kCases[0]));
    EXPECT_FALSE(fit.converged);
    EXPECT_FALSE(fit.failure.empty());
}

}  // namespace
