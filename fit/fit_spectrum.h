#pragma once

#include <vector>

#include "bounded_least_squares.h"
#include "spectrum_fit.h"
#include "spectrum_problem.h"

namespace tsc::analysis {

// Fits the model to the data from the model's values, within the limits,
// and renders what was found as a result: values, errors, verdicts and
// statistics. A fit that stops without a finite, positive-definite
// covariance, with a figure of merit or R^2 that says it does not describe
// the data, or with every peak run away, is not converged; its values are
// kept for choosing among attempts, but no report shows them.
SpectrumFit FitSpectrumModel(const FitData& data, const SpectrumModel& model,
                             const SolveLimits& limits);

// sigma^2 (J^T J)^-1 over the values not on a bound, from a QR of J with its
// columns scaled to unit length; for the fit of several curves too.
struct Covariance {
    Eigen::MatrixXd matrix;  // over every free value; NaN rows for those left out
    bool positiveDefinite = false;
};
Covariance CovarianceOf(const Eigen::MatrixXd& J, const std::vector<bool>& onBound, double sigma2);

// A value the solver moved (or held, with fitted false) with its standard
// error, marked undetermined where the error is not well below the value;
// and a value computed from others, which has no error of its own.
Estimate Fitted(double value, double stderr_, bool fitted);
Estimate Derived(double value);

// FOM, R^2, chi^2 and the information criteria of `fitted` against the data.
FitStatistics Statistics(const FitData& data, const std::vector<double>& fitted, int freeValues);

}  // namespace tsc::analysis
