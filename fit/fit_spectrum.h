#pragma once

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

}  // namespace tsc::analysis
