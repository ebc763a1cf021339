#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "measured_curve.h"

// Fitting one trap level to a measured curve by least squares
// (Levenberg-Marquardt, in Et, ln vt and ln Nt so that vt and Nt stay
// positive), with start values found from the curve itself.
namespace tsc::analysis {

enum class FitModel { Standard, Legacy };
enum class Background { None, Constant, Linear };

struct FitOptions {
    FitModel model = FitModel::Standard;
    double Beta = 0;    // heating rate, K/min
    double S = 0;       // cross-section, mm^2
    double step = 0.2;  // the window's step for the legacy model, K
    Background background = Background::None;
    // Values held fixed instead of fitted: Et (eV), vt (Hz), Nt (cm^-2).
    std::optional<double> fixedEt, fixedVt, fixedNt;
};

// The number of values the options leave to the fit.
std::size_t FittedParameterCount(const FitOptions& options);

struct FittedValue {
    double value = 0;
    double stderr_ = 0;  // 0 when held fixed
    bool fitted = false;
};

struct FitResult {
    bool converged = false;
    std::string failure;  // why not, for a person, when not converged
    int iterations = 0;
    std::size_t points = 0;
    FittedValue Et, Vt, Nt;
    // The background constant + slope (T - To), To the first temperature:
    // A and A/K; only the terms the options fit.
    FittedValue constant, slope;
    double corrEtLnVt = 0;  // NaN when either is fixed
    double Tm = 0, Im = 0;  // the fitted trap current's peak, K and A
    double fomPercent = 0, r2 = 0;
    double reducedChi2 = 0;      // SSR / (n - p), A^2
    std::vector<double> fitted;  // trap current plus background at the points
};

// Fits the curve, which must hold at least 4 * FittedParameterCount points.
FitResult FitCurve(const MeasuredCurve& curve, const FitOptions& options);

// The points with TLO <= T <= THI.
MeasuredCurve WithinRange(const MeasuredCurve& curve, double low, double high);

}  // namespace tsc::analysis
