#pragma once

#include <Eigen/Dense>
#include <vector>

#include "bounded_least_squares.h"
#include "spectrum_problem.h"

// Variable projection (Golub and Pereyra, with Kaufman's Jacobian): the
// peaks' heights and the background's linear terms are solved by linear
// least squares at every step, and the solver moves only the values that
// shape the curve: where the peaks lie, their energies and orders. With the
// heights gone, overlapping peaks no longer trade height along the narrow
// curved valleys that make a plain Levenberg-Marquardt crawl. A height that
// would come out negative is held at zero instead.
namespace tsc::analysis {

class ProjectedProblem : public LeastSquaresProblem {
  public:
    explicit ProjectedProblem(const SpectrumProblem& full);

    // Worth doing: there are heights to solve for, and values to move.
    bool Applicable() const { return !linear_.empty() && !shape_.empty(); }

    int Points() const override { return full_.Points(); }
    bool Residuals(const Eigen::VectorXd& theta, Eigen::VectorXd& r) const override;
    bool Jacobian(const Eigen::VectorXd& theta, Eigen::MatrixXd& J) const override;

    Eigen::VectorXd Start() const;
    Eigen::VectorXd Lower() const;
    Eigen::VectorXd Upper() const;

    // The full problem's values at theta, with the heights solved.
    bool Full(const Eigen::VectorXd& theta, Eigen::VectorXd& p) const;

  private:
    struct Projection {
        Eigen::MatrixXd A;  // the weighted curves the linear values multiply
        Eigen::VectorXd a;  // their solved values; 0 where held at zero
        Eigen::VectorXd r;  // the weighted residual
        // The active curves' factors, whose Q is an orthonormal basis of
        // them; formed only where the Jacobian is asked for.
        Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr;
        bool spansCurves = false;
    };
    // The projection at theta, or null where the model is not defined; it
    // stays valid until the next call.
    const Projection* Project(const Eigen::VectorXd& theta) const;
    Eigen::VectorXd UnitFull(const Eigen::VectorXd& theta) const;

    const SpectrumProblem& full_;
    mutable Projection cache_;
    mutable Eigen::VectorXd cachedTheta_;
    mutable bool cached_ = false;
    // Working matrices kept between evaluations.
    mutable Eigen::MatrixXd activeCurves_, fullJacobian_, basis_;
    std::vector<int> shape_, linear_;  // indices into the full problem's values
    std::vector<int> owner_;  // for each shape value, its linear value (index into linear_) or -1
};

}  // namespace tsc::analysis
