#pragma once

#include <span>

// The temperature integrals every peak of linear heating needs:
//
//   F(T) - F(To) = integral_To^T exp(-Et/kT') dT'        (K)
//   G(T) - G(To) = integral_To^T exp(-Et/kT')/T' dT'     (dimensionless)
//
// -G/k is the derivative of F with respect to Et, for the fits' Jacobians.
// Both are formed without cancellation: no difference of two nearly equal
// numbers is ever taken.
namespace tsc::analysis {

// F(T) - F(To) for the activation energy Et (eV), in K. Accurate also where
// T is close to To, and where exp(-Et/kTo) is far below the smallest double.
double DeltaF(double Et, double To, double T);

// G(T) - G(To) = E1(Et/kT) - E1(Et/kTo), dimensionless.
double DeltaE1(double Et, double To, double T);

// Both integrals from To to every temperature of `T`, which must not
// decrease and must not lie below To. They are summed interval by interval,
// each interval by a Gauss-Legendre rule whose order follows how much the
// integrand changes across it (the closed form above where it changes a
// lot), so a grid of n points costs about 4n exponentials and every value
// keeps its relative accuracy of about 1e-14. `deltaG` may be empty when
// only F is wanted.
void IntegralsAlong(double Et, double To, std::span<const double> T, std::span<double> deltaF,
                    std::span<double> deltaG);

}  // namespace tsc::analysis
