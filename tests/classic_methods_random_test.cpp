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

// Every value an applied method gives is finite, and these are positive; the
// half-intensity temperatures lie on either side of Tm.
void ExpectConsistent(const CurveMethods& m, const std::vector<double>& T) {
    const PeakLocation* peak = Applied(m.peak);
    if (!peak) return;
    std::vector<double> positive{peak->Im}, finite{peak->Tm};
    EXPECT_TRUE(peak->Tm >= T.front() && peak->Tm <= T.back()) << peak->Tm;
    const double *t1 = Applied(m.T1), *t2 = Applied(m.T2);
    EXPECT_TRUE(!t1 || *t1 < peak->Tm) << *t1 << " above Tm " << peak->Tm;
    EXPECT_TRUE(!t2 || *t2 > peak->Tm) << *t2 << " below Tm " << peak->Tm;
    for (const Outcome<double>* width : {&m.tau, &m.delta, &m.omega}) {
        if (const double* value = Applied(*width)) positive.push_back(*value);
    }
    if (const PeakWidths* widths = Applied(m.widths)) {
        positive.push_back(widths->muG);
        EXPECT_LT(widths->muG, 1);
    }
    for (const Outcome<TrapEstimate>& chen : m.chen) {
        if (const TrapEstimate* e = Applied(chen)) positive.insert(positive.end(), {e->Et, e->Vt});
    }
    if (const InitialRise* rise = Applied(m.initialRise)) {
        positive.push_back(rise->Et);
        finite.insert(finite.end(), {rise->stderrEt, rise->slope, rise->intercept});
        EXPECT_GE(rise->points, kMinimumRisePoints);
    }
    if (const WholeCurve* whole = Applied(m.wholeCurve)) {
        positive.insert(positive.end(), {whole->Et.value, whole->Vt.value});
        finite.insert(finite.end(), {whole->r2, whole->curvature, whole->curvatureError,
                                     whole->slope, whole->intercept});
        for (const Outcome<double>* error : {&whole->Et.standardError, &whole->Vt.standardError}) {
            if (const double* value = Applied(*error)) finite.push_back(*value);
        }
        EXPECT_GE(whole->points, kMinimumWholeCurvePoints);
        EXPECT_LT(whole->firstT, whole->lastT);
    }
    for (double value : positive) EXPECT_TRUE(std::isfinite(value) && value > 0) << value;
    for (double value : finite) EXPECT_TRUE(std::isfinite(value)) << value;
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
            EXPECT_TRUE(std::isfinite(e->Et.value) && e->Et.value > 0) << e->Et.value;
            EXPECT_TRUE(std::isfinite(e->Vt.value) && e->Vt.value > 0) << e->Vt.value;
        }
    }
}

}  // namespace
