#include "peak_kinetics.h"

#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "no_throw_policy.h"
#include "physical_constants.h"
#include "temperature_integral.h"

namespace tsc::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// exp of more than this overflows a double.
constexpr double kLargestExponent = 709;

// g(z) = ln(1+z)/z, with g(0) = 1; log1pZ is ln(1+z).
double G(double z, double log1pZ) { return z == 0 ? 1.0 : log1pZ / z; }
double G(double z) { return G(z, std::log1p(z)); }

// g'(z) = (z/(1+z) - ln(1+z))/z^2; near 0 its series, where the difference
// would lose its digits.
double GPrime(double z, double log1pZ) {
    if (std::fabs(z) < 1e-3) {
        return -0.5 + z * (2.0 / 3 + z * (-3.0 / 4 + z * (4.0 / 5 + z * (-5.0 / 6 + z * 6.0 / 7))));
    }
    return (z / (1 + z) - log1pZ) / (z * z);
}

// What every point of one level needs.
struct LevelConstants {
    double c;     // Et/k, K
    double rate;  // s/beta, 1/K
    double lnQS;  // ln Q + ln s
    double b;
    bool first;  // b == 1: the bracket is exp(-u)
};

LevelConstants ConstantsOf(const PeakLevel& level, const LinearHeating& heating) {
    return {level.Et / kBoltzmannEv, std::exp(level.lnS) / heating.betaPerSecond,
            level.lnQ + level.lnS, level.b, level.b == 1};
}

// ln I and its slopes at one temperature from the two integrals there.
PeakSlopes Slopes(const LevelConstants& k, double T, double deltaF, double deltaG,
                  bool wantSlopes = true) {
    const double u = k.rate * deltaF;
    const double z = (k.b - 1) * u;
    PeakSlopes s;
    if (!std::isfinite(u) || !(1 + z > 0)) {
        s.lnI = -kInfinity;
        return s;
    }
    const double log1pZ = k.first ? 0 : std::log1p(z);
    const double g = k.first ? 1 : G(z, log1pZ);
    s.lnI = k.lnQS - k.c / T - k.b * u * g;
    if (!(s.lnI > -kLargestExponent - 50)) {
        s.lnI = -kInfinity;
        return s;
    }
    if (!wantSlopes) return s;
    const double shrink = k.b / (1 + z);
    s.dLnS = 1 - shrink * u;
    s.dEt = (-1 / T + shrink * k.rate * deltaG) / kBoltzmannEv;
    s.dB = -u * (g + k.b * u * (k.first ? -0.5 : GPrime(z, log1pZ)));
    return s;
}

PeakSlopes Slopes(const PeakLevel& level, const LinearHeating& heating, double T, double deltaF,
                  double deltaG) {
    return Slopes(ConstantsOf(level, heating), T, deltaF, deltaG);
}

}  // namespace

void EvaluatePeak(const PeakLevel& level, const LinearHeating& heating, std::span<const double> T,
                  PeakColumns columns) {
    // The integrals go into the columns of ln I and of the Et slope first,
    // then each point is turned into its values in place.
    std::vector<double> scratch;
    std::span<double> deltaG = columns.dEt;
    if (deltaG.empty() && (!columns.dLnS.empty() || !columns.dB.empty())) {
        scratch.resize(T.size());
        deltaG = scratch;
    }
    IntegralsAlong(level.Et, heating.To, T, columns.lnI, deltaG);
    const LevelConstants constants = ConstantsOf(level, heating);
    const bool wantSlopes = !deltaG.empty();
    for (std::size_t i = 0; i < T.size(); ++i) {
        const PeakSlopes s =
            Slopes(constants, T[i], columns.lnI[i], wantSlopes ? deltaG[i] : 0.0, wantSlopes);
        columns.lnI[i] = s.lnI;
        if (!columns.dEt.empty()) columns.dEt[i] = s.dEt;
        if (!columns.dLnS.empty()) columns.dLnS[i] = s.dLnS;
        if (!columns.dB.empty()) columns.dB[i] = s.dB;
    }
}

PeakSlopes EvaluatePeakAt(const PeakLevel& level, const LinearHeating& heating, double T) {
    return Slopes(level, heating, T, DeltaF(level.Et, heating.To, T),
                  DeltaE1(level.Et, heating.To, T));
}

