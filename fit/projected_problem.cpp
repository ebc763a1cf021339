#include "projected_problem.h"

#include <algorithm>
#include <cmath>

namespace tsc::analysis {
namespace {

// The value a linear value takes for the model's unit curves: ln 1 for a
// factor; a background term's curves are written out directly.
double UnitValue(Linearity) { return 0; }

// How many times its unit curve is in the model's sum at that value.
double CopiesAtUnit(Linearity l) { return l == Linearity::LogFactor ? 1 : 0; }

// The least value a linear value may take: a factor e^v is positive, a
// background term keeps to its bound.
double Floor(const FreeValue& v) { return v.linearity == Linearity::LogFactor ? 0 : v.lower; }

}  // namespace

ProjectedProblem::ProjectedProblem(const SpectrumProblem& full) : full_(full) {
    const std::vector<FreeValue>& free = full.Free();
    for (int j = 0; j < static_cast<int>(free.size()); ++j) {
        (free[j].linearity == Linearity::Shape ? shape_ : linear_).push_back(j);
    }
    for (const int j : shape_) {
        int owner = -1;
        for (int i = 0; i < static_cast<int>(linear_.size()); ++i) {
            const FreeValue& l = free[linear_[i]];
            const bool samePeak = free[j].component >= 0 && l.component == free[j].component;
            const bool exponential = free[j].component < 0 && l.component < 0 && l.slot == 2;
            if (samePeak || exponential) owner = i;
        }
        owner_.push_back(owner);
    }
}

Eigen::VectorXd ProjectedProblem::Start() const {
    Eigen::VectorXd theta(shape_.size());
    for (std::size_t j = 0; j < shape_.size(); ++j) theta[j] = full_.Start()[shape_[j]];
    return theta;
}

Eigen::VectorXd ProjectedProblem::Lower() const {
    Eigen::VectorXd v(shape_.size());
    for (std::size_t j = 0; j < shape_.size(); ++j) v[j] = full_.Free()[shape_[j]].lower;
    return v;
}

Eigen::VectorXd ProjectedProblem::Upper() const {
    Eigen::VectorXd v(shape_.size());
    for (std::size_t j = 0; j < shape_.size(); ++j) v[j] = full_.Free()[shape_[j]].upper;
    return v;
}

Eigen::VectorXd ProjectedProblem::UnitFull(const Eigen::VectorXd& theta) const {
    Eigen::VectorXd p = full_.Start();
    for (std::size_t j = 0; j < shape_.size(); ++j) p[shape_[j]] = theta[j];
    for (const int i : linear_) p[i] = UnitValue(full_.Free()[i].linearity);
    return p;
}

const ProjectedProblem::Projection* ProjectedProblem::Project(const Eigen::VectorXd& theta) const {
    // The solver asks for the Jacobian where it last asked for residuals.
    if (cached_ && cachedTheta_.size() == theta.size() && cachedTheta_ == theta) return &cache_;
    cached_ = false;
    // Worked out in place: the solver evaluates hundreds of times, and
    // fresh matrices each time would keep the heap growing and shrinking.
    Projection& out = cache_;
    const Eigen::VectorXd p = UnitFull(theta);
    const std::vector<double>* sum = full_.SumAt(p);
    if (!sum) return nullptr;
    const FitData& data = full_.Data();
    const Eigen::Index n = full_.Points(), m = static_cast<Eigen::Index>(linear_.size());
    const std::vector<FreeValue>& free = full_.Free();
    const auto terms = full_.BackgroundTerms(p);

    out.A.resize(n, m);
    Eigen::VectorXd b(n);
    for (Eigen::Index i = 0; i < n; ++i) {
        const double w = data.weight[i];
        const std::array<double, 4> basis = full_.BackgroundBasis(data.T[i], terms[3]);
        double fixedPart = (*sum)[i];
        for (Eigen::Index c = 0; c < m; ++c) {
            const FreeValue& v = free[linear_[c]];
            const double unit = v.linearity == Linearity::LogFactor
                                    ? full_.PeakCurrent(v.component)[i]
                                    : full_.Scale() * basis[v.slot];
            fixedPart -= unit * CopiesAtUnit(v.linearity);
            // A value with a floor is solved for as its excess over it.
            if (std::isfinite(Floor(v))) fixedPart += unit * Floor(v);
            out.A(i, c) = w * unit;
        }
        b[i] = w * (data.y[i] - fixedPart);
    }

    // Least squares over the active curves; a height that comes out negative
    // is held at zero and the rest solved again.
    std::vector<Eigen::Index> active(m);
    for (Eigen::Index c = 0; c < m; ++c) active[c] = c;
    out.a = Eigen::VectorXd::Zero(m);
    out.spansCurves = false;
    Eigen::ColPivHouseholderQR<Eigen::MatrixXd>& qr = out.qr;
    for (Eigen::Index round = 0; round <= m; ++round) {
        Eigen::MatrixXd& Aa = activeCurves_;
        Aa.resize(n, static_cast<Eigen::Index>(active.size()));
        for (std::size_t c = 0; c < active.size(); ++c) Aa.col(c) = out.A.col(active[c]);
        qr.compute(Aa);
        const Eigen::VectorXd solved = qr.solve(b);
        if (!solved.allFinite()) return nullptr;
        Eigen::Index worst = -1;
        double mostNegative = 0;
        for (std::size_t c = 0; c < active.size(); ++c) {
            if (std::isfinite(Floor(free[linear_[active[c]]])) && solved[c] < mostNegative) {
                mostNegative = solved[c];
                worst = static_cast<Eigen::Index>(c);
            }
        }
        if (worst < 0) {
            out.a.setZero();
            for (std::size_t c = 0; c < active.size(); ++c) out.a[active[c]] = solved[c];
            out.spansCurves = true;
            break;
        }
        active.erase(active.begin() + worst);
        if (active.empty()) {
            out.a.setZero();
            break;
        }
    }
    out.r = out.A * out.a - b;
    if (!out.r.allFinite()) return nullptr;
    cachedTheta_ = theta;
    cached_ = true;
    return &cache_;
}

bool ProjectedProblem::Residuals(const Eigen::VectorXd& theta, Eigen::VectorXd& r) const {
    const Projection* projection = Project(theta);
    if (!projection) return false;
    r = projection->r;
    return true;
}

bool ProjectedProblem::Jacobian(const Eigen::VectorXd& theta, Eigen::MatrixXd& J) const {
    const Projection* found = Project(theta);
    if (!found) return false;
    const Projection& projection = *found;
    Eigen::MatrixXd& Jfull = fullJacobian_;
    if (!full_.Jacobian(UnitFull(theta), Jfull)) return false;
    J.resize(full_.Points(), static_cast<Eigen::Index>(shape_.size()));
    for (std::size_t j = 0; j < shape_.size(); ++j) {
        double factor = 1;
        if (owner_[j] >= 0) {
            const double floor = Floor(full_.Free()[linear_[owner_[j]]]);
            factor = projection.a[owner_[j]] + (std::isfinite(floor) ? floor : 0);
        }
        J.col(j) = Jfull.col(shape_[j]) * factor;
    }
    // Only the part of the slopes the heights cannot take up moves the
    // residuals: the part outside the curves' span.
    if (projection.spansCurves && projection.qr.rank() > 0) {
        Eigen::MatrixXd& Q = basis_;
        Q = projection.qr.householderQ() *
            Eigen::MatrixXd::Identity(full_.Points(), projection.qr.rank());
        J.noalias() -= Q * (Q.transpose() * J);
    }
    return J.allFinite();
}

bool ProjectedProblem::Full(const Eigen::VectorXd& theta, Eigen::VectorXd& p) const {
    const Projection* found = Project(theta);
    if (!found) return false;
    const Projection& projection = *found;
    p = UnitFull(theta);
    const std::vector<FreeValue>& free = full_.Free();
    for (std::size_t c = 0; c < linear_.size(); ++c) {
        const FreeValue& v = free[linear_[c]];
        const double a = projection.a[c] + (std::isfinite(Floor(v)) ? Floor(v) : 0);
        double value = v.linearity == Linearity::LogFactor ? (a > 0 ? std::log(a) : v.lower) : a;
        p[linear_[c]] = std::clamp(value, v.lower, v.upper);
    }
    return p.allFinite();
}

}  // namespace tsc::analysis
