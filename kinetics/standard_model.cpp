#include "standard_model.h"

#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <limits>

#include "no_throw_policy.h"
#include "physical_constants.h"
#include "temperature_integral.h"

namespace tsc::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

double HeatingRatePerSecond(const Heating& heating) { return heating.Beta / kSecondsPerMinute; }

double Prefactor(const Trap& trap, const Heating& heating) {
    return kElementaryCharge * (heating.S * kMm2ToM2) * (trap.Nt * kPerCm2ToPerM2) * trap.Vt;
}

}  // namespace

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
    const double level = std::log(trap.Vt) + std::log(trap.Et) -
                         std::log(HeatingRatePerSecond(heating) * kBoltzmannEv);
    if (!std::isfinite(level)) return {kNaN, kNaN};
    const auto condition = [level](double x) { return x + 2 * std::log(x) - level; };
    const double low = std::min(1.0, std::exp((level - 1) / 2));
    const double high = std::max(level, 1.0) + 1;
    std::uintmax_t iterations = 200;
    const auto [lo, hi] = boost::math::tools::toms748_solve(
        condition, low, high, boost::math::tools::eps_tolerance<double>(52), iterations, NoThrow());
    const double x = lo + (hi - lo) / 2;
    const double Tm = trap.Et / (kBoltzmannEv * x);
    return {Tm, StandardCurrent(trap, heating, Tm)};
}

}  // namespace tsc::analysis