PeakTop TopOfPeak(const PeakLevel& level, const LinearHeating& heating) {
    const PeakTop none{kNaN, kNaN};
    if (!(level.Et > 0 && std::isfinite(level.lnS) && heating.betaPerSecond > 0 && level.b > 0)) {
        return none;
    }
    const double c = level.Et / kBoltzmannEv;
    // Positive where the current falls: b (s/beta) exp(-Et/kT) against
    // Et/(kT^2) (1 + (b-1)u), in logarithms.
    const double lnRate = level.lnS - std::log(heating.betaPerSecond);
    const auto falling = [&](double T) {
        const double u = std::exp(lnRate) * DeltaF(level.Et, heating.To, T);
        return std::log(level.b) + lnRate - c / T - std::log(c / (T * T)) -
               std::log1p((level.b - 1) * u);
    };
    // The first-order top solves x + 2 ln x = ln(s Et/(beta k)); the others
    // lie near it. Widen a bracket around it until the sign changes.
    const double levelOfCondition = lnRate + std::log(c);
    if (!std::isfinite(levelOfCondition)) return none;
    double x = std::max(levelOfCondition, 1.0);
    for (int i = 0; i < 60; ++i) x = levelOfCondition - 2 * std::log(x);
    if (!(x > 0)) return none;
    double low = std::max(c / x, heating.To), high = low;
    for (int i = 0; i < 200 && !(falling(low) < 0) && low > heating.To; ++i) {
        low = std::max(heating.To, low / 1.05);
    }
    if (!(falling(low) < 0)) return none;  // falling from To on: no top above it
    for (int i = 0; i < 200 && !(falling(high) > 0); ++i) high *= 1.05;
    if (!(falling(high) > 0)) return none;
    std::uintmax_t iterations = 200;
    const auto [lo, hi] = boost::math::tools::toms748_solve(
        falling, low, high, boost::math::tools::eps_tolerance<double>(52), iterations, NoThrow());
    const double Tm = lo + (hi - lo) / 2;
    if (!std::isfinite(Tm)) return none;
    return {Tm, EvaluatePeakAt(level, heating, Tm).lnI};
}

LevelOfPosition LevelAtPosition(const PeakPosition& p, const LinearHeating& heating) {
    LevelOfPosition result;
    const double Tm = p.Tm, Et = p.Et, b = p.b;
    if (!(Tm > heating.To && Et > 0 && b > 0 && heating.betaPerSecond > 0 &&
          std::isfinite(p.lnIm))) {
        return result;
    }
    const double c = Et / kBoltzmannEv;
    const double x = c / Tm;
    if (!(x < kLargestExponent)) return result;
    const double deltaF = DeltaF(Et, heating.To, Tm);
    const double deltaG = DeltaE1(Et, heating.To, Tm);
    const double scale = c / (Tm * Tm) * std::exp(x);  // Et/(k Tm^2) exp(Et/kTm)
    const double R = scale * deltaF;                   // in [0, 1)
    const double D = b - (b - 1) * R;
    if (!(D > 0 && std::isfinite(R))) return result;

    PeakLevel& level = result.level;
    level.Et = Et;
    level.b = b;
    level.lnS = std::log(heating.betaPerSecond) + std::log(c / (Tm * Tm)) + x - std::log(D);
    const double u = R / D;
    const double z = (b - 1) * u;
    level.lnQ = p.lnIm - level.lnS + x + b * u * G(z);

    const double dR_dEt = R * (1 + x) / Et - scale * deltaG / kBoltzmannEv;
    const double dR_dTm = -R * (2 + x) / Tm + c / (Tm * Tm);
    const double dD_dEt = -(b - 1) * dR_dEt;
    const double dD_dTm = -(b - 1) * dR_dTm;
    const double dD_db = 1 - R;

    enum { kTm, kLnIm, kEt, kB };
    auto& J = result.jacobian;
    J[0] = {0, 0, 1, 0};  // Et
    J[1][kTm] = -(2 + x) / Tm - dD_dTm / D;
    J[1][kLnIm] = 0;
    J[1][kEt] = (1 + x) / Et - dD_dEt / D;
    J[1][kB] = -dD_db / D;
    J[3] = {0, 0, 0, 1};  // b
    // ln Q = ln Im - ln I(Tm) at Q = 1; ln I does not change with Tm there,
    // as Tm is its top.
    const PeakSlopes top = Slopes({Et, level.lnS, 0, b}, heating, Tm, deltaF, deltaG);
    for (int k = 0; k < 4; ++k) {
        J[2][k] = (k == kLnIm ? 1 : 0) - top.dEt * J[0][k] - top.dLnS * J[1][k] - top.dB * J[3][k];
    }
    result.valid = std::isfinite(level.lnS) && std::isfinite(level.lnQ);
    return result;
}

}  // namespace tsc::analysis
