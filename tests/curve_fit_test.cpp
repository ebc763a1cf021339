// One trap level fitted to curves of the standard model and of the window's
// own calculation: its values come back, noise stays within its errors,
// backgrounds and held values are fitted beside it.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "calc_test_support.h"
#include "deconvolution.h"
#include "legacy_model.h"
#include "measured_curve.h"
#include "physical_constants.h"
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
// Nt (cm^-2) of the charge (A s) released from kArea.
constexpr double kDensityPerCharge = 1 / (kElementaryCharge * kArea * kMm2ToM2 * kPerCm2ToPerM2);

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

DeconvolutionRequest Request(const Case& c) {
    DeconvolutionRequest request;
    request.betaPerSecond = c.Beta / kSecondsPerMinute;
    return request;
}

SpectrumFit Fit(const MeasuredCurve& curve, const DeconvolutionRequest& request) {
    return Deconvolve(curve.T, curve.I, request);
}

TEST(CurveFit, NoiselessStandardCurvesGiveTheirParametersBack) {
    for (const Case& c : kCases) {
        const SpectrumFit fit = Fit(Synthetic(c, 0), Request(c));
        ASSERT_TRUE(fit.converged) << c.name << ": " << fit.failure;
        const FittedPeak& p = fit.peaks.front();
        EXPECT_NEAR(p.Et.value / c.trap.Et, 1, 1e-3) << c.name;
        EXPECT_NEAR(p.Vt.value / c.trap.Vt, 1, 2e-2) << c.name;
        EXPECT_NEAR(p.charge.value * kDensityPerCharge / c.trap.Nt, 1, 5e-3) << c.name;
        EXPECT_GT(fit.statistics.r2, 0.999999) << c.name;
        const Peak peak = StandardPeak(c.trap, {c.To, c.Beta, kArea});
        EXPECT_NEAR(p.Tm.value / peak.Tm, 1, 1e-4) << c.name;
        EXPECT_NEAR(p.Im.value / peak.Im, 1, 1e-3) << c.name;
    }
}

TEST(CurveFit, NoisyCurvesLandWithinThreeStandardErrors) {
    for (const Case& c : kCases) {
        const SpectrumFit fit = Fit(Synthetic(c, 0.01), Request(c));
        ASSERT_TRUE(fit.converged) << c.name << ": " << fit.failure;
        const FittedPeak& p = fit.peaks.front();
        EXPECT_LT(std::fabs(p.Et.value - c.trap.Et), 3 * p.Et.stderr_) << c.name;
        EXPECT_LT(std::fabs(p.Vt.value - c.trap.Vt), 3 * p.Vt.stderr_) << c.name;
        EXPECT_LT(std::fabs(p.charge.value * kDensityPerCharge - c.trap.Nt),
                  3 * p.charge.stderr_ * kDensityPerCharge)
            << c.name;
        EXPECT_GT(p.Et.stderr_, 0) << c.name;
        // Energy and frequency trade against each other along the peak.
        EXPECT_GT(p.corrEtLnVt, 0.9) << c.name;
        EXPECT_GT(fit.statistics.r2, 0.99) << c.name;
    }
}

TEST(CurveFit, BackgroundTermsAreFittedBesideTheTrap) {
    const Case& c = kCases[0];
    const double peak = StandardPeak(c.trap, {c.To, c.Beta, kArea}).Im;
    DeconvolutionRequest request = Request(c);
    request.background = BackgroundKind::Linear;
    const SpectrumFit fit = Fit(Synthetic(c, 0.01, 0.05 * peak, 2e-4 * peak), request);
    ASSERT_TRUE(fit.converged) << fit.failure;
    const FittedPeak& p = fit.peaks.front();
    EXPECT_LT(std::fabs(p.Et.value - c.trap.Et), 3 * p.Et.stderr_);
    const FittedBackground& b = fit.background;
    EXPECT_LT(std::fabs(b.constant.value - 0.05 * peak), 3 * b.constant.stderr_);
    EXPECT_LT(std::fabs(b.slope.value - 2e-4 * peak), 3 * b.slope.stderr_);
}

TEST(CurveFit, AFixedValueStaysAndTheOthersAreFitted) {
    const Case& c = kCases[0];
    DeconvolutionRequest request = Request(c);
    request.fixed.push_back({0, PeakParameter::Et, c.trap.Et, ""});
    const SpectrumFit fit = Fit(Synthetic(c, 0), request);
    ASSERT_TRUE(fit.converged) << fit.failure;
    const FittedPeak& p = fit.peaks.front();
    EXPECT_EQ(p.Et.value, c.trap.Et);
    EXPECT_FALSE(p.Et.fitted);
    EXPECT_NEAR(p.Vt.value / c.trap.Vt, 1, 1e-3);
    EXPECT_EQ(FreeValueCount(request, 1), 2);
}

TEST(CurveFit, TheWindowsOwnCurveGivesItsParametersBack) {
    // The window's sample level from 300 K, where the curve rises to its peak.
    CalcState state = WithParameters(0.8, 1e8, 1e13, 300, 420, 2, 1, 0.2);
    MeasuredCurve measured;
    for (const ResultRow& row : Rows(&RunCalculation, state)) {
        measured.T.push_back(row.T);
        measured.I.push_back(row.Itsc);
    }
    DeconvolutionRequest request;
    request.kinetics = Kinetics::Window;
    request.betaPerSecond = 2 / kSecondsPerMinute;
    const SpectrumFit fit = Fit(measured, request);
    ASSERT_TRUE(fit.converged) << fit.failure;
    const FittedPeak& p = fit.peaks.front();
    EXPECT_NEAR(p.Et.value / 0.8, 1, 1e-6);
    EXPECT_NEAR(p.Vt.value / 1e8, 1, 1e-5);
    EXPECT_NEAR(p.charge.value / kWindowUnitCharge / 1e13, 1, 1e-6);
    EXPECT_EQ(p.Tm.value, state.Tpeak);
    EXPECT_NEAR(p.Im.value / state.Ipeak, 1, 1e-6);
}

TEST(CurveFit, ACurveWithoutAPeakIsAFailureNotAResult) {
    MeasuredCurve flat;
    for (int i = 0; i < 40; ++i) {
        flat.T.push_back(200 + i);
        flat.I.push_back(0);
    }
    const SpectrumFit fit = Fit(flat, Request(kCases[0]));
    EXPECT_FALSE(fit.converged);
    EXPECT_FALSE(fit.failure.empty());
}

}  // namespace
