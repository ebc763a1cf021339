#include "spectrum_problem.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "legacy_model.h"
#include "physical_constants.h"

namespace tsc::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

enum PositionSlot { kTm, kLnIm, kPositionEt, kPositionB };
enum DirectSlot { kEt, kLnS, kLnQ, kB };
enum BackgroundSlot { kConstant, kSlope, kAmplitude, kLnScale };

// How far a peak's top may move beyond the last temperature, as a share of
// the span, and how far its height may fall below the curve's largest value
// (as a logarithm) before the peak counts as gone.
constexpr double kTopBeyondEnd = 0;
constexpr double kLowestLnHeight = 30;
constexpr double kHighestLnHeight = 5;

double Log(double v) { return v > 0 ? std::log(v) : -kUnbounded; }

std::string Numbered(const char* name, int peak) {
    return std::string(name) + "[" + std::to_string(peak + 1) + "]";
}

}  // namespace

void SpectrumProblem::AddFree(int component, int slot, std::string name, double value, double lower,
                              double upper, bool fixed, std::array<int, 4>& freeIndex,
                              Linearity linearity) {
    if (fixed) return;
    freeIndex[slot] = static_cast<int>(free_.size());
    free_.push_back({component, slot, std::move(name), lower, upper, linearity});
    startValues_.push_back(value);
}

SpectrumProblem::SpectrumProblem(const FitData& data, const SpectrumModel& model)
    : data_(data), model_(model) {
    heating_ = {data.T.front(), data.betaPerSecond};
    span_ = std::max(data.T.back() - data.T.front(), 1e-9);
    scale_ = 0;
    for (const double v : data.y) scale_ = std::max(scale_, std::fabs(v));
    if (!(scale_ > 0 && std::isfinite(scale_))) scale_ = 1;
    const double To = data.T.front(), Tend = data.T.back();

    for (int k = 0; k < static_cast<int>(model_.peaks.size()); ++k) {
        PeakComponent& c = model_.peaks[k];
        if (c.kinetics == Kinetics::First || c.kinetics == Kinetics::Window) c.b = {1, true};
        if (c.kinetics == Kinetics::Second) c.b = {2, true};
        PeakState state;
        const PeakLevel level{c.Et.value, Log(c.Vt.value), Log(c.charge.value), c.b.value};
        const bool positionable = !c.Vt.fixed && !c.charge.fixed && c.kinetics != Kinetics::Window;
        PeakTop top{kNaN, kNaN};
        if (positionable) top = TopOfPeak(level, heating_);
        if (positionable && std::isfinite(top.Tm) && std::isfinite(top.lnIm)) {
            state.form = PeakForm::Position;
            state.value = {top.Tm, top.lnIm, c.Et.value, c.b.value};
            const double lnScale = std::log(scale_);
            AddFree(k, kTm, Numbered("Tm", k), top.Tm, To + 1e-6 * span_,
                    Tend + kTopBeyondEnd * span_, c.holdTop, state.freeIndex);
            AddFree(k, kLnIm, Numbered("ln Im", k), top.lnIm, lnScale - kLowestLnHeight,
                    lnScale + kHighestLnHeight, false, state.freeIndex, Linearity::LogFactor);
            AddFree(k, kPositionEt, Numbered("Et", k), c.Et.value, c.Et.lower, c.Et.upper,
                    c.Et.fixed, state.freeIndex);
            AddFree(k, kPositionB, Numbered("b", k), c.b.value, c.b.lower, c.b.upper, c.b.fixed,
                    state.freeIndex);
        } else {
            if (positionable) startable_ = false;  // a start without a top
            state.form = PeakForm::Direct;
            state.value = {level.Et, level.lnS, level.lnQ, level.b};
            AddFree(k, kEt, Numbered("Et", k), level.Et, c.Et.lower, c.Et.upper, c.Et.fixed,
                    state.freeIndex);
            AddFree(k, kLnS, Numbered("ln Vt", k), level.lnS, Log(c.Vt.lower), Log(c.Vt.upper),
                    c.Vt.fixed, state.freeIndex);
            AddFree(k, kLnQ, Numbered("ln Q", k), level.lnQ, Log(c.charge.lower),
                    Log(c.charge.upper), c.charge.fixed, state.freeIndex, Linearity::LogFactor);
            AddFree(k, kB, Numbered("b", k), level.b, c.b.lower, c.b.upper, c.b.fixed,
                    state.freeIndex);
        }
        if (!std::all_of(state.value.begin(), state.value.end(),
                         [](double v) { return std::isfinite(v); })) {
            startable_ = false;
        }
        peaks_.push_back(state);
    }

    const BackgroundComponent& b = model_.background;
    const BackgroundKind kind = b.kind;
    const bool constant = kind != BackgroundKind::None;
    const bool linear = kind == BackgroundKind::Linear;
    const bool exponential = kind == BackgroundKind::Exponential;
    const auto scaled = [&](const Parameter& p, double unit) {
        return std::pair{p.lower / unit, p.upper / unit};
    };
    background_.value = {b.constant.value / scale_, b.slope.value * span_ / scale_,
                         b.amplitude.value / scale_,
                         Log(b.scale.value > 0 ? b.scale.value : span_ / 10)};
    const auto [cLo, cHi] = scaled(b.constant, scale_);
    AddFree(-1, kConstant, "background constant", background_.value[kConstant], cLo, cHi,
            !constant || b.constant.fixed, background_.freeIndex, Linearity::Coefficient);
    const auto [sLo, sHi] = scaled(b.slope, scale_ / span_);
    AddFree(-1, kSlope, "background slope", background_.value[kSlope], sLo, sHi,
            !linear || b.slope.fixed, background_.freeIndex, Linearity::Coefficient);
    const auto [aLo, aHi] = scaled(b.amplitude, scale_);
    AddFree(-1, kAmplitude, "background amplitude", background_.value[kAmplitude], aLo, aHi,
            !exponential || b.amplitude.fixed, background_.freeIndex,
            Linearity::PositiveCoefficient);
    AddFree(-1, kLnScale, "background ln scale", background_.value[kLnScale],
            std::max(Log(b.scale.lower), std::log(span_ / 500)),
            std::min(Log(b.scale.upper), std::log(50 * span_)), !exponential || b.scale.fixed,
            background_.freeIndex);
    if (!exponential) background_.value[kAmplitude] = 0;

    start_ = Eigen::Map<const Eigen::VectorXd>(startValues_.data(),
                                               static_cast<Eigen::Index>(startValues_.size()));
}

