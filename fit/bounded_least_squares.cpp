#include "bounded_least_squares.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <deque>
#include <unsupported/Eigen/NonLinearOptimization>
#include <vector>

namespace tsc::analysis {
namespace {

// A residual the solver must reject: where the model is not defined.
constexpr double kUndefinedResidual = 1e6;
// A fit has settled once its last 8 iterations together lowered the sum of
// squares by less than a tenth of one point's variance, or its last 20 by
// less than a tenth of a variance each on average.
constexpr std::size_t kSettlingIterations = 8;
constexpr double kSettledShare = 0.1;
constexpr std::size_t kCrawlingIterations = 20;
constexpr double kCrawlingShare = 0.1 * kCrawlingIterations;

class Transform {
  public:
    Transform(const Eigen::VectorXd& lower, const Eigen::VectorXd& upper)
        : lower_(lower), upper_(upper) {}

    double Value(Eigen::Index i, double z) const {
        const double lo = lower_[i], hi = upper_[i];
        const bool hasLo = std::isfinite(lo), hasHi = std::isfinite(hi);
        if (hasLo && hasHi) return lo + (hi - lo) * (std::sin(z) + 1) / 2;
        if (hasLo) return lo - 1 + std::sqrt(z * z + 1);
        if (hasHi) return hi + 1 - std::sqrt(z * z + 1);
        return z;
    }

    double Slope(Eigen::Index i, double z) const {
        const double lo = lower_[i], hi = upper_[i];
        const bool hasLo = std::isfinite(lo), hasHi = std::isfinite(hi);
        if (hasLo && hasHi) return (hi - lo) * std::cos(z) / 2;
        if (hasLo) return z / std::sqrt(z * z + 1);
        if (hasHi) return -z / std::sqrt(z * z + 1);
        return 1;
    }

    // The inverse, from a start moved just inside its bounds: on a bound
    // the transformation's slope is 0 and the solver could not leave it.
    double Inverse(Eigen::Index i, double p) const {
        const double lo = lower_[i], hi = upper_[i];
        const bool hasLo = std::isfinite(lo), hasHi = std::isfinite(hi);
        if (hasLo && hasHi) {
            const double inside = 1e-3 * (hi - lo);
            p = std::clamp(p, lo + inside, hi - inside);
            return std::asin(2 * (p - lo) / (hi - lo) - 1);
        }
        if (hasLo) {
            p = std::max(p, lo + 1e-3);
            return std::sqrt((p - lo + 1) * (p - lo + 1) - 1);
        }
        if (hasHi) {
            p = std::min(p, hi - 1e-3);
            return std::sqrt((hi - p + 1) * (hi - p + 1) - 1);
        }
        return p;
    }

    Eigen::VectorXd Values(const Eigen::VectorXd& z) const {
        Eigen::VectorXd p(z.size());
        for (Eigen::Index i = 0; i < z.size(); ++i) p[i] = Value(i, z[i]);
        return p;
    }

  private:
    Eigen::VectorXd lower_, upper_;
};

struct Functor {
    using Scalar = double;
    enum { InputsAtCompileTime = Eigen::Dynamic, ValuesAtCompileTime = Eigen::Dynamic };
    using InputType = Eigen::VectorXd;
    using ValueType = Eigen::VectorXd;
    using JacobianType = Eigen::MatrixXd;

    Functor(const LeastSquaresProblem& p, const Transform& t, const SolveLimits& l, Eigen::Index n)
        : problem(p), transform(t), limits(l), parameters(n) {}

    const LeastSquaresProblem& problem;
    const Transform& transform;
    const SolveLimits& limits;
    Eigen::Index parameters;
    mutable int evaluations = 0;
    mutable bool cancelled = false, outOfTime = false, overBudget = false, settled = false;
    // The last points evaluated with their sums of squares, and the sums at
    // the points each iteration started from.
    mutable std::deque<std::pair<Eigen::VectorXd, double>> recent;
    mutable std::vector<double> accepted;

    int inputs() const { return static_cast<int>(parameters); }
    int values() const { return problem.Points(); }

    // Negative stops the solver: Eigen's LM hands this back as UserAsked.
    int Spend() const {
        if (limits.cancel && limits.cancel->load(std::memory_order_relaxed)) cancelled = true;
        if (PastDeadline(limits.deadline)) outOfTime = true;
        if (++evaluations > limits.evaluations) overBudget = true;
        return cancelled || outOfTime || overBudget ? -1 : 0;
    }

    int operator()(const Eigen::VectorXd& z, Eigen::VectorXd& r) const {
        if (Spend() < 0) return -1;
        if (!problem.Residuals(transform.Values(z), r) || !r.allFinite()) {
            r.setConstant(problem.Points(), kUndefinedResidual);
        }
        recent.emplace_back(z, r.squaredNorm());
        if (recent.size() > 4) recent.pop_front();
        return 0;
    }

