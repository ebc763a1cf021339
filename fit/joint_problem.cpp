#include "joint_problem.h"

#include <cmath>
#include <string>

#include "physical_constants.h"

namespace tsc::analysis {
namespace {

// The curve problems' own slots in the direct form.
enum DirectSlot { kEt, kLnS, kLnQ, kB };
// The shared slots: Tm (or Et), Et/kTm (or the held Et), b.
enum SharedSlot { kTop, kWidth, kOrder };
// As the one-curve fit keeps a peak's width Et/kTm.
constexpr double kLeastWidthX = 10, kMostWidthX = 150;

double Log(double v) { return v > 0 ? std::log(v) : -kUnbounded; }

std::string Numbered(const char* name, int peak) {
    return std::string(name) + "[" + std::to_string(peak + 1) + "]";
}

std::string OfCurve(const std::string& name, int curve) {
    return name + " of curve " + std::to_string(curve + 1);
}

}  // namespace

void JointProblem::Add(FreeValue value, int curve, double start) {
    free_.push_back({std::move(value), curve});
    startValues_.push_back(start);
}

JointProblem::JointProblem(const std::vector<FitData>& data,
                           const std::vector<SpectrumModel>& models, bool sharedCharge) {
    for (std::size_t c = 0; c < data.size(); ++c) {
        curves_.push_back(std::make_unique<SpectrumProblem>(data[c], models[c], PeakForm::Direct));
        startable_ = startable_ && curves_.back()->Startable();
        points_ += curves_.back()->Points();
    }
    const SpectrumProblem& first = *curves_.front();
    const LinearHeating heating = first.Heating();
    const double To = data.front().T.front(), Tend = data.front().T.back();
    const int peaks = static_cast<int>(first.Model().peaks.size());
    for (int k = 0; k < peaks; ++k) {
        // The model as the curve problem holds it: first and second order
        // with their b held.
        const PeakComponent& c = first.Model().peaks[k];
        PeakState s;
        s.position = !c.Vt.fixed && c.kinetics != Kinetics::Window;
        if (s.position) {
            const PeakTop top = TopOfPeak({c.Et.value, Log(c.Vt.value), 0, c.b.value}, heating);
            if (!std::isfinite(top.Tm)) startable_ = false;
            s.widthFree = !c.Et.fixed;
            const double x = c.Et.value / (kBoltzmannEv * top.Tm);
            s.value = {top.Tm, s.widthFree ? x : c.Et.value, c.b.value};
            s.free[kTop] = static_cast<int>(free_.size());
            Add({k, kTop, Numbered("Tm", k), To + 1e-6 * (Tend - To), Tend}, -1, top.Tm);
            if (s.widthFree) {
                s.free[kWidth] = static_cast<int>(free_.size());
                Add({k, kWidth, Numbered("Et/kTm", k), kLeastWidthX, kMostWidthX}, -1, x);
            }
        } else {
            s.value = {c.Et.value, c.Et.value, c.b.value};
            s.lnS = Log(c.Vt.value);
            if (!c.Et.fixed) {
                s.free[kTop] = static_cast<int>(free_.size());
                Add({k, kTop, Numbered("Et", k), c.Et.lower, c.Et.upper}, -1, c.Et.value);
            }
        }
        if (!c.b.fixed) {
            s.free[kOrder] = static_cast<int>(free_.size());
            Add({k, kOrder, Numbered("b", k), c.b.lower, c.b.upper}, -1, c.b.value);
        }
        shared_.push_back(s);
    }

    // The charges shared by every curve, from the first curve's start.
    std::vector<int> sharedCharges(peaks, -1);
    for (int j = 0; sharedCharge && j < static_cast<int>(first.Free().size()); ++j) {
        const FreeValue& v = first.Free()[j];
        if (v.component < 0 || v.slot != kLnQ) continue;
        sharedCharges[v.component] = static_cast<int>(free_.size());
        Add(v, -1, first.Start()[j]);
    }
    // Each curve's own values.
    for (int c = 0; c < Curves(); ++c) {
        const SpectrumProblem& curve = *curves_[c];
        std::vector<int>& own = ownIndex_.emplace_back();
        for (int j = 0; j < static_cast<int>(curve.Free().size()); ++j) {
            const FreeValue& v = curve.Free()[j];
            int index = -1;
            if (v.component >= 0 && v.slot == kLnQ && sharedCharge) {
                index = sharedCharges[v.component];
            } else if (v.component < 0 || v.slot == kLnQ) {
                index = static_cast<int>(free_.size());
                FreeValue named = v;
                named.name = OfCurve(v.name, c);
                Add(named, c, curve.Start()[j]);
            }
            own.push_back(index);
        }
    }
    start_ = Eigen::Map<const Eigen::VectorXd>(startValues_.data(),
                                               static_cast<Eigen::Index>(startValues_.size()));
}

Eigen::VectorXd JointProblem::Lower() const {
    Eigen::VectorXd v(free_.size());
    for (std::size_t i = 0; i < free_.size(); ++i) v[i] = free_[i].value.lower;
    return v;
}

Eigen::VectorXd JointProblem::Upper() const {
    Eigen::VectorXd v(free_.size());
    for (std::size_t i = 0; i < free_.size(); ++i) v[i] = free_[i].value.upper;
    return v;
}

JointProblem::SharedLevel JointProblem::LevelAt(const Eigen::VectorXd& p, int peak) const {
    const PeakState& s = shared_[peak];
    std::array<double, 3> v = s.value;
    for (int slot = 0; slot < 3; ++slot) {
        if (s.free[slot] >= 0) v[slot] = p[s.free[slot]];
    }
    SharedLevel level;
    level.slopes = Eigen::MatrixXd::Zero(3, static_cast<Eigen::Index>(free_.size()));
    level.b = v[kOrder];
    if (s.free[kOrder] >= 0) level.slopes(2, s.free[kOrder]) = 1;
    if (!s.position) {
        level.Et = v[kTop];
        level.lnS = s.lnS;
        if (s.free[kTop] >= 0) level.slopes(0, s.free[kTop]) = 1;
        level.valid = level.Et > 0 && std::isfinite(level.lnS);
        return level;
    }
    const double Tm = v[kTop];
    level.Et = s.widthFree ? v[kWidth] * kBoltzmannEv * Tm : v[kWidth];
    const LevelOfPosition made =
        LevelAtPosition({Tm, 0, level.Et, level.b}, curves_.front()->Heating());
    level.lnS = made.level.lnS;
    level.valid = made.valid;
    // ln s by the peak condition on the first curve, in (Tm, ln Im, Et, b).
    const std::array<double, 4>& lnS = made.jacobian[1];
    const double EtPerTm = s.widthFree ? v[kWidth] * kBoltzmannEv : 0;
    level.slopes(0, s.free[kTop]) = EtPerTm;
    level.slopes(1, s.free[kTop]) = lnS[0] + lnS[2] * EtPerTm;
    if (s.widthFree) {
        level.slopes(0, s.free[kWidth]) = kBoltzmannEv * Tm;
        level.slopes(1, s.free[kWidth]) = lnS[2] * kBoltzmannEv * Tm;
    }
    if (s.free[kOrder] >= 0) level.slopes(1, s.free[kOrder]) = lnS[3];
    return level;
}

Eigen::VectorXd JointProblem::CurveValues(const Eigen::VectorXd& p, int c) const {
    const SpectrumProblem& curve = *curves_[c];
    Eigen::VectorXd v = curve.Start();
    std::vector<SharedLevel> levels;
    for (int k = 0; k < Peaks(); ++k) levels.push_back(LevelAt(p, k));
    for (int j = 0; j < static_cast<int>(v.size()); ++j) {
        const int index = ownIndex_[c][j];
        if (index >= 0) {
            v[j] = p[index];
            continue;
        }
        const FreeValue& own = curve.Free()[j];
        const SharedLevel& level = levels[own.component];
        v[j] = own.slot == kEt ? level.Et : own.slot == kLnS ? level.lnS : level.b;
    }
    return v;
}

bool JointProblem::Residuals(const Eigen::VectorXd& p, Eigen::VectorXd& r) const {
    r.resize(points_);
    Eigen::Index offset = 0;
    Eigen::VectorXd rc;
    for (int k = 0; k < Peaks(); ++k) {
        if (!LevelAt(p, k).valid) return false;
    }
    for (int c = 0; c < Curves(); ++c) {
        if (!curves_[c]->Residuals(CurveValues(p, c), rc)) return false;
        r.segment(offset, rc.size()) = rc;
        offset += rc.size();
    }
    return true;
}

bool JointProblem::Jacobian(const Eigen::VectorXd& p, Eigen::MatrixXd& J) const {
    J.setZero(points_, static_cast<Eigen::Index>(free_.size()));
    std::vector<SharedLevel> levels;
    for (int k = 0; k < Peaks(); ++k) {
        levels.push_back(LevelAt(p, k));
        if (!levels.back().valid) return false;
    }
    Eigen::Index offset = 0;
    Eigen::MatrixXd Jc;
    for (int c = 0; c < Curves(); ++c) {
        const SpectrumProblem& curve = *curves_[c];
        if (!curve.Jacobian(CurveValues(p, c), Jc)) return false;
        const Eigen::Index n = Jc.rows();
        for (Eigen::Index j = 0; j < Jc.cols(); ++j) {
            const int index = ownIndex_[c][j];
            if (index >= 0) {
                J.block(offset, index, n, 1) += Jc.col(j);
                continue;
            }
            const FreeValue& own = curve.Free()[j];
            const int row = own.slot == kEt ? 0 : own.slot == kLnS ? 1 : 2;
            const Eigen::MatrixXd& slopes = levels[own.component].slopes;
            for (Eigen::Index q = 0; q < slopes.cols(); ++q) {
                if (slopes(row, q) != 0) J.block(offset, q, n, 1) += Jc.col(j) * slopes(row, q);
            }
        }
        offset += n;
    }
    return J.allFinite();
}

}  // namespace tsc::analysis
