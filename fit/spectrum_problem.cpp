#include "spectrum_problem.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "legacy_model.h"
#include "physical_constants.h"

namespace tsc::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// In the position form the third coordinate is the width x = Et/kTm where Et
// is free (moving the top then keeps the peak's shape), else the held Et.
enum PositionSlot { kTm, kLnIm, kPositionEt, kPositionB };
enum DirectSlot { kEt, kLnS, kLnQ, kB };
// The background by its values at both ends (a line, or the constant of the
// other kinds at kStart), the exponential's amplitude at Tend and ln of its
// scale in kelvin.
enum BackgroundSlot { kStart, kEnd, kAmplitude, kLnScale };

// How far a peak's top may move beyond the last temperature, as a share of
// the span, and how far its height may fall below the curve's largest value
// (as a logarithm) before the peak counts as gone.
constexpr double kTopBeyondEnd = 0;
constexpr double kLowestLnHeight = 30;
constexpr double kHighestLnHeight = 5;
// Et/kTm of a peak the fit may move to: below 10 a peak is broader than any
// trap's (its frequency under about 1e3 s^-1) and stands in for a
// background; above 150 its frequency passes 1e60 s^-1.
constexpr double kLeastWidthX = 10, kMostWidthX = 150;
// How far below the measurement's lowest value the background may reach, as
// a share of the measurement's range.
constexpr double kBackgroundBelow = 0.1;

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

SpectrumProblem::SpectrumProblem(const FitData& data, const SpectrumModel& model, PeakForm form)
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
        const bool positionable = form == PeakForm::Position && !c.Vt.fixed && !c.charge.fixed &&
                                  c.kinetics != Kinetics::Window;
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
            state.widthCoordinate = !c.Et.fixed;
            if (state.widthCoordinate) {
                const double x = c.Et.value / (kBoltzmannEv * top.Tm);
                state.value[kPositionEt] = x;
                AddFree(k, kPositionEt, Numbered("Et/kTm", k), x, kLeastWidthX, kMostWidthX, false,
                        state.freeIndex);
            }
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
    linearBackground_ = kind == BackgroundKind::Linear;
    const bool exponential = kind == BackgroundKind::Exponential;
    const auto [lowest, highest] = std::minmax_element(data.y.begin(), data.y.end());
    const double floor = (*lowest - kBackgroundBelow * (*highest - *lowest)) / scale_;
    const bool held = b.constant.fixed || b.slope.fixed;
    background_.value = {
        b.constant.value / scale_,
        (b.constant.value + (linearBackground_ ? b.slope.value * span_ : 0)) / scale_,
        b.amplitude.value / scale_, Log(b.scale.value > 0 ? b.scale.value : span_ / 10)};
    for (const int end : {kStart, kEnd}) {
        background_.value[end] = std::max(background_.value[end], floor);
    }
    AddFree(-1, kStart, linearBackground_ ? "background at To" : "background constant",
            background_.value[kStart], floor, kUnbounded, kind == BackgroundKind::None || held,
            background_.freeIndex, Linearity::Coefficient);
    AddFree(-1, kEnd, "background at Tend", background_.value[kEnd], floor, kUnbounded,
            !linearBackground_ || held, background_.freeIndex, Linearity::Coefficient);
    AddFree(-1, kAmplitude, "background amplitude", std::max(background_.value[kAmplitude], 0.0),
            std::max(b.amplitude.lower / scale_, 0.0), b.amplitude.upper / scale_,
            !exponential || b.amplitude.fixed, background_.freeIndex, Linearity::Coefficient);
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
    const double Et =
        peaks_[peak].widthCoordinate ? v[kPositionEt] * kBoltzmannEv * v[kTm] : v[kPositionEt];
    const LevelOfPosition made = LevelAtPosition({v[kTm], v[kLnIm], Et, v[kPositionB]}, heating_);
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
    const double end = linearBackground_ ? v[kEnd] : v[kStart];
    return {v[kStart] * scale_, (end - v[kStart]) * scale_ / span_, v[kAmplitude] * scale_,
            std::exp(v[kLnScale])};
}

std::array<double, 4> SpectrumProblem::BackgroundBasis(double T, double scale) const {
    const double t = (T - data_.T.front()) / span_;
    const double e = model_.background.kind == BackgroundKind::Exponential
                         ? std::exp((T - data_.T.back()) / scale)
                         : 0;
    return {linearBackground_ ? 1 - t : 1, t, e, 0};
}