    // Whether the last iterations lowered the sum of squares by hardly
    // anything against one point's variance: such steps move the values by
    // a fraction of their standard errors, along directions the data hardly
    // determine, and a fit of many overlapping peaks can crawl along them for
    // hundreds of iterations (a peak narrowing towards a frequency far
    // beyond any trap's, an order drifting to its bound) while the final
    // refinement of every value settles the same in a few.
    bool Settled(const Eigen::VectorXd& z) const {
        for (const auto& [point, chi2] : recent) {
            if (point == z) accepted.push_back(chi2);
        }
        const std::size_t n = accepted.size();
        if (n <= kSettlingIterations) return false;
        const double variance =
            accepted.back() / std::max<double>(problem.Points() - parameters, 1);
        const auto loweredOver = [&](std::size_t iterations) {
            return accepted[n - 1 - iterations] - accepted.back();
        };
        return loweredOver(kSettlingIterations) < kSettledShare * variance ||
               (n > kCrawlingIterations &&
                loweredOver(kCrawlingIterations) < kCrawlingShare * variance);
    }

    int df(const Eigen::VectorXd& z, Eigen::MatrixXd& J) const {
        if (Settled(z)) {
            settled = true;
            return -1;
        }
        if (Spend() < 0) return -1;
        if (!problem.Jacobian(transform.Values(z), J) || !J.allFinite()) {
            J.setZero(problem.Points(), parameters);
            return 0;
        }
        for (Eigen::Index j = 0; j < parameters; ++j) J.col(j) *= transform.Slope(j, z[j]);
        return 0;
    }
};

}  // namespace

double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

bool PastDeadline(double deadline) {
    // Processor time since the last reading is at most the wall time since.
    thread_local double threadAtReading = -1, wallAtReading = 0;
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const double wall = static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
    if (threadAtReading >= 0 && threadAtReading + (wall - wallAtReading) <= deadline) return false;
    threadAtReading = ThreadSeconds();
    wallAtReading = wall;
    return threadAtReading > deadline;
}

bool AtBound(double p, double lower, double upper) {
    const double span =
        std::isfinite(lower) && std::isfinite(upper) ? upper - lower : std::max(1.0, std::fabs(p));
    return (std::isfinite(lower) && p - lower <= 1e-4 * span) ||
           (std::isfinite(upper) && upper - p <= 1e-4 * span);
}

SolveOutcome SolveBounded(const LeastSquaresProblem& problem, const Eigen::VectorXd& start,
                          const Eigen::VectorXd& lower, const Eigen::VectorXd& upper,
                          const SolveLimits& limits) {
    const Transform transform(lower, upper);
    Eigen::VectorXd z(start.size());
    for (Eigen::Index i = 0; i < start.size(); ++i) z[i] = transform.Inverse(i, start[i]);

    Functor functor(problem, transform, limits, start.size());
    Eigen::LevenbergMarquardt<Functor> lm(functor);
    lm.parameters.ftol = limits.tolerance;
    lm.parameters.xtol = limits.tolerance;
    lm.parameters.gtol = 0;
    lm.parameters.maxfev = std::max(1, limits.evaluations);
    namespace lms = Eigen::LevenbergMarquardtSpace;
    lms::Status status = lms::ImproperInputParameters;
    if (problem.Points() >= start.size() && start.size() > 0) status = lm.minimize(z);

    SolveOutcome outcome;
    outcome.p = transform.Values(z);
    outcome.iterations = static_cast<int>(lm.iter);
    outcome.evaluations = functor.evaluations;
    Eigen::VectorXd r;
    const bool defined = problem.Residuals(outcome.p, r) && r.allFinite();
    outcome.chi2 = defined ? r.squaredNorm() : std::numeric_limits<double>::infinity();
    switch (status) {
        case lms::RelativeReductionTooSmall:
        case lms::RelativeErrorTooSmall:
        case lms::RelativeErrorAndReductionTooSmall:
        case lms::CosinusTooSmall:
        case lms::FtolTooSmall:
        case lms::XtolTooSmall:
        case lms::GtolTooSmall:
            outcome.converged = defined;
            if (!defined) {
                outcome.problem = SolveProblem::Undefined;
                outcome.why = "the model is not defined where the fit stopped";
            }
            break;
        case lms::TooManyFunctionEvaluation:
            outcome.problem = SolveProblem::OutOfEvaluations;
            outcome.why = "the fit used up its evaluations without converging";
            break;
        case lms::UserAsked:
            if (functor.settled) {
                outcome.converged = defined;
                break;
            }
            outcome.problem = functor.cancelled   ? SolveProblem::Cancelled
                              : functor.outOfTime ? SolveProblem::OutOfTime
                                                  : SolveProblem::OutOfEvaluations;
            outcome.why = functor.cancelled ? "the fit was cancelled"
                          : functor.outOfTime
                              ? "the fit ran out of time without converging"
                              : "the fit used up its evaluations without converging";
            break;
        default:
            outcome.problem = SolveProblem::CannotStart;
            outcome.why = "the fit could not start: too few points for the values to fit";
            break;
    }
    return outcome;
}

}  // namespace tsc::analysis
