#include "glow_curve.h"

#include <algorithm>
#include <boost/math/quadrature/gauss.hpp>
#include <cmath>
#include <random>

namespace {

constexpr long double kK = 1.380649e-23L / 1.602176634e-19L;

// ln of the current with Q s = 1 at every T from T[0], in long double.
std::vector<long double> LogShape(const GlowPeak& p, long double s, long double beta,
                                  const std::vector<double>& T) {
    const long double E = p.Et;
    const auto integrand = [&](long double t) { return std::exp(-E / (kK * t)); };
    std::vector<long double> out;
    long double integral = 0, previous = T.front();
    for (const double t : T) {
        integral +=
            boost::math::quadrature::gauss<long double, 30>::integrate(integrand, previous, t);
        previous = t;
        const long double u = s / beta * integral;
        const long double b = p.b;
        const long double logBracket = b == 1   ? -u
                                       : b == 2 ? -2 * std::log1p(u)
                                                : -b / (b - 1) * std::log1p((b - 1) * u);
        out.push_back(-E / (kK * t) + logBracket);
    }
    return out;
}

}  // namespace

double FirstOrderFrequency(double Et, double Tm, double betaPerSecond) {
    const double x = Et / (static_cast<double>(kK) * Tm);
    return betaPerSecond * x / Tm * std::exp(x);
}

double FirstOrderTop(double Et, double s, double betaPerSecond) {
    double low = 10, high = 2000;
    for (int i = 0; i < 200; ++i) {
        const double mid = (low + high) / 2;
        (FirstOrderFrequency(Et, mid, betaPerSecond) > s ? low : high) = mid;
    }
    return (low + high) / 2;
}

GlowCurve MakeGlowCurve(const std::vector<GlowPeak>& peaks, double betaPerSecond, double from,
                        double to, double step, double (*background)(double)) {
    GlowCurve curve;
    for (int i = 0;; ++i) {
        const double T = from + i * step;
        if (T > to) break;
        curve.T.push_back(T);
    }
    curve.I.assign(curve.T.size(), 0);
    for (const GlowPeak& p : peaks) {
        const long double s = FirstOrderFrequency(p.Et, p.Tm, betaPerSecond);
        const auto atTm = LogShape(p, s, betaPerSecond, {from, p.Tm});
        const long double charge = p.height / (s * std::exp(atTm.back()));
        std::vector<double> I;
        for (const long double v : LogShape(p, s, betaPerSecond, curve.T)) {
            I.push_back(static_cast<double>(charge * s * std::exp(v)));
        }
        for (std::size_t i = 0; i < I.size(); ++i) curve.I[i] += I[i];
        curve.peaks.push_back(std::move(I));
        curve.frequency.push_back(static_cast<double>(s));
        curve.charge.push_back(static_cast<double>(charge));
    }
    if (background) {
        for (std::size_t i = 0; i < curve.T.size(); ++i) curve.I[i] += background(curve.T[i]);
    }
    return curve;
}

void AddNoise(GlowCurve& curve, double share, unsigned seed) {
    std::mt19937_64 random(seed);
    std::normal_distribution<double> gauss;
    const double top = *std::max_element(curve.I.begin(), curve.I.end());
    for (double& v : curve.I) v += share * top * gauss(random);
}

void AsCounts(GlowCurve& curve, unsigned seed) {
    std::mt19937_64 random(seed);
    for (double& v : curve.I) {
        std::poisson_distribution<long> counts(std::max(v, 1e-9));
        v = static_cast<double>(counts(random));
    }
}
