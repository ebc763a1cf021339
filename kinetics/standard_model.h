#pragma once

#include <vector>

#include "temperature_integral.h"

// The textbook first-order model of one trap level emptied by linear heating
// (Randall-Wilkins in thermoluminescence):
//
//   I(T) = q S Nt vt exp(-Et/kT) exp(-(vt/beta) (F(T) - F(To))),
//   F(T) = integral_0^T exp(-Et/kT') dT' = T E2(Et/kT),
//
// with the current in ampere and the heating rate taken in K/min, as the
// window's fields take it, and divided by 60 for the formula.
namespace tsc::analysis {

struct Trap {
    double Et;  // activation energy, eV
    double Vt;  // escape frequency, Hz
    double Nt;  // trap density, cm^-2
};

struct Heating {
    double To;    // start temperature, K
    double Beta;  // heating rate, K/min
    double S;     // cross-section, mm^2
};

// The current at T (A).
double StandardCurrent(const Trap& trap, const Heating& heating, double T);

// The current and its derivatives with respect to ln Nt, ln vt and Et (eV)
// divided by the current, for the analytic Jacobian of the fit.
struct CurrentWithSlopes {
    double current;
    double dLnI_dLnNt;
    double dLnI_dLnVt;
    double dLnI_dEt;
};
CurrentWithSlopes StandardCurrentWithSlopes(const Trap& trap, const Heating& heating, double T);

struct CurvePoint {
    double T;
    double I;
};

// The curve on the window's grid: T_i = To + i*a, each rounded once, for
// every T_i <= Tend. Needs a > 0.
std::vector<CurvePoint> StandardCurve(const Trap& trap, const Heating& heating, double Tend,
                                      double a);

// The continuous peak: Tm solves beta Et/(k Tm^2) = vt exp(-Et/(k Tm)),
// which depends on neither To nor Nt; Im is the current there. Both are NaN
// when the trap has no peak (Et or vt not positive).
struct Peak {
    double Tm;
    double Im;
};
Peak StandardPeak(const Trap& trap, const Heating& heating);

}  // namespace tsc::analysis
