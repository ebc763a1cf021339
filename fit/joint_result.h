#pragma once

#include <vector>

#include "bounded_least_squares.h"
#include "joint_fit.h"
#include "joint_problem.h"

namespace tsc::analysis {

// What the solver found, rendered as a result: the shared values with their
// errors and the Et-ln Vt correlation, each curve's own values, the
// statistics of each curve and of all, and the verdicts. A fit without a
// positive-definite covariance, that misses the curves by more than their
// area, or whose peaks all ran away, is not converged.
JointFit JointResult(const JointProblem& problem, const std::vector<FitData>& data,
                     const SolveOutcome& outcome);

}  // namespace tsc::analysis
