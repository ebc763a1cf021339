#pragma once

#include <array>
#include <span>

// One trap level's peak during linear heating, in the form every kinetic
// order shares (May and Partridge's general order):
//
//   I(T) = Q s exp(-Et/kT) [1 + (b-1) (s/beta) (F(T) - F(To))]^(-b/(b-1))
//
// b = 1 is first order (Randall and Wilkins: the bracket becomes
// exp(-(s/beta)(F(T) - F(To)))), b = 2 second order (Garlick and Gibson).
// s is the effective frequency (s^-1; the escape frequency at first order)
// and Q = integral I dt over the whole peak, the released charge (A s) for
// a current, or counts for a glow curve. The family is evaluated through
// (b/(b-1)) ln(1 + (b-1)u) = b u g((b-1)u), g(z) = ln(1+z)/z, so it passes
// through b = 1 smoothly, in value and in every slope.
namespace tsc::analysis {

struct PeakLevel {
    double Et = 0;   // activation energy, eV
    double lnS = 0;  // ln of the effective frequency in s^-1
    double lnQ = 0;  // ln of the released charge
    double b = 1;    // kinetic order
};

struct LinearHeating {
    double To = 0;             // where the traps start to empty, K
    double betaPerSecond = 0;  // heating rate, K/s
};

// ln I and its slopes with respect to Et, ln s and b at the temperatures T,
// which must not decrease and must not lie below To (d ln I / d ln Q = 1).
// `dEt`, `dLnS` and `dB` may be empty. Where the current underflows, ln I is
// -infinity and the slopes are 0.
struct PeakColumns {
    std::span<double> lnI, dEt, dLnS, dB;
};
void EvaluatePeak(const PeakLevel& level, const LinearHeating& heating, std::span<const double> T,
                  PeakColumns columns);

// The same at one temperature, T >= To, by the closed forms of the integrals.
struct PeakSlopes {
    double lnI = 0, dEt = 0, dLnS = 0, dB = 0;
};
PeakSlopes EvaluatePeakAt(const PeakLevel& level, const LinearHeating& heating, double T);

// The peak's maximum above To: Tm (K) and ln Im. Both NaN where the current
// only falls from To on, or the level is not a peak.
struct PeakTop {
    double Tm = 0;
    double lnIm = 0;
};
PeakTop TopOfPeak(const PeakLevel& level, const LinearHeating& heating);

// A peak given by where its top lies: the level follows exactly from the
// peak condition
//   beta Et/(k Tm^2) [1 + (b-1)(s/beta)(F(Tm) - F(To))] = b s exp(-Et/kTm),
// which is linear in s. Fits move peaks in these terms, where Et and ln s,
// nearly collinear for one peak, are replaced by the well-separated Tm.
struct PeakPosition {
    double Tm = 0;    // K, above To
    double lnIm = 0;  // ln of the current at Tm
    double Et = 0;    // eV
    double b = 1;
};

// The level and the derivatives of (Et, ln s, ln Q, b) with respect to
// (Tm, ln Im, Et, b), in that order. `valid` is false where the level is not
// defined (Tm not above To, Et not positive, exp(Et/kTm) beyond the double
// range).
struct LevelOfPosition {
    PeakLevel level;
    std::array<std::array<double, 4>, 4> jacobian{};
    bool valid = false;
};
LevelOfPosition LevelAtPosition(const PeakPosition& position, const LinearHeating& heating);

}  // namespace tsc::analysis
