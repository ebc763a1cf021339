#include "standard_model.h"

#include <boost/math/quadrature/gauss.hpp>
#include <boost/math/special_functions/expint.hpp>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <limits>

#include "physical_constants.h"

namespace tsc::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// e^x E_n(x). Beyond x = 500 the asymptotic series is used: its terms fall
// below 1e-19 of the sum within a dozen, while E_n itself would approach
// the end of the double range.
double ScaledExpint(int n, double x) {
    if (x <= 500) return boost::math::expint(n, x) * std::exp(x);
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
    const double logRatio = std::log(weight(To) / weight(T)) +
                            std::log(ScaledExpint(n, xo) / ScaledExpint(n, x)) - xGap;
    return weight(T) * std::exp(-x) * ScaledExpint(n, x) * -std::expm1(logRatio);
}

double HeatingRatePerSecond(const Heating& heating) { return heating.Beta / kSecondsPerMinute; }

double Prefactor(const Trap& trap, const Heating& heating) {
    return kElementaryCharge * (heating.S * kMm2ToM2) * (trap.Nt * kPerCm2ToPerM2) * trap.Vt;
}

}  // namespace

double DeltaF(double Et, double To, double T) {
    if (T == To) return 0;
    if (T < To) return -DeltaF(Et, T, To);
    if (Et == 0) return T - To;
    return DifferenceOfScaled(
        2, Et, To, T, [](double t) { return t; },
        [Et](double t) { return std::exp(-Et / (kBoltzmannEv * t)); });
}

double DeltaE1(double Et, double To, double T) {
    if (T == To) return 0;
    if (T < To) return -DeltaE1(Et, T, To);
    if (Et == 0) return std::log(T / To);
    return DifferenceOfScaled(
        1, Et, To, T, [](double) { return 1.0; },
        [Et](double t) { return std::exp(-Et / (kBoltzmannEv * t)) / t; });
}

double StandardCurrent(const Trap& trap, const Heating& heating, double T) {
    return StandardCurrentWithSlopes(trap, heating, T).current;
}

CurrentWithSlopes StandardCurrentWithSlopes(const Trap& trap, const Heating& heating, double T) {
    const double rate = trap.Vt / HeatingRatePerSecond(heating);
    const double emptied = rate * DeltaF(trap.Et, heating.To, T);
    const double exponent = -trap.Et / (kBoltzmannEv * T) - emptied;
    CurrentWithSlopes result;
    result.current = Prefactor(trap, heating) * std::exp(exponent);
    result.dLnI_dLnNt = 1;
    result.dLnI_dLnVt = 1 - emptied;
    result.dLnI_dEt =
        -1 / (kBoltzmannEv * T) + rate * DeltaE1(trap.Et, heating.To, T) / kBoltzmannEv;
    return result;
}

std::vector<CurvePoint> StandardCurve(const Trap& trap, const Heating& heating, double Tend,
                                      double a) {
    std::vector<CurvePoint> curve;
    for (std::uint64_t i = 0;; ++i) {
        const double T = std::fma(static_cast<double>(i), a, heating.To);
        if (!(T <= Tend)) break;
        curve.push_back({T, StandardCurrent(trap, heating, T)});
    }
    return curve;
}

Peak StandardPeak(const Trap& trap, const Heating& heating) {
    if (!(trap.Et > 0 && trap.Vt > 0 && heating.Beta > 0)) return {kNaN, kNaN};
    // With x = Et/(k Tm) the condition reads x + 2 ln x = ln(vt Et/(beta k)),
    // whose left side rises monotonically from -infinity to infinity.
    const double level =
        std::log(trap.Vt * trap.Et / (HeatingRatePerSecond(heating) * kBoltzmannEv));
    const auto condition = [level](double x) { return x + 2 * std::log(x) - level; };
    const double low = std::min(1.0, std::exp((level - 1) / 2));
    const double high = std::max(level, 1.0) + 1;
    std::uintmax_t iterations = 200;
    const auto [lo, hi] = boost::math::tools::toms748_solve(
        condition, low, high, boost::math::tools::eps_tolerance<double>(52), iterations);
    const double x = lo + (hi - lo) / 2;
    const double Tm = trap.Et / (kBoltzmannEv * x);
    return {Tm, StandardCurrent(trap, heating, Tm)};
}

}  // namespace tsc::analysis
