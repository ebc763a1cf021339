#include "temperature_integral.h"

#include <array>
#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/special_functions/expint.hpp>
#include <cmath>
#include <limits>

#include "no_throw_policy.h"
#include "physical_constants.h"

namespace tsc::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// e^x E_n(x). Beyond x = 500 the asymptotic series is used: its terms fall
// below 1e-19 of the sum within a dozen, while E_n itself would approach
// the end of the double range.
double ScaledExpint(int n, double x) {
    if (x <= 500) return boost::math::expint(n, x, NoThrow()) * std::exp(x);
    double term = 1 / x;
    double sum = term;
    for (int m = 0; m < 12; ++m) {
        term *= -(n + m) / x;
        sum += term;
    }
    return sum;
}

// w(T) - w(To) for w(T) = weight(T) * exp(-x) * e^x E_n(x), x = Et/kT, with
// T > To; `integrand` is the derivative of w, so this is its integral over
// [To, T]. Over a short interval, where the integrand hardly changes,
// Gauss-Legendre gives it to the last digit. Otherwise it is formed as
// w(T) * (1 - w(To)/w(T)), which leaves no cancellation and whose ratio
// never underflows.
template <typename Weight, typename Integrand>
double DifferenceOfScaled(int n, double Et, double To, double T, Weight weight,
                          Integrand integrand) {
    const double x = Et / (kBoltzmannEv * T);
    const double xo = Et / (kBoltzmannEv * To);
    const double xGap = Et / kBoltzmannEv * ((T - To) / (T * To));
    if (xGap + (T - To) / To < 0.125) {
        return boost::math::quadrature::gauss<double, 20>::integrate(integrand, To, T);
    }
    const double atT = ScaledExpint(n, x);
    const double logRatio =
        std::log(weight(To) / weight(T)) + std::log(ScaledExpint(n, xo) / atT) - xGap;
    return weight(T) * std::exp(-x) * atT * -std::expm1(logRatio);
}

// One Gauss-Legendre rule with its nodes on [-1, 1], both signs spelt out.
struct Rule {
    std::array<double, 8> node{};
    std::array<double, 8> weight{};
    int size = 0;
};

template <unsigned N>
Rule MakeRule() {
    using Gauss = boost::math::quadrature::gauss<double, N>;
    Rule rule;
    const auto& x = Gauss::abscissa();
    const auto& w = Gauss::weights();
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (x[i] == 0) {
            rule.node[rule.size] = 0;
            rule.weight[rule.size++] = w[i];
            continue;
        }
        for (const double sign : {-1.0, 1.0}) {
            rule.node[rule.size] = sign * x[i];
            rule.weight[rule.size++] = w[i];
        }
    }
    return rule;
}

// The rules and the largest change of the integrand's logarithm across an
// interval each one integrates to about 1e-14: the n-point rule's error on
// exp(a t) over [0, 1] is (n!)^4 / ((2n+1) ((2n)!)^3) a^(2n).
struct RuleForChange {
    double largestChange;
    Rule rule;
};
const std::array<RuleForChange, 5>& Rules() {
    static const std::array<RuleForChange, 5> rules = {{
        {0.05, MakeRule<3>()},
        {0.25, MakeRule<4>()},
        {0.69, MakeRule<5>()},
        {1.39, MakeRule<6>()},
        {3.5, MakeRule<8>()},
    }};
    return rules;
}

}  // namespace

double DeltaF(double Et, double To, double T) {
    if (T == To) return 0;
    if (T < To) return -DeltaF(Et, T, To);
    if (Et == 0) return T - To;
    if (!(Et > 0)) return kNaN;
    return DifferenceOfScaled(
        2, Et, To, T, [](double t) { return t; },
        [Et](double t) { return std::exp(-Et / (kBoltzmannEv * t)); });
}

double DeltaE1(double Et, double To, double T) {
    if (T == To) return 0;
    if (T < To) return -DeltaE1(Et, T, To);
    if (Et == 0) return std::log(T / To);
    if (!(Et > 0)) return kNaN;
    return DifferenceOfScaled(
        1, Et, To, T, [](double) { return 1.0; },
        [Et](double t) { return std::exp(-Et / (kBoltzmannEv * t)) / t; });
}

void IntegralsAlong(double Et, double To, std::span<const double> T, std::span<double> deltaF,
                    std::span<double> deltaG) {
    const bool wantG = !deltaG.empty();
    const double c = Et / kBoltzmannEv;
    double F = 0, G = 0;
    double previous = To;
    for (std::size_t i = 0; i < T.size(); ++i) {
        const double t = T[i];
        if (t > previous) {
            // How much the logarithm of exp(-c/T)/T changes across the interval.
            const double change = c * ((t - previous) / (t * previous)) + (t - previous) / previous;
            const RuleForChange* chosen = nullptr;
            for (const RuleForChange& r : Rules()) {
                if (change <= r.largestChange) {
                    chosen = &r;
                    break;
                }
            }
            if (chosen && Et >= 0) {
                const double middle = previous + (t - previous) / 2;
                const double half = (t - previous) / 2;
                double sumF = 0, sumG = 0;
                for (int j = 0; j < chosen->rule.size; ++j) {
                    const double node = middle + half * chosen->rule.node[j];
                    const double value = chosen->rule.weight[j] * std::exp(-c / node);
                    sumF += value;
                    if (wantG) sumG += value / node;
                }
                F += half * sumF;
                G += half * sumG;
            } else {
                F += DeltaF(Et, previous, t);
                if (wantG) G += DeltaE1(Et, previous, t);
            }
            previous = t;
        }
        deltaF[i] = F;
        if (wantG) deltaG[i] = G;
    }
}

}  // namespace tsc::analysis
