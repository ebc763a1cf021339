#pragma once

#include <Eigen/Dense>
#include <array>
#include <string>
#include <vector>

#include "bounded_least_squares.h"
#include "peak_kinetics.h"
#include "spectrum_model.h"

// A spectrum model set against a measured curve, in the coordinates the
// solver moves. A peak whose frequency and charge are both free moves by
// where its top lies (Tm, ln Im, Et, b): for one peak Et and ln s are all
// but collinear, while Tm and Im are pinned down by the curve at once. A
// peak with either of those fixed, or computed by the window's model, moves
// in its own terms (Et, ln s, ln Q, b). The background is scaled to the
// curve's largest value and its span.
namespace tsc::analysis {

struct FitData {
    std::vector<double> T;       // K, not decreasing
    std::vector<double> y;       // the measurement
    std::vector<double> weight;  // each residual is weight * (model - y)
    double betaPerSecond = 0;
    double windowStep = 0.2;  // K, for the window's model
    // What turns the weighted residuals' squared sum into the reported chi^2:
    // the weights are 1 over the curve's largest value when none are asked
    // for, so that chi^2 comes out in the measurement's unit squared.
    double chi2Unit = 1;
};

enum class PeakForm { Position, Direct };

// How the model depends on a value: through the shape, or linearly, as a
// factor e^v on a peak (ln Im, ln Q) or as a background term's coefficient
// (never below its lower bound).
enum class Linearity { Shape, LogFactor, Coefficient };

// One value the solver moves.
struct FreeValue {
    int component;  // the peak's index, or -1 for the background
    int slot;       // its place among the component's four coordinates
    std::string name;
    double lower, upper;
    Linearity linearity = Linearity::Shape;
};

class SpectrumProblem : public LeastSquaresProblem {
  public:
    // `form` Direct moves every peak in its own terms, for a fit of several
    // curves that share the levels' Et and ln s.
    SpectrumProblem(const FitData& data, const SpectrumModel& model,
                    PeakForm form = PeakForm::Position);

    int Points() const override { return static_cast<int>(data_.T.size()); }
    bool Residuals(const Eigen::VectorXd& p, Eigen::VectorXd& r) const override;
    bool Jacobian(const Eigen::VectorXd& p, Eigen::MatrixXd& J) const override;

    // Where the model starts, within its bounds; false where a start value
    // gives no peak (a level without a top above the first temperature).
    bool Startable() const { return startable_; }
    const Eigen::VectorXd& Start() const { return start_; }
    Eigen::VectorXd Lower() const;
    Eigen::VectorXd Upper() const;
    const std::vector<FreeValue>& Free() const { return free_; }

    // The model at p: every component's current at the points.
    struct Curves {
        bool defined = false;
        std::vector<PeakLevel> levels;
        std::vector<std::vector<double>> peaks;
        std::vector<double> background;
        std::vector<double> sum;
    };
    Curves Evaluate(const Eigen::VectorXd& p) const;
    // The model's sum at p without copies of its components, or null where
    // the model is not defined; with each peak's current (PeakCurrent),
    // both valid until the model is evaluated again.
    const std::vector<double>* SumAt(const Eigen::VectorXd& p) const;
    const std::vector<double>& PeakCurrent(int peak) const { return slopes_.peaks[peak][0]; }

    // The derivatives of each peak's (Et, ln s, ln Q, b) with respect to
    // its free values, at p: rows are the four, columns the free values.
    Eigen::MatrixXd LevelJacobian(const Eigen::VectorXd& p, int peak) const;

    PeakForm Form(int peak) const { return peaks_[peak].form; }
    // A peak in the position form: its top (Tm, ln Im) at p.
    std::pair<double, double> TopAt(const Eigen::VectorXd& p, int peak) const;
    const FitData& Data() const { return data_; }
    const SpectrumModel& Model() const { return model_; }
    LinearHeating Heating() const { return heating_; }
    double Scale() const { return scale_; }
    double Span() const { return span_; }

    // The background's terms at p: constant (its value at To, A), slope
    // (A/K), amplitude at Tend (A) and scale (K).
    std::array<double, 4> BackgroundTerms(const Eigen::VectorXd& p) const;
    // The curves the background's linear values multiply at T, for values
    // in units of the curve's scale: at To, at Tend, the exponential's
    // amplitude (for the exponential's `scale` in K).
    std::array<double, 4> BackgroundBasis(double T, double scale) const;
    // The free values of the background's ends, -1 where not free.
    std::pair<int, int> BackgroundEnds() const {
        return {background_.freeIndex[0], background_.freeIndex[1]};
    }

  private:
    struct PeakState {
        PeakForm form = PeakForm::Direct;
        std::array<double, 4> value{};  // the coordinates, fixed ones included
        std::array<int, 4> freeIndex{-1, -1, -1, -1};
        bool widthCoordinate = false;  // the position form moves Et/kTm
    };

    std::array<double, 4> Coordinates(const Eigen::VectorXd& p, int component) const;
    // The model's sum at p into `sum`, and every component into `curves`
    // when given; false where the model is not defined.
    bool Sum(const Eigen::VectorXd& p, std::vector<double>& sum, Curves* curves) const;
    bool LevelOf(const Eigen::VectorXd& p, int peak, PeakLevel& level,
                 LevelOfPosition* position = nullptr) const;
    // The same from the level a peak in the position form was made from.
    Eigen::MatrixXd LevelJacobian(const Eigen::VectorXd& p, int peak,
                                  const LevelOfPosition& made) const;
    bool WindowCurrents(const PeakLevel& level, std::vector<double>& I) const;
    void AddFree(int component, int slot, std::string name, double value, double lower,
                 double upper, bool fixed, std::array<int, 4>& freeIndex,
                 Linearity linearity = Linearity::Shape);

    const FitData& data_;
    SpectrumModel model_;
    LinearHeating heating_;
    double scale_ = 1, span_ = 1;
    bool linearBackground_ = false;
    std::vector<PeakState> peaks_;
    PeakState background_;
    std::vector<FreeValue> free_;
    Eigen::VectorXd start_;
    std::vector<double> startValues_;
    bool startable_ = true;
    // Working columns, kept between evaluations: a curve of a million points
    // would otherwise allocate and fault in tens of megabytes each time.
    struct Scratch {
        std::vector<double> sum;
        std::array<std::vector<double>, 4> columns;  // I and the slopes of ln I
    };
    mutable Scratch scratch_;
    // One peak's current and the slopes of its ln I (Et, ln s, b) at every
    // point.
    void CurrentAndSlopes(const PeakLevel& level,
                          std::array<std::vector<double>, 4>& columns) const;
    // Each peak's current and slopes where the model was last
    // evaluated: the solver asks for the Jacobian where it last asked for
    // the residuals, and the temperature integrals are most of the work.
    struct SlopesAt {
        Eigen::VectorXd p;
        std::vector<std::array<std::vector<double>, 4>> peaks;
        std::vector<PeakLevel> levels;
        std::vector<LevelOfPosition> positions;
        bool valid = false;
    };
    mutable SlopesAt slopes_;
};

}  // namespace tsc::analysis
