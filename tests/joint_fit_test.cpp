// The fit of several heating rates on curves made independently
// (tests/glow_curve.*): one trap measured at three rates gives its values
// back, tighter than any one curve, and curves that contradict each other
// are refused.
#include "joint_fit.h"

#include <gtest/gtest.h>

#include <cmath>

#include "glow_curve.h"

namespace {

using namespace tsc::analysis;

constexpr double kK = 8.617333262e-5;  // eV/K

struct Level {
    double Et, s, height, b = 1;
};

// The levels at each rate (K/s) on 1-K steps, heights rising with the rate.
std::vector<GlowCurve> AtRates(const std::vector<Level>& levels, const std::vector<double>& rates,
                               double noise) {
    std::vector<GlowCurve> curves;
    for (std::size_t r = 0; r < rates.size(); ++r) {
        std::vector<GlowPeak> peaks;
        for (const Level& l : levels) {
            peaks.push_back({l.Et, FirstOrderTop(l.Et, l.s, rates[r]), l.height * (1 + r), l.b});
        }
        curves.push_back(MakeGlowCurve(peaks, rates[r], 330, 600, 1));
        if (noise > 0) AddNoise(curves.back(), noise, 11 + static_cast<unsigned>(r));
    }
    return curves;
}

JointFit Fit(const std::vector<GlowCurve>& curves, const std::vector<double>& rates,
             Kinetics kinetics, int peaks, bool sharedCharge = false) {
    std::vector<JointCurveData> data;
    for (std::size_t c = 0; c < curves.size(); ++c)
        data.push_back({curves[c].T, curves[c].I, rates[c]});
    JointRequest request;
    request.curve.kinetics = kinetics;
    request.curve.peaks = {peaks == 1 ? PeakCount::One : PeakCount::Number, peaks, {}};
    if (peaks == 0) request.curve.peaks.count = PeakCount::Automatic;
    request.sharedCharge = sharedCharge;
    return FitJointly(data, request);
}

const std::vector<double> kRates = {0.25, 1, 4};

struct Case {
    const char* name;
    Kinetics kinetics;
    std::vector<Level> levels;
};

const Case kCases[] = {
    {"one first-order", Kinetics::First, {{1.2, 1e12, 500}}},
    {"two first-order", Kinetics::First, {{1.1, 1e11, 400}, {1.4, 3e12, 700}}},
    {"two general-order", Kinetics::General, {{1.1, 1e11, 400, 1.5}, {1.4, 3e12, 700, 1.8}}},
};

TEST(JointFit, NoiselessCurvesGiveTheSharedValuesBack) {
    for (const Case& c : kCases) {
        const std::vector<GlowCurve> curves = AtRates(c.levels, kRates, 0);
        const JointFit fit = Fit(curves, kRates, c.kinetics, static_cast<int>(c.levels.size()));
        ASSERT_TRUE(fit.converged) << c.name << ": " << fit.failure << fit.refusal;
        ASSERT_EQ(fit.peaks.size(), c.levels.size()) << c.name;
        for (std::size_t k = 0; k < c.levels.size(); ++k) {
            EXPECT_NEAR(fit.peaks[k].Et.value / c.levels[k].Et, 1, 1e-4) << c.name << " " << k;
            EXPECT_NEAR(std::log(fit.peaks[k].Vt.value / c.levels[k].s), 0,
                        1e-4 * std::log(c.levels[k].s))
                << c.name << " " << k;
            EXPECT_NEAR(fit.peaks[k].b.value / c.levels[k].b, 1, 1e-4) << c.name << " " << k;
            for (std::size_t r = 0; r < curves.size(); ++r) {
                EXPECT_NEAR(fit.curves[r].peaks[k].charge.value / curves[r].charge[k], 1, 1e-4)
                    << c.name << " " << k << " curve " << r;
            }
        }
    }
}

TEST(JointFit, NoisyCurvesWithinFourSigmaAndTighterThanAnyOneCurve) {
    for (const Case& c : kCases) {
        const std::vector<GlowCurve> curves = AtRates(c.levels, kRates, 0.01);
        const JointFit fit = Fit(curves, kRates, c.kinetics, static_cast<int>(c.levels.size()));
        ASSERT_TRUE(fit.converged) << c.name << ": " << fit.failure << fit.refusal;
        for (std::size_t k = 0; k < c.levels.size(); ++k) {
            const FittedPeak& p = fit.peaks[k];
            EXPECT_NEAR(p.Et.value, c.levels[k].Et, 4 * p.Et.stderr_) << c.name << " " << k;
            EXPECT_NEAR(p.Vt.value, c.levels[k].s, 4 * p.Vt.stderr_) << c.name << " " << k;
            if (p.b.fitted) {
                EXPECT_NEAR(p.b.value, c.levels[k].b, 4 * p.b.stderr_) << c.name;
            }
            double tightest = INFINITY;
            for (const SpectrumFit& single : fit.singles) {
                tightest = std::min(tightest, single.peaks[k].Et.stderr_);
            }
            EXPECT_LT(p.Et.stderr_, tightest) << c.name << " " << k;
        }
    }
}

TEST(JointFit, SharedChargeAndTheNumberChosenTogether) {
    // The same charge at every rate: the heights scale as the rates do not.
    std::vector<GlowCurve> curves = AtRates({{1.2, 1e12, 500}}, kRates, 0);
    for (std::size_t r = 1; r < curves.size(); ++r) {
        const double factor = curves[0].charge[0] / curves[r].charge[0];
        for (double& v : curves[r].I) v *= factor;
    }
    const JointFit shared = Fit(curves, kRates, Kinetics::First, 1, true);
    ASSERT_TRUE(shared.converged) << shared.failure;
    EXPECT_NEAR(shared.peaks[0].charge.value / curves[0].charge[0], 1, 1e-4);
    const JointFit chosen =
        Fit(AtRates(kCases[1].levels, kRates, 0.01), kRates, Kinetics::First, 0);
    ASSERT_TRUE(chosen.converged) << chosen.failure;
    EXPECT_EQ(chosen.peaks.size(), 2u);
}

TEST(JointFit, PeaksThatFallWithTheRateAreRefused) {
    const std::vector<GlowCurve> curves = AtRates(kCases[0].levels, kRates, 0.01);
    const JointFit fit = Fit(curves, {kRates[2], kRates[1], kRates[0]}, Kinetics::First, 1);
    EXPECT_FALSE(fit.converged);
    EXPECT_NE(fit.refusal.find("must rise with the heating rate"), std::string::npos)
        << fit.refusal;
}

}  // namespace
