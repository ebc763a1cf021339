#include "fit_spectrum.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "legacy_model.h"
#include "physical_constants.h"
#include "projected_problem.h"

namespace tsc::analysis {
namespace {

// A value whose standard error reaches this share of it is not determined.
constexpr double kUndeterminedShare = 0.5;
// Two fitted values this correlated cannot be told apart by the data.
constexpr double kCollinear = 0.995;
// What the fit of every value together may always spend after the shape.
constexpr int kPolishEvaluations = 40;
// A peak below this share of the curve's largest value has vanished.
constexpr double kVanishedHeight = 1e-6;

}  // namespace

Covariance CovarianceOf(const Eigen::MatrixXd& J, const std::vector<bool>& onBound, double sigma2) {
    const Eigen::Index p = J.cols();
    Covariance c;
    c.matrix = Eigen::MatrixXd::Constant(p, p, kNotAValue);
    std::vector<Eigen::Index> kept;
    for (Eigen::Index j = 0; j < p; ++j) {
        if (!onBound[j]) kept.push_back(j);
    }
    if (kept.empty()) {
        c.positiveDefinite = true;
        return c;
    }
    Eigen::MatrixXd Js(J.rows(), static_cast<Eigen::Index>(kept.size()));
    Eigen::VectorXd norm(Js.cols());
    for (Eigen::Index j = 0; j < Js.cols(); ++j) {
        norm[j] = J.col(kept[j]).norm();
        if (!(norm[j] > 0 && std::isfinite(norm[j]))) return c;
        Js.col(j) = J.col(kept[j]) / norm[j];
    }
    Eigen::ColPivHouseholderQR<Eigen::MatrixXd> qr(Js);
    qr.setThreshold(1e-13);
    if (qr.rank() < Js.cols()) return c;
    const Eigen::MatrixXd R = qr.matrixR().topLeftCorner(Js.cols(), Js.cols());
    const Eigen::MatrixXd Rinv =
        R.triangularView<Eigen::Upper>().solve(Eigen::MatrixXd::Identity(Js.cols(), Js.cols()));
    const Eigen::MatrixXd inverse =
        qr.colsPermutation() * (Rinv * Rinv.transpose()) * qr.colsPermutation().transpose();
    for (Eigen::Index a = 0; a < Js.cols(); ++a) {
        for (Eigen::Index b = 0; b < Js.cols(); ++b) {
            c.matrix(kept[a], kept[b]) = sigma2 * inverse(a, b) / (norm[a] * norm[b]);
        }
    }
    c.positiveDefinite = true;
    for (const Eigen::Index j : kept) {
        if (!(c.matrix(j, j) > 0 && std::isfinite(c.matrix(j, j)))) c.positiveDefinite = false;
    }
    return c;
}

Estimate Derived(double value) {
    Estimate e;
    e.value = value;
    e.derived = true;
    return e;
}

Estimate Fitted(double value, double stderr_, bool fitted) {
    Estimate e;
    e.value = value;
    e.fitted = fitted;
    e.stderr_ = fitted ? stderr_ : kNotAValue;
    e.undetermined = fitted && !(stderr_ < kUndeterminedShare * std::fabs(value));
    return e;
}

namespace {

double Correlation(const Eigen::MatrixXd& C, Eigen::Index i, Eigen::Index j) {
    return C(i, j) / std::sqrt(C(i, i) * C(j, j));
}

}  // namespace

FitStatistics Statistics(const FitData& data, const std::vector<double>& fitted, int freeValues) {
    FitStatistics s;
    const std::size_t n = data.y.size();
    s.points = n;
    s.freeParameters = freeValues;
    double absolute = 0, sum = 0, ssr = 0, chi2 = 0;
    const double mean = std::accumulate(data.y.begin(), data.y.end(), 0.0) / n;
    double sst = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double residual = data.y[i] - fitted[i];
        absolute += std::fabs(residual);
        sum += fitted[i];
        ssr += residual * residual;
        chi2 += std::pow(data.weight[i] * residual, 2);
        sst += (data.y[i] - mean) * (data.y[i] - mean);
    }
    s.fomPercent = 100 * absolute / sum;
    s.r2 = 1 - ssr / sst;
    s.chi2 = chi2 * data.chi2Unit;
    const double dof = static_cast<double>(n) - freeValues;
    s.reducedChi2 = dof > 0 ? s.chi2 / dof : kNotAValue;
    const double logLikelihoodTerm = n * std::log(s.chi2 / n);
    s.aic = logLikelihoodTerm + 2.0 * freeValues;
    s.bic = logLikelihoodTerm + freeValues * std::log(static_cast<double>(n));
    return s;
}

