#pragma once

#include <Eigen/Dense>
#include <atomic>
#include <limits>
#include <string>

// Least squares with bounds on the parameters: Eigen's Levenberg-Marquardt
// (MINPACK's) on parameters transformed so that every value it can reach
// lies within the bounds, as MINUIT and lmfit do it: p = lo + (hi - lo)
// (sin z + 1)/2 between two bounds, p = lo - 1 + sqrt(z^2 + 1) above one.
namespace tsc::analysis {

// The residuals and their Jacobian in the problem's own parameters. Either
// returns false where the model is not defined at p; the solver then takes
// the step back.
class LeastSquaresProblem {
  public:
    virtual ~LeastSquaresProblem() = default;
    virtual int Points() const = 0;
    virtual bool Residuals(const Eigen::VectorXd& p, Eigen::VectorXd& r) const = 0;
    virtual bool Jacobian(const Eigen::VectorXd& p, Eigen::MatrixXd& J) const = 0;
};

// The processor time the calling thread has used, in seconds. A fit's
// limits are in the work it did, not in the time a busy machine took for it,
// so that the same curve gets the same fit on a loaded machine.
double ThreadSeconds();

// Whether the calling thread's processor time has passed the deadline. The
// thread's clock is a system call; it is read only when the wall clock,
// which can only run faster, says the deadline may have passed.
bool PastDeadline(double deadline);

// What a solve may spend: evaluations of the residuals (a Jacobian counts as
// one more), and the thread's processor time (ThreadSeconds) after which, or
// a flag on which, it stops.
struct SolveLimits {
    int evaluations = 200;
    double deadline = std::numeric_limits<double>::infinity();
    const std::atomic<bool>* cancel = nullptr;
    // Converged once a step changes the sum of squares, or the scaled
    // parameters, by less than this share.
    double tolerance = 1e-10;
};

// Why a solve stopped without converging.
enum class SolveProblem { None, Undefined, OutOfEvaluations, Cancelled, OutOfTime, CannotStart };

struct SolveOutcome {
    Eigen::VectorXd p;
    bool converged = false;
    SolveProblem problem = SolveProblem::None;
    int iterations = 0;
    int evaluations = 0;
    double chi2 = 0;  // squared norm of the residuals at p
    std::string why;  // when not converged
};

SolveOutcome SolveBounded(const LeastSquaresProblem& problem, const Eigen::VectorXd& start,
                          const Eigen::VectorXd& lower, const Eigen::VectorXd& upper,
                          const SolveLimits& limits);

// Whether p lies on one of its bounds, as far as the transformation can
// tell it apart from one: within 1e-4 of the span, or of the value.
bool AtBound(double p, double lower, double upper);

}  // namespace tsc::analysis