std::pair<double, double> SpectrumProblem::TopAt(const Eigen::VectorXd& p, int peak) const {
    const std::array<double, 4> v = Coordinates(p, peak);
    return {v[kTm], v[kLnIm]};
}

Eigen::VectorXd SpectrumProblem::Lower() const {
    Eigen::VectorXd v(free_.size());
    for (std::size_t i = 0; i < free_.size(); ++i) v[i] = free_[i].lower;
    return v;
}

Eigen::VectorXd SpectrumProblem::Upper() const {
    Eigen::VectorXd v(free_.size());
    for (std::size_t i = 0; i < free_.size(); ++i) v[i] = free_[i].upper;
    return v;
}

std::array<double, 4> SpectrumProblem::Coordinates(const Eigen::VectorXd& p, int component) const {
    const PeakState& state = component < 0 ? background_ : peaks_[component];
    std::array<double, 4> value = state.value;
    for (int s = 0; s < 4; ++s) {
        if (state.freeIndex[s] >= 0) value[s] = p[state.freeIndex[s]];
    }
    return value;
}

bool SpectrumProblem::LevelOf(const Eigen::VectorXd& p, int peak, PeakLevel& level,
                              LevelOfPosition* position) const {
    const std::array<double, 4> v = Coordinates(p, peak);
    if (peaks_[peak].form == PeakForm::Direct) {
        level = {v[kEt], v[kLnS], v[kLnQ], v[kB]};
        return level.Et > 0 && std::isfinite(level.lnS) && std::isfinite(level.lnQ);
    }
    const LevelOfPosition made =
        LevelAtPosition({v[kTm], v[kLnIm], v[kPositionEt], v[kPositionB]}, heating_);
    level = made.level;
    if (position) *position = made;
    return made.valid;
}

bool SpectrumProblem::WindowCurrents(const PeakLevel& level, std::vector<double>& I) const {
    const double Vt = std::exp(level.lnS);
    if (!(level.Et > 0 && std::isfinite(Vt) && Vt > 0)) return false;
    I = LegacyCurrentsAt({level.Et, Vt, 1}, data_.betaPerSecond * kSecondsPerMinute, 1,
                         data_.windowStep, data_.T)
            .I;
    const double factor = std::exp(level.lnQ) / kWindowUnitCharge;
    for (double& v : I) v *= factor;
    return std::all_of(I.begin(), I.end(), [](double v) { return std::isfinite(v); });
}

std::array<double, 4> SpectrumProblem::BackgroundTerms(const Eigen::VectorXd& p) const {
    const std::array<double, 4> v = Coordinates(p, -1);
    return {v[kConstant] * scale_, v[kSlope] * scale_ / span_, v[kAmplitude] * scale_,
            std::exp(v[kLnScale])};
}

SpectrumProblem::Curves SpectrumProblem::Evaluate(const Eigen::VectorXd& p) const {
    Curves curves;
    const std::size_t n = data_.T.size();
    curves.sum.assign(n, 0);
    for (int k = 0; k < static_cast<int>(peaks_.size()); ++k) {
        PeakLevel level;
        if (!LevelOf(p, k, level)) return curves;
        std::vector<double> I(n);
        if (model_.peaks[k].kinetics == Kinetics::Window) {
            if (!WindowCurrents(level, I)) return curves;
        } else {
            EvaluatePeak(level, heating_, data_.T, {I, {}, {}, {}});
            for (double& v : I) v = std::exp(v);
        }
        for (std::size_t i = 0; i < n; ++i) curves.sum[i] += I[i];
        curves.levels.push_back(level);
        curves.peaks.push_back(std::move(I));
    }
    const auto [constant, slope, amplitude, scale] = BackgroundTerms(p);
    curves.background.resize(n);
    const double To = data_.T.front(), Tend = data_.T.back();
    for (std::size_t i = 0; i < n; ++i) {
        const double T = data_.T[i];
        double v = constant + slope * (T - To);
        if (amplitude != 0) v += amplitude * std::exp((T - Tend) / scale);
        curves.background[i] = v;
        curves.sum[i] += v;
    }
    curves.defined = std::all_of(curves.sum.begin(), curves.sum.end(),
                                 [](double v) { return std::isfinite(v); });
    return curves;
}

