#pragma once

#include <Eigen/Dense>
#include <array>
#include <memory>
#include <vector>

#include "bounded_least_squares.h"
#include "spectrum_problem.h"

// Several curves of one sample, measured at different heating rates, set
// against one model: every trap level has one Et, one ln s and one b for
// all the curves, while each curve has its own charges (unless they are
// shared too, for a sample filled the same way before each run) and its own
// background. The residuals of the curves are stacked, each curve with its
// own weights.
//
// A level whose frequency is free moves by where its top lies on the first
// curve, Tm, and its width there, Et/kTm, as the one-curve fit moves it: the
// peak condition on that curve gives ln s, and with it the top on every
// other curve. A level with its frequency held moves by Et.
namespace tsc::analysis {

class JointProblem : public LeastSquaresProblem {
  public:
    // `models` hold each curve's start values, one per element of `data`,
    // with the same peaks in the same order; the levels' Et, Vt and b are
    // taken from the first, and so are which values are held.
    JointProblem(const std::vector<FitData>& data, const std::vector<SpectrumModel>& models,
                 bool sharedCharge);

    int Points() const override { return points_; }
    bool Residuals(const Eigen::VectorXd& p, Eigen::VectorXd& r) const override;
    bool Jacobian(const Eigen::VectorXd& p, Eigen::MatrixXd& J) const override;

    bool Startable() const { return startable_; }
    const Eigen::VectorXd& Start() const { return start_; }
    Eigen::VectorXd Lower() const;
    Eigen::VectorXd Upper() const;
    // The values' names; a peak's shared values have component k, a curve's
    // own its peak's index too, with `curve` naming the curve (-1 shared).
    struct JointValue {
        FreeValue value;
        int curve = -1;
    };
    const std::vector<JointValue>& Free() const { return free_; }

    int Curves() const { return static_cast<int>(curves_.size()); }
    int Peaks() const { return static_cast<int>(shared_.size()); }
    const SpectrumProblem& Curve(int c) const { return *curves_[c]; }
    // The curve's own problem's values at p.
    Eigen::VectorXd CurveValues(const Eigen::VectorXd& p, int c) const;
    // The joint value of the curve's own value j; -1 for a level's Et, ln s
    // and b, which follow from the shared values (LevelAt).
    int JointIndex(int c, int j) const { return ownIndex_[c][j]; }

    // A peak's level without its charge (Et, ln s, b) and the derivatives of
    // those three with respect to the joint values (rows Et, ln s, b).
    struct SharedLevel {
        double Et = 0, lnS = 0, b = 1;
        Eigen::MatrixXd slopes;
        bool valid = false;
    };
    SharedLevel LevelAt(const Eigen::VectorXd& p, int peak) const;

  private:
    struct PeakState {
        bool position = true;           // by Tm and Et/kTm on the first curve, else by Et
        std::array<double, 3> value{};  // Tm or Et, Et/kTm or the held Et, b
        std::array<int, 3> free{-1, -1, -1};
        bool widthFree = false;
        double lnS = 0;  // held, in the direct form
    };
    void Add(FreeValue value, int curve, double start);

    std::vector<std::unique_ptr<SpectrumProblem>> curves_;
    std::vector<PeakState> shared_;
    // For each curve, the joint value of each of its own values: -1 where
    // it is a level's Et, ln s or b, which follow from the shared values.
    std::vector<std::vector<int>> ownIndex_;
    std::vector<JointValue> free_;
    std::vector<double> startValues_;
    Eigen::VectorXd start_;
    int points_ = 0;
    bool startable_ = true;
};

}  // namespace tsc::analysis