namespace {

// Why the statistics contradict a fit that says it converged, if they do.
struct Contradiction {
    FitProblem problem = FitProblem::None;
    std::string why;
};

Contradiction ContradictionIn(const FitStatistics& s) {
    if (!(std::isfinite(s.fomPercent) && s.fomPercent >= 0)) {
        // A sum of no positive area: the curve is upside down, or nothing.
        return {FitProblem::NoPositiveArea,
                "the fitted curve has no positive area, so it does not describe the measurement"};
    }
    if (!(s.fomPercent < 100)) {
        char fom[32];
        std::snprintf(fom, sizeof fom, "%.3g", s.fomPercent);
        return {FitProblem::MissesCurve,
                std::string("the fitted curve misses the measurement by more than its own area "
                            "(FOM ") +
                    fom + " %)"};
    }
    if (!(s.r2 > 0)) {
        return {FitProblem::WorseThanMean,
                "the fit describes the measurement worse than its mean value (R² ≤ 0)"};
    }
    return {};
}

FitProblem ProblemOf(SolveProblem p) {
    switch (p) {
        case SolveProblem::None:
            return FitProblem::None;
        case SolveProblem::Undefined:
            return FitProblem::Undefined;
        case SolveProblem::OutOfEvaluations:
            return FitProblem::OutOfEvaluations;
        case SolveProblem::Cancelled:
            return FitProblem::Cancelled;
        case SolveProblem::OutOfTime:
            return FitProblem::OutOfTime;
        case SolveProblem::CannotStart:
            return FitProblem::CannotStart;
    }
    return FitProblem::None;
}

void Append(std::string& why, const std::string& more) {
    if (!why.empty()) why += "; ";
    why += more;
}

}  // namespace

