// The classic methods on a few hundred small random curves: uneven and
// repeated temperatures, tiny and huge currents, noise, negative values, odd
// heating rates. Whatever comes back must be a refusal or finite values that
// agree with one another; a crash, an exception or a sanitizer report fails.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "curve_methods.h"
#include "heating_rate.h"

namespace {

using namespace tsc::analysis;

constexpr double kMax = std::numeric_limits<double>::max();

class RandomCurves {
  public:
    explicit RandomCurves(unsigned seed) : random_(seed) {}

    double Uniform(double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random_);
    }
    template <class T, std::size_t N>
    T Pick(const T (&choices)[N]) {
        return choices[std::uniform_int_distribution<std::size_t>(0, N - 1)(random_)];
    }

    // Temperatures that never fall, some repeated, unevenly spaced.
    std::vector<double> Temperatures(int n) {
        const double scales[] = {1e-3, 1, 300, 300, 300, 1e6, 1e300};
        const double scale = Pick(scales);
        const double steps[] = {0, 1e-12, 1e-3, 3e-3, 3e-3, 3e-3, 0.02};
        const double step = Pick(steps);
        const double unevenness = Uniform(0, 2);
        std::vector<double> T{scale * Uniform(0.5, 1)};
        while (static_cast<int>(T.size()) < n) {
            const bool repeat = Uniform(0, 1) < 0.1;
            const double next =
                T.back() + (repeat ? 0 : scale * step * std::pow(Uniform(0, 1), unevenness));
            if (!std::isfinite(next)) break;
            T.push_back(next);
        }
        return T;
    }

    // One or two peaks, or none, of any height, with noise of either sign.
    std::vector<double> Currents(const std::vector<double>& T) {
        const double heights[] = {5e-324, 1e-300, 1e-12, 1e-12, 1, 1e300, kMax};
        const double height = Pick(heights);
        const double span = T.back() - T.front();
        const double centre = T.front() + span * Uniform(-0.1, 1.1);
        const double width = span * Uniform(0.02, 0.3) + 1e-300;
        const double noises[] = {0, 0, 0.001, 0.01, 0.3};
        const double noise = Pick(noises);
        const bool second = Uniform(0, 1) < 0.3;
        std::vector<double> I;
        for (double t : T) {
            const double x = (t - centre) / width;
            // A first-order-like shape: slow rise, fast fall.
            double shape = std::exp(x - std::exp(x));
            if (second) shape += 0.7 * std::exp(-(x - 1.5) * (x - 1.5));
            const double value = height * (shape + noise * Uniform(-1, 1));
            I.push_back(std::isfinite(value) ? value : std::copysign(kMax, value));
        }
        return I;
    }

  private:
    std::mt19937_64 random_;
};

void ExpectFinite(double value, const char* what) {
    EXPECT_TRUE(std::isfinite(value)) << what << " = " << value;
}

void ExpectPositive(double value, const char* what) {
    ExpectFinite(value, what);
    EXPECT_GT(value, 0) << what;
}

void ExpectConsistent(const CurveMethods& m, const std::vector<double>& T) {
    const PeakLocation* peak = Applied(m.peak);
    if (!peak) return;
    ExpectPositive(peak->Im, "Im");
    EXPECT_GE(peak->Tm, T.front());
    EXPECT_LE(peak->Tm, T.back());
    const double* t1 = Applied(m.T1);
    const double* t2 = Applied(m.T2);
    if (t1) {
        EXPECT_LT(*t1, peak->Tm);
    }
    if (t2) {
        EXPECT_GT(*t2, peak->Tm);
    }
    for (const Outcome<double>* width : {&m.tau, &m.delta, &m.omega}) {
        if (const double* value = Applied(*width)) ExpectPositive(*value, "width");
    }
    if (const PeakWidths* widths = Applied(m.widths)) {
        EXPECT_GT(widths->muG, 0);
        EXPECT_LT(widths->muG, 1);
    }
    for (const Outcome<TrapEstimate>& chen : m.chen) {
        if (const TrapEstimate* e = Applied(chen)) {
            ExpectPositive(e->Et, "Chen Et");
            ExpectPositive(e->Vt, "Chen Vt");
        }
    }
    if (const InitialRise* rise = Applied(m.initialRise)) {
        ExpectPositive(rise->Et, "rise Et");
        ExpectFinite(rise->stderrEt, "rise error");
        ExpectFinite(rise->intercept, "rise intercept");
        EXPECT_GE(rise->points, kMinimumRisePoints);
        EXPECT_LE(rise->firstT, rise->lastT);
    }
    if (const WholeCurve* whole = Applied(m.wholeCurve)) {
        ExpectPositive(whole->Et.value, "whole-curve Et");
        ExpectPositive(whole->Vt.value, "whole-curve Vt");
        for (const Outcome<double>* error : {&whole->Et.standardError, &whole->Vt.standardError}) {
            if (const double* value = Applied(*error)) ExpectFinite(*value, "whole-curve error");
        }
        ExpectFinite(whole->r2, "R²");
        ExpectFinite(whole->curvature, "curvature");
        ExpectFinite(whole->curvatureError, "curvature error");
        ExpectFinite(whole->intercept, "whole-curve intercept");
        EXPECT_GE(whole->points, kMinimumWholeCurvePoints);
        EXPECT_LT(whole->firstT, whole->lastT);
    }
}

TEST(ClassicMethodsOnRandomCurves, RefuseOrGiveFiniteConsistentValues) {
    RandomCurves random(20240601);
    std::vector<PeakAtRate> peaks;
    int evaluated = 0;
    for (int curve = 0; curve < 400; ++curve) {
        const std::vector<double> T = random.Temperatures(static_cast<int>(random.Uniform(0, 120)));
        const std::vector<double> I = random.Currents(T);
        const double betas[] = {5, 5, 5, 1e-300, 1e300, 0};
        const double beta = random.Pick(betas);
        const RiseWindow windows[] = {{}, {}, {}, {0.2, 0.9}, {0.5, 0.4}};
        const CurveMethods methods = EvaluateCurve(T, I, beta, random.Pick(windows));
        SCOPED_TRACE(testing::Message() << "curve " << curve);
        ExpectConsistent(methods, T);
        if (const PeakLocation* peak = Applied(methods.peak)) {
            ++evaluated;
            peaks.push_back({beta, peak->Tm});
        }
    }
    // Enough curves have a peak for the checks above to mean something.
    EXPECT_GT(evaluated, 50);

    for (std::size_t first = 0; first + 3 <= peaks.size(); first += 3) {
        const std::span<const PeakAtRate> series(peaks.data() + first, 3);
        const Outcome<HeatingRateEstimate> outcome = HeatingRateMethod(series);
        if (const HeatingRateEstimate* e = Applied(outcome)) {
            ExpectPositive(e->Et.value, "heating-rate Et");
            ExpectPositive(e->Vt.value, "heating-rate Vt");
            ExpectFinite(e->r2, "heating-rate R²");
        }
    }
}

}  // namespace
