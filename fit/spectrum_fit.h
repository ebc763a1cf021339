#pragma once

#include <Eigen/Dense>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "spectrum_model.h"

// What a fit of a spectrum model found: values with standard errors, the
// correlations, the statistics, and the curves of every component. Reports
// render this; none of them computes anything of its own.
namespace tsc::analysis {

inline constexpr double kNotAValue = std::numeric_limits<double>::quiet_NaN();

struct Estimate {
    double value = kNotAValue;
    double stderr_ = kNotAValue;  // NaN when held fixed or not determined
    bool fitted = false;
    // Follows from the fitted values (a peak's top from its level, say),
    // without a standard error of its own.
    bool derived = false;
    bool atBound = false;
    // The data do not pin it down: its standard error is half its value or
    // more, or it is all but collinear with another fitted value.
    bool undetermined = false;
};

enum class PeakVerdict {
    Determined,    // every value is a result
    Undetermined,  // fitted, but some value is not determined by the data
    RanAway,       // to a bound, to zero height or outside the data: no result
};

struct FittedPeak {
    Kinetics kinetics = Kinetics::First;
    Estimate Et;      // eV
    Estimate Vt;      // Hz
    Estimate charge;  // integral I dt, A s (or counts)
    Estimate b;
    Estimate Tm;                // K
    Estimate Im;                // A (or counts per second)
    double share = kNotAValue;  // of the fitted peaks' charge
    double corrEtLnVt = kNotAValue;
    PeakVerdict verdict = PeakVerdict::Determined;
    std::string why;              // for a person, when not Determined
    std::vector<double> current;  // at the fitted points
};

struct FittedBackground {
    BackgroundKind kind = BackgroundKind::None;
    Estimate constant, slope, amplitude, scale;
    double To = 0, Tend = 0;      // the temperatures the terms refer to
    std::vector<double> current;  // at the fitted points
};

struct FitStatistics {
    std::size_t points = 0;
    int freeParameters = 0;
    double fomPercent = kNotAValue;  // 100 sum|y - f| / sum f
    double r2 = kNotAValue;
    double chi2 = kNotAValue;         // weighted sum of squared residuals
    double reducedChi2 = kNotAValue;  // chi2 / (n - p); A^2 unweighted
    double aic = kNotAValue;          // n ln(chi2/n) + 2p
    double bic = kNotAValue;          // n ln(chi2/n) + p ln n
};

// Why a fit did not converge, for a window to say in its own language;
// `failure` says it in English.
enum class FitProblem {
    None,
    Undefined,         // the model is not defined where the fit stopped
    OutOfEvaluations,  // it used up its evaluations
    Cancelled,
    OutOfTime,
    CannotStart,     // too few points for the values to fit
    NoStart,         // a start value gives no peak above the first temperature
    Undetermined,    // the data do not determine its values (singular covariance)
    NoPositiveArea,  // the fitted curve has no positive area
    MissesCurve,     // it misses the measurement by more than its area (FOM over 100 %)
    WorseThanMean,   // R² not above 0
    EveryPeakRanAway,
};

struct SpectrumFit {
    bool converged = false;
    bool cancelled = false;
    std::string failure;  // why not converged, for a person
    FitProblem problem = FitProblem::None;
    bool heldValuesSuspect = false;  // values the user held may be why
    int iterations = 0;
    int evaluations = 0;
    std::vector<FittedPeak> peaks;  // by ascending Tm
    FittedBackground background;
    FitStatistics statistics;
    // The correlations of the values the fit moved, named as in the report,
    // and their covariances in the units of those names: K for Tm, eV for Et,
    // the measurement's unit for the background's heights; none for ln Im,
    // ln Vt, ln Q, Et/kTm and b. NaN where a value ended on its bound, and
    // throughout when the covariance is singular.
    std::vector<std::string> parameterNames;
    Eigen::MatrixXd correlation;
    Eigen::MatrixXd covariance;
    std::vector<double> T;           // the fitted temperatures, K
    std::vector<double> fitted;      // the model's sum there
    std::vector<std::string> notes;  // how the number of peaks was chosen, and similar
};

}  // namespace tsc::analysis