void SpectrumProblem::CurrentAndSlopes(const PeakLevel& level,
                                       std::array<std::vector<double>, 4>& columns) const {
    auto& [I, dEt, dLnS, dB] = columns;
    for (std::vector<double>* column : {&I, &dEt, &dLnS, &dB}) column->resize(data_.T.size());
    EvaluatePeak(level, heating_, data_.T, {I, dEt, dLnS, dB});
    for (double& v : I) v = std::exp(v);
}

bool SpectrumProblem::Sum(const Eigen::VectorXd& p, std::vector<double>& sum,
                          Curves* curves) const {
    const std::size_t n = data_.T.size();
    sum.assign(n, 0);
    slopes_.valid = false;
    slopes_.peaks.resize(peaks_.size());
    slopes_.levels.resize(peaks_.size());
    slopes_.positions.resize(peaks_.size());
    for (int k = 0; k < static_cast<int>(peaks_.size()); ++k) {
        PeakLevel& level = slopes_.levels[k];
        if (!LevelOf(p, k, level, &slopes_.positions[k])) return false;
        std::vector<double>& current = slopes_.peaks[k][0];
        if (model_.peaks[k].kinetics == Kinetics::Window) {
            if (!WindowCurrents(level, current)) return false;
        } else {
            CurrentAndSlopes(level, slopes_.peaks[k]);
        }
        for (std::size_t i = 0; i < n; ++i) sum[i] += current[i];
        if (curves) {
            curves->levels.push_back(level);
            curves->peaks.push_back(current);
        }
    }
    const auto [constant, slope, amplitude, scale] = BackgroundTerms(p);
    if (curves) curves->background.resize(n);
    const double To = data_.T.front(), Tend = data_.T.back();
    for (std::size_t i = 0; i < n; ++i) {
        const double T = data_.T[i];
        double v = constant + slope * (T - To);
        if (amplitude != 0) v += amplitude * std::exp((T - Tend) / scale);
        if (curves) curves->background[i] = v;
        sum[i] += v;
    }
    if (!std::all_of(sum.begin(), sum.end(), [](double v) { return std::isfinite(v); })) {
        return false;
    }
    slopes_.p = p;
    slopes_.valid = true;
    return true;
}

const std::vector<double>* SpectrumProblem::SumAt(const Eigen::VectorXd& p) const {
    return Sum(p, scratch_.sum, nullptr) ? &scratch_.sum : nullptr;
}

SpectrumProblem::Curves SpectrumProblem::Evaluate(const Eigen::VectorXd& p) const {
    Curves curves;
    curves.defined = Sum(p, curves.sum, &curves);
    return curves;
}

bool SpectrumProblem::Residuals(const Eigen::VectorXd& p, Eigen::VectorXd& r) const {
    if (!Sum(p, scratch_.sum, nullptr)) return false;
    r.resize(Points());
    for (int i = 0; i < Points(); ++i) r[i] = data_.weight[i] * (scratch_.sum[i] - data_.y[i]);
    return true;
}

Eigen::MatrixXd SpectrumProblem::LevelJacobian(const Eigen::VectorXd& p, int peak) const {
    PeakLevel level;
    LevelOfPosition made;
    if (peaks_[peak].form == PeakForm::Position && !LevelOf(p, peak, level, &made)) {
        return Eigen::MatrixXd::Constant(4, static_cast<Eigen::Index>(free_.size()), kNaN);
    }
    return LevelJacobian(p, peak, made);
}

Eigen::MatrixXd SpectrumProblem::LevelJacobian(const Eigen::VectorXd& p, int peak,
                                               const LevelOfPosition& made) const {
    const PeakState& state = peaks_[peak];
    Eigen::MatrixXd D = Eigen::MatrixXd::Zero(4, static_cast<Eigen::Index>(free_.size()));
    if (state.form == PeakForm::Direct) {
        for (int s = 0; s < 4; ++s) {
            if (state.freeIndex[s] >= 0) D(s, state.freeIndex[s]) = 1;
        }
        return D;
    }
    // With the width as the coordinate, Et = x k Tm moves with the top.
    std::array<std::array<double, 4>, 4> J = made.jacobian;
    if (state.widthCoordinate) {
        const std::array<double, 4> v = Coordinates(p, peak);
        for (auto& row : J) {
            const double perEt = row[kPositionEt];
            row[kTm] += perEt * v[kPositionEt] * kBoltzmannEv;
            row[kPositionEt] = perEt * kBoltzmannEv * v[kTm];
        }
    }
    for (int row = 0; row < 4; ++row) {
        for (int s = 0; s < 4; ++s) {
            if (state.freeIndex[s] >= 0) D(row, state.freeIndex[s]) = J[row][s];
        }
    }
    return D;
}