SpectrumFit FitSpectrumModel(const FitData& data, const SpectrumModel& model,
                             const SolveLimits& limits) {
    SpectrumFit fit;
    fit.T = data.T;
    fit.statistics.points = data.T.size();
    const SpectrumProblem problem(data, model);
    if (!problem.Startable()) {
        fit.failure = "no start values: a start value gives no peak above the first temperature";
        fit.problem = FitProblem::NoStart;
        return fit;
    }
    const Eigen::VectorXd lower = problem.Lower(), upper = problem.Upper();
    // The shape first, with the heights solved at every step; then every
    // value together from there, which also gives the covariance.
    Eigen::VectorXd start = problem.Start();
    SolveLimits remaining = limits;
    int iterations = 0;
    const ProjectedProblem projected(problem);
    if (projected.Applicable()) {
        const SolveOutcome shaped = SolveBounded(projected, projected.Start(), projected.Lower(),
                                                 projected.Upper(), limits);
        iterations += shaped.iterations;
        remaining.evaluations =
            std::max(limits.evaluations - shaped.evaluations, 0) + kPolishEvaluations;
        fit.evaluations += shaped.evaluations;
        Eigen::VectorXd solved;
        if (shaped.problem == SolveProblem::Cancelled) {
            fit.cancelled = true;
            fit.failure = shaped.why;
            fit.problem = FitProblem::Cancelled;
            return fit;
        }
        if (projected.Full(shaped.p, solved)) start = solved;
    }
    const SolveOutcome outcome = SolveBounded(problem, start, lower, upper, remaining);
    fit.iterations = iterations + outcome.iterations;
    fit.evaluations += outcome.evaluations;
    fit.cancelled = outcome.problem == SolveProblem::Cancelled;
    const Eigen::VectorXd& p = outcome.p;
    const SpectrumProblem::Curves curves = problem.Evaluate(p);
    if (!curves.defined) {
        fit.failure =
            outcome.why.empty() ? "the model is not defined where the fit stopped" : outcome.why;
        fit.problem = outcome.why.empty() ? FitProblem::Undefined : ProblemOf(outcome.problem);
        return fit;
    }
    fit.fitted = curves.sum;
    const std::vector<FreeValue>& free = problem.Free();
    const int freeCount = static_cast<int>(free.size());
    fit.statistics = Statistics(data, curves.sum, freeCount);

    std::vector<bool> onBound(free.size());
    for (std::size_t j = 0; j < free.size(); ++j) {
        onBound[j] = AtBound(p[j], free[j].lower, free[j].upper);
    }
    Eigen::MatrixXd J;
    const bool haveJacobian = problem.Jacobian(p, J);
    const double dof = static_cast<double>(data.T.size()) - freeCount;
    const double sigma2 = dof > 0 ? fit.statistics.chi2 / data.chi2Unit / dof : kNotAValue;
    // Without a Jacobian no value has an error.
    const Covariance covariance =
        haveJacobian
            ? CovarianceOf(J, onBound, sigma2)
            : Covariance{Eigen::MatrixXd::Constant(freeCount, freeCount, kNotAValue), false};
    const Eigen::MatrixXd& C = covariance.matrix;
    for (const FreeValue& v : free) fit.parameterNames.push_back(v.name);
    fit.correlation = Eigen::MatrixXd::Constant(freeCount, freeCount, kNotAValue);
    fit.covariance = fit.correlation;
    if (covariance.positiveDefinite) {
        // The background's heights were solved for in units of the curve's
        // largest value.
        Eigen::VectorXd unit = Eigen::VectorXd::Ones(freeCount);
        for (int j = 0; j < freeCount; ++j) {
            if (free[j].component < 0 && free[j].linearity == Linearity::Coefficient) {
                unit[j] = problem.Scale();
            }
        }
        fit.covariance = unit.asDiagonal() * C * unit.asDiagonal();
        for (int i = 0; i < freeCount; ++i) {
            for (int j = 0; j < freeCount; ++j) fit.correlation(i, j) = Correlation(C, i, j);
        }
    }

    // Every peak: its level's values with the errors carried over from the
    // values the solver moved.
    const double curveTop = *std::max_element(data.y.begin(), data.y.end());
    double totalCharge = 0;
    for (const PeakLevel& level : curves.levels) totalCharge += std::exp(level.lnQ);
    for (int k = 0; k < static_cast<int>(model.peaks.size()); ++k) {
        const PeakComponent& component = model.peaks[k];
        const PeakLevel& level = curves.levels[k];
        FittedPeak peak;
        peak.kinetics = component.kinetics;
        peak.current = curves.peaks[k];
        Eigen::MatrixXd D = problem.LevelJacobian(p, k);
        std::vector<Eigen::Index> columns;
        for (Eigen::Index j = 0; j < D.cols(); ++j) {
            if (free[j].component == k && !onBound[j]) columns.push_back(j);
        }
        Eigen::Matrix4d Cd = Eigen::Matrix4d::Zero();
        for (const Eigen::Index a : columns) {
            for (const Eigen::Index b : columns) Cd += D.col(a) * C(a, b) * D.col(b).transpose();
        }
        const bool movesVt = problem.Form(k) == PeakForm::Position || !component.Vt.fixed;
        const bool movesQ = problem.Form(k) == PeakForm::Position || !component.charge.fixed;
        const double Vt = std::exp(level.lnS), Q = std::exp(level.lnQ);
        peak.Et = Fitted(level.Et, std::sqrt(Cd(0, 0)), !component.Et.fixed);
        peak.Vt = Fitted(Vt, Vt * std::sqrt(Cd(1, 1)), movesVt);
        peak.charge = Fitted(Q, Q * std::sqrt(Cd(2, 2)), movesQ);
        peak.b = component.kinetics == Kinetics::General
                     ? Fitted(level.b, std::sqrt(Cd(3, 3)), !component.b.fixed)
                     : Derived(level.b);
        peak.corrEtLnVt = Cd(0, 1) / std::sqrt(Cd(0, 0) * Cd(1, 1));
        peak.share = Q / totalCharge;

        // The top, and which values ended on a bound.
        std::string& why = peak.why;
        bool ranAway = false;
        if (problem.Form(k) == PeakForm::Position) {
            const auto [Tm, lnIm] = problem.TopAt(p, k);
            peak.Tm = Derived(Tm);
            peak.Im = Derived(std::exp(lnIm));
        }
        for (Eigen::Index j = 0; j < static_cast<Eigen::Index>(free.size()); ++j) {
            if (free[j].component != k) continue;
            const std::string& name = free[j].name;
            const bool position = problem.Form(k) == PeakForm::Position;
            if (position && free[j].slot == 0) peak.Tm = Fitted(p[j], std::sqrt(C(j, j)), true);
            if (position && free[j].slot == 1) {
                peak.Im = Fitted(peak.Im.value, peak.Im.value * std::sqrt(C(j, j)), true);
            }
            if (!onBound[j]) continue;
            const bool isB = name.starts_with("b[");
            (isB ? peak.b : name.starts_with("Et[") ? peak.Et : peak.Tm).atBound = true;
            if (isB) {
                peak.b.stderr_ = kNotAValue;
                Append(why,
                       "its order b ended on its bound " + std::to_string(level.b).substr(0, 4));
            } else {
                ranAway = true;
                Append(why, name.substr(0, name.find('[')) + " ran to its bound");
            }
        }
        if (problem.Form(k) == PeakForm::Direct) {
            if (component.kinetics == Kinetics::Window) {
                const LegacyCurve window = LegacyCurrentsAt(
                    {level.Et, Vt, 1}, data.betaPerSecond * 60, 1, data.windowStep, data.T);
                peak.Tm = Derived(window.Tpeak);
                peak.Im = Derived(window.Ipeak * Q / kWindowUnitCharge);
            } else {
                const PeakTop top = TopOfPeak(level, problem.Heating());
                peak.Tm = Derived(top.Tm);
                peak.Im = Derived(std::exp(top.lnIm));
            }
        }
        if (!(peak.Tm.value >= data.T.front() && peak.Tm.value <= data.T.back())) {
            ranAway = true;
            Append(why, "its top lies outside the measured temperatures");
        }
        if (!(peak.Im.value > kVanishedHeight * curveTop)) {
            ranAway = true;
            Append(why, "its height fell to zero");
        }
        if (!(Vt >= component.Vt.lower && Vt <= component.Vt.upper)) {
            ranAway = true;
            Append(why, "its frequency left its bounds");
        }
        if (peak.b.fitted && level.b < 1) {
            Append(why, "its order b is below 1, outside the general order's range of 1 to 3");
        }
        if (ranAway) {
            peak.verdict = PeakVerdict::RanAway;
        } else {
            std::vector<std::string> loose;
            const std::pair<const char*, const Estimate*> values[] = {
                {"Et", &peak.Et}, {"Nt", &peak.charge}, {"b", &peak.b}, {"Im", &peak.Im}};
            for (const auto& [name, e] : values) {
                if (e->undetermined) loose.push_back(name);
            }
            if (!loose.empty()) {
                std::string list;
                for (const std::string& name : loose) list += (list.empty() ? "" : ", ") + name;
                Append(why, "the data do not determine " + list +
                                " (standard error at least half the value)");
            }
            if (!loose.empty() || peak.b.atBound) peak.verdict = PeakVerdict::Undetermined;
        }
        fit.peaks.push_back(std::move(peak));
    }

    // Values so correlated that the data cannot tell them apart.
    if (covariance.positiveDefinite) {
        for (int i = 0; i < freeCount; ++i) {
            for (int j = i + 1; j < freeCount; ++j) {
                const double rho = fit.correlation(i, j);
                if (!(std::fabs(rho) > kCollinear)) continue;
                const int a = free[i].component, b = free[j].component;
                for (int which = 0; which < (a == b ? 1 : 2); ++which) {
                    const int k = which == 0 ? a : b;
                    if (k < 0 || fit.peaks[k].verdict == PeakVerdict::RanAway) continue;
                    fit.peaks[k].verdict = PeakVerdict::Undetermined;
                    char text[32];
                    std::snprintf(text, sizeof text, "%.4f", rho);
                    Append(fit.peaks[k].why,
                           free[i].name + " and " + free[j].name + " correlate at " + text);
                }
            }
        }
    }

    const auto [constant, slope, amplitude, scale] = problem.BackgroundTerms(p);
    FittedBackground& background = fit.background;
    background.kind = model.background.kind;
    background.current = curves.background;
    background.To = data.T.front();
    background.Tend = data.T.back();
    background.constant = Fitted(constant, kNotAValue, false);
    background.slope = Fitted(slope, kNotAValue, false);
    background.amplitude = Fitted(amplitude, kNotAValue, false);
    background.scale = Fitted(scale, kNotAValue, false);
    const auto variance = [&](int i, int j) { return i < 0 || j < 0 ? 0.0 : C(i, j); };
    const auto [atStart, atEnd] = problem.BackgroundEnds();
    const double unit = problem.Scale();
    const auto term = [&](Estimate& e, double error, bool onItsBound) {
        e.fitted = true;
        e.stderr_ = error;
        e.atBound = onItsBound;
    };
    if (atStart >= 0) {
        term(background.constant, unit * std::sqrt(C(atStart, atStart)), onBound[atStart]);
    }
    if (atEnd >= 0) {
        const double spread =
            variance(atStart, atStart) + C(atEnd, atEnd) - 2 * variance(atStart, atEnd);
        term(background.slope, unit / problem.Span() * std::sqrt(spread),
             onBound[atEnd] || (atStart >= 0 && onBound[atStart]));
    }
    for (int j = 0; j < freeCount; ++j) {
        if (free[j].component >= 0) continue;
        if (free[j].slot == 2) term(background.amplitude, unit * std::sqrt(C(j, j)), onBound[j]);
        if (free[j].slot == 3) term(background.scale, scale * std::sqrt(C(j, j)), onBound[j]);
    }

    // Ascending by their tops, as every report lists them.
    std::stable_sort(
        fit.peaks.begin(), fit.peaks.end(),
        [](const FittedPeak& a, const FittedPeak& b) { return a.Tm.value < b.Tm.value; });

    fit.converged = outcome.converged;
    fit.failure = outcome.why;
    fit.problem = ProblemOf(outcome.problem);
    if (fit.converged && !covariance.positiveDefinite) {
        fit.converged = false;
        fit.failure =
            "the fit stopped where the data do not determine its values (the covariance is "
            "singular)";
        fit.problem = FitProblem::Undetermined;
    }
    if (fit.converged) {
        const Contradiction contradiction = ContradictionIn(fit.statistics);
        if (contradiction.problem != FitProblem::None) {
            fit.converged = false;
            fit.failure = contradiction.why;
            fit.problem = contradiction.problem;
        }
    }
    if (fit.converged && !fit.peaks.empty() &&
        std::all_of(fit.peaks.begin(), fit.peaks.end(),
                    [](const FittedPeak& k) { return k.verdict == PeakVerdict::RanAway; })) {
        fit.converged = false;
        fit.failure = "every peak ran away: " + fit.peaks.front().why;
        fit.problem = FitProblem::EveryPeakRanAway;
    }
    return fit;
}

}  // namespace tsc::analysis
