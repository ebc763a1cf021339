#include "first_order_curve.h"

#include <boost/math/special_functions/expint.hpp>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <random>

namespace {

constexpr double kK = 1.380649e-23 / 1.602176634e-19;  // eV/K

double Root(auto f, double low, double high) {
    std::uintmax_t iterations = 200;
    const auto [a, b] = boost::math::tools::toms748_solve(
        f, low, high, boost::math::tools::eps_tolerance<double>(), iterations);
    return 0.5 * (a + b);
}

}  // namespace

double FirstOrderPeak::LogCurrent(double T, double T0) const {
    const auto F = [&](double t) { return t * boost::math::expint(2, Et / (kK * t)); };
    return std::log(Vt * 1e-9) - Et / (kK * T) - Vt / (betaKPerMin / 60) * (F(T) - F(T0));
}

double FirstOrderPeak::ExactTm() const {
    // d ln I/dT = E/(kT²) − (ν/β)·exp(−E/kT) = 0.
    const double beta = betaKPerMin / 60;
    return Root([&](double T) { return Et / (kK * T * T) - Vt / beta * std::exp(-Et / (kK * T)); },
                10, 5000);
}

double FirstOrderPeak::ExactT1(double T0) const {
    const double tm = ExactTm();
    const double half = LogCurrent(tm, T0) - std::log(2.0);
    return Root([&](double T) { return LogCurrent(T, T0) - half; }, T0, tm);
}

double FirstOrderPeak::ExactT2(double T0) const {
    const double tm = ExactTm();
    const double half = LogCurrent(tm, T0) - std::log(2.0);
    return Root([&](double T) { return LogCurrent(T, T0) - half; }, tm, 2 * tm);
}

SampledCurve SampleCurve(const FirstOrderPeak& peak, double below, double above, double step,
                         double relativeNoise, unsigned seed) {
    const double tm = peak.ExactTm();
    const double T0 = tm - below;
    std::mt19937_64 random(seed);
    std::normal_distribution<double> noise(0, relativeNoise > 0 ? relativeNoise : 1);
    SampledCurve curve;
    for (int i = 0; T0 + i * step <= tm + above; ++i) {
        const double T = T0 + i * step;
        // The nominal peak current of ~1 nA, whatever the frequency.
        const double I = std::exp(peak.LogCurrent(T, T0) - peak.LogCurrent(tm, T0)) * 1e-9;
        curve.T.push_back(T);
        curve.I.push_back(relativeNoise > 0 ? I * (1 + noise(random)) : I);
    }
    return curve;
}