bool SpectrumProblem::Residuals(const Eigen::VectorXd& p, Eigen::VectorXd& r) const {
    const Curves curves = Evaluate(p);
    if (!curves.defined) return false;
    r.resize(Points());
    for (int i = 0; i < Points(); ++i) r[i] = data_.weight[i] * (curves.sum[i] - data_.y[i]);
    return true;
}

Eigen::MatrixXd SpectrumProblem::LevelJacobian(const Eigen::VectorXd& p, int peak) const {
    const PeakState& state = peaks_[peak];
    Eigen::MatrixXd D = Eigen::MatrixXd::Zero(4, static_cast<Eigen::Index>(free_.size()));
    if (state.form == PeakForm::Direct) {
        for (int s = 0; s < 4; ++s) {
            if (state.freeIndex[s] >= 0) D(s, state.freeIndex[s]) = 1;
        }
        return D;
    }
    PeakLevel level;
    LevelOfPosition made;
    if (!LevelOf(p, peak, level, &made)) return D * kNaN;
    for (int row = 0; row < 4; ++row) {
        for (int s = 0; s < 4; ++s) {
            if (state.freeIndex[s] >= 0) D(row, state.freeIndex[s]) = made.jacobian[row][s];
        }
    }
    return D;
}

bool SpectrumProblem::Jacobian(const Eigen::VectorXd& p, Eigen::MatrixXd& J) const {
    const int n = Points();
    J.setZero(n, static_cast<Eigen::Index>(free_.size()));
    std::vector<double> lnI(n), dEt(n), dLnS(n), dB(n);
    for (int k = 0; k < static_cast<int>(peaks_.size()); ++k) {
        PeakLevel level;
        if (!LevelOf(p, k, level)) return false;
        const Eigen::MatrixXd D = LevelJacobian(p, k);
        if (model_.peaks[k].kinetics == Kinetics::Window) {
            // The window's curve has no slopes of its own: central
            // differences in Et and ln s; it is proportional to Q.
            std::vector<double> I, up, down;
            if (!WindowCurrents(level, I)) return false;
            for (int i = 0; i < n; ++i) lnI[i] = I[i], dB[i] = 0;
            for (const int s : {kEt, kLnS}) {
                PeakLevel hi = level, lo = level;
                double& hiValue = s == kEt ? hi.Et : hi.lnS;
                double& loValue = s == kEt ? lo.Et : lo.lnS;
                const double h = 6e-6 * std::max(std::fabs(hiValue), 1.0);
                hiValue += h;
                loValue -= h;
                if (!WindowCurrents(hi, up) || !WindowCurrents(lo, down)) return false;
                std::vector<double>& column = s == kEt ? dEt : dLnS;
                for (int i = 0; i < n; ++i) column[i] = (up[i] - down[i]) / (2 * h);
            }
            for (int i = 0; i < n; ++i) {
                const double w = data_.weight[i];
                for (Eigen::Index j = 0; j < D.cols(); ++j) {
                    J(i, j) +=
                        w * (dEt[i] * D(kEt, j) + dLnS[i] * D(kLnS, j) + lnI[i] * D(kLnQ, j));
                }
            }
            continue;
        }
        EvaluatePeak(level, heating_, data_.T, {lnI, dEt, dLnS, dB});
        // Only the columns this peak moves.
        std::vector<Eigen::Index> columns;
        for (Eigen::Index j = 0; j < D.cols(); ++j) {
            if (D.col(j).cwiseAbs().sum() != 0) columns.push_back(j);
        }
        for (int i = 0; i < n; ++i) {
            const double I = std::exp(lnI[i]);
            if (I == 0) continue;
            const double w = data_.weight[i] * I;
            for (const Eigen::Index j : columns) {
                J(i, j) +=
                    w * (dEt[i] * D(kEt, j) + dLnS[i] * D(kLnS, j) + D(kLnQ, j) + dB[i] * D(kB, j));
            }
        }
    }
    const std::array<double, 4> v = Coordinates(p, -1);
    const double To = data_.T.front(), Tend = data_.T.back();
    const double scale = std::exp(v[kLnScale]);
    for (int i = 0; i < n; ++i) {
        const double T = data_.T[i], w = data_.weight[i] * scale_;
        const double e = std::exp((T - Tend) / scale);
        const double slots[4] = {1, (T - To) / span_, e, v[kAmplitude] * e * -(T - Tend) / scale};
        for (int s = 0; s < 4; ++s) {
            if (background_.freeIndex[s] >= 0) J(i, background_.freeIndex[s]) = w * slots[s];
        }
    }
    return J.allFinite();
}

}  // namespace tsc::analysis