bool SpectrumProblem::Jacobian(const Eigen::VectorXd& p, Eigen::MatrixXd& J) const {
    const int n = Points();
    J.setZero(n, static_cast<Eigen::Index>(free_.size()));
    const bool evaluatedHere = slopes_.valid && slopes_.p.size() == p.size() && slopes_.p == p;
    for (int k = 0; k < static_cast<int>(peaks_.size()); ++k) {
        // The slopes where the residuals were evaluated, else worked out.
        const bool cached = evaluatedHere && model_.peaks[k].kinetics != Kinetics::Window;
        std::array<std::vector<double>, 4>& slopes = cached ? slopes_.peaks[k] : scratch_.columns;
        auto& [current, dEt, dLnS, dB] = slopes;
        PeakLevel level;
        LevelOfPosition made;
        if (evaluatedHere) {
            level = slopes_.levels[k];
            made = slopes_.positions[k];
        } else if (!LevelOf(p, k, level, &made)) {
            return false;
        }
        const Eigen::MatrixXd D = LevelJacobian(p, k, made);
        if (model_.peaks[k].kinetics == Kinetics::Window) {
            // The window's curve has no slopes of its own: central
            // differences in Et and ln s; it is proportional to Q. Its
            // current at p is the residuals' where they were evaluated here.
            if (evaluatedHere) {
                current = slopes_.peaks[k][0];
            } else if (!WindowCurrents(level, current)) {
                return false;
            }
            std::vector<double> up, down;
            for (const int s : {kEt, kLnS}) {
                PeakLevel hi = level, lo = level;
                double& hiValue = s == kEt ? hi.Et : hi.lnS;
                double& loValue = s == kEt ? lo.Et : lo.lnS;
                const double h = 6e-6 * std::max(std::fabs(hiValue), 1.0);
                hiValue += h;
                loValue -= h;
                if (!WindowCurrents(hi, up) || !WindowCurrents(lo, down)) return false;
                std::vector<double>& column = s == kEt ? dEt : dLnS;
                column.resize(n);
                for (int i = 0; i < n; ++i) column[i] = (up[i] - down[i]) / (2 * h);
            }
            for (int i = 0; i < n; ++i) {
                const double w = data_.weight[i];
                for (Eigen::Index j = 0; j < D.cols(); ++j) {
                    J(i, j) +=
                        w * (dEt[i] * D(kEt, j) + dLnS[i] * D(kLnS, j) + current[i] * D(kLnQ, j));
                }
            }
            continue;
        }
        if (!cached) CurrentAndSlopes(level, slopes);
        // Only the columns this peak moves.
        std::vector<Eigen::Index> columns;
        for (Eigen::Index j = 0; j < D.cols(); ++j) {
            if (D.col(j).cwiseAbs().sum() != 0) columns.push_back(j);
        }
        for (const Eigen::Index j : columns) {
            const double perEt = D(kEt, j), perLnS = D(kLnS, j), perLnQ = D(kLnQ, j),
                         perB = D(kB, j);
            double* column = J.col(j).data();
            for (int i = 0; i < n; ++i) {
                // Where the current is 0 its slopes may be infinite: the
                // point gets nothing (adding 0 leaves the column as it is).
                const double I = current[i];
                const double w = data_.weight[i] * I;
                const double term = w * (dEt[i] * perEt + dLnS[i] * perLnS + perLnQ + dB[i] * perB);
                column[i] += I == 0 ? 0.0 : term;
            }
        }
    }
    const std::array<double, 4> v = Coordinates(p, -1);
    const double Tend = data_.T.back();
    const double scale = std::exp(v[kLnScale]);
    for (int i = 0; i < n; ++i) {
        const double T = data_.T[i], w = data_.weight[i] * scale_;
        std::array<double, 4> slots = BackgroundBasis(T, scale);
        slots[kLnScale] = v[kAmplitude] * slots[kAmplitude] * -(T - Tend) / scale;
        for (int s = 0; s < 4; ++s) {
            if (background_.freeIndex[s] >= 0) J(i, background_.freeIndex[s]) = w * slots[s];
        }
    }
    return J.allFinite();
}

}  // namespace tsc::analysis
