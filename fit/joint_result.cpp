#include "joint_result.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>

#include "fit_spectrum.h"

namespace tsc::analysis {
namespace {

// As the one-curve fit judges its values.
constexpr double kCollinear = 0.995;
constexpr double kVanishedHeight = 1e-6;
enum DirectSlot { kEt, kLnS, kLnQ, kB };

void Append(std::string& why, const std::string& more) {
    if (!why.empty()) why += "; ";
    why += more;
}

// The variance of a value that depends on the joint values through `slopes`.
double Variance(const Eigen::RowVectorXd& slopes, const Eigen::MatrixXd& C,
                const std::vector<bool>& onBound) {
    double v = 0;
    for (Eigen::Index a = 0; a < slopes.size(); ++a) {
        if (slopes[a] == 0 || onBound[a]) continue;
        for (Eigen::Index b = 0; b < slopes.size(); ++b) {
            if (slopes[b] != 0 && !onBound[b]) v += slopes[a] * C(a, b) * slopes[b];
        }
    }
    return v;
}

std::string Curve(int c) { return "curve " + std::to_string(c + 1); }

struct Judged {
    const Eigen::MatrixXd& C;
    const std::vector<bool>& onBound;
    const Eigen::VectorXd& p;
};

// A curve's background with the errors of its own values.
FittedBackground Background(const JointProblem& problem, int c, const Eigen::VectorXd& pc,
                            const std::vector<double>& current, const Judged& j) {
    const SpectrumProblem& curve = problem.Curve(c);
    const auto [constant, slope, amplitude, scale] = curve.BackgroundTerms(pc);
    FittedBackground b;
    b.kind = curve.Model().background.kind;
    b.current = current;
    b.To = curve.Data().T.front();
    b.Tend = curve.Data().T.back();
    b.constant = Fitted(constant, kNotAValue, false);
    b.slope = Fitted(slope, kNotAValue, false);
    b.amplitude = Fitted(amplitude, kNotAValue, false);
    b.scale = Fitted(scale, kNotAValue, false);
    const auto joint = [&](int own) { return own < 0 ? -1 : problem.JointIndex(c, own); };
    const auto variance = [&](int a, int b) { return a < 0 || b < 0 ? 0.0 : j.C(a, b); };
    const auto term = [&](Estimate& e, double error, bool atBound) {
        e.fitted = true;
        e.stderr_ = error;
        e.atBound = atBound;
    };
    const auto [ownStart, ownEnd] = curve.BackgroundEnds();
    const int start = joint(ownStart), end = joint(ownEnd);
    const double unit = curve.Scale();
    if (start >= 0) term(b.constant, unit * std::sqrt(j.C(start, start)), j.onBound[start]);
    if (end >= 0) {
        const double spread = variance(start, start) + j.C(end, end) - 2 * variance(start, end);
        term(b.slope, unit / curve.Span() * std::sqrt(spread),
             j.onBound[end] || (start >= 0 && j.onBound[start]));
    }
    for (int own = 0; own < static_cast<int>(curve.Free().size()); ++own) {
        const FreeValue& v = curve.Free()[own];
        const int i = joint(own);
        if (v.component >= 0 || i < 0) continue;
        if (v.slot == 2) term(b.amplitude, unit * std::sqrt(j.C(i, i)), j.onBound[i]);
        if (v.slot == 3) term(b.scale, scale * std::sqrt(j.C(i, i)), j.onBound[i]);
    }
    return b;
}

// The joint value of a curve's charge of peak k, or -1 where it is held.
int ChargeIndex(const JointProblem& problem, int c, int k) {
    const std::vector<FreeValue>& own = problem.Curve(c).Free();
    for (int j = 0; j < static_cast<int>(own.size()); ++j) {
        if (own[j].component == k && own[j].slot == kLnQ) return problem.JointIndex(c, j);
    }
    return -1;
}

// The shared values of peak k and what the bounds say of them.
FittedPeak SharedPeak(const JointProblem& problem, int k, const Judged& j) {
    const PeakComponent& component = problem.Curve(0).Model().peaks[k];
    const JointProblem::SharedLevel level = problem.LevelAt(j.p, k);
    const auto var = [&](int row) { return Variance(level.slopes.row(row), j.C, j.onBound); };
    const Eigen::RowVectorXd EtPlusLnS = level.slopes.row(0) + level.slopes.row(1);
    FittedPeak peak;
    peak.kinetics = component.kinetics;
    const double Vt = std::exp(level.lnS);
    peak.Et = Fitted(level.Et, std::sqrt(var(0)), !component.Et.fixed);
    peak.Vt = Fitted(Vt, Vt * std::sqrt(var(1)), !component.Vt.fixed);
    peak.b = component.kinetics == Kinetics::General
                 ? Fitted(level.b, std::sqrt(var(2)), !component.b.fixed)
                 : Derived(level.b);
    // cov(Et, ln s) from var(Et + ln s) = var Et + var ln s + 2 cov.
    const double covariance = (Variance(EtPlusLnS, j.C, j.onBound) - var(0) - var(1)) / 2;
    peak.corrEtLnVt = covariance / std::sqrt(var(0) * var(1));
    for (int i = 0; i < static_cast<int>(problem.Free().size()); ++i) {
        const FreeValue& v = problem.Free()[i].value;
        if (problem.Free()[i].curve >= 0 || v.component != k || !j.onBound[i]) continue;
        if (v.slot == kLnQ) continue;  // a shared charge: judged by its height
        if (v.name.starts_with("b[")) {
            peak.b.atBound = true;
            peak.b.stderr_ = kNotAValue;
            Append(peak.why, "its order b ended on its bound");
        } else {
            peak.verdict = PeakVerdict::RanAway;
            Append(peak.why, v.name.substr(0, v.name.find('[')) + " ran to its bound");
        }
    }
    return peak;
}

}  // namespace

JointFit JointResult(const JointProblem& problem, const std::vector<FitData>& data,
                     const SolveOutcome& outcome) {
    JointFit fit;
    fit.iterations = outcome.iterations;
    fit.evaluations = outcome.evaluations;
    fit.cancelled = outcome.problem == SolveProblem::Cancelled;
    fit.failure = outcome.why;
    const Eigen::VectorXd& p = outcome.p;
    const auto& free = problem.Free();
    const int P = static_cast<int>(free.size());
    const Eigen::VectorXd lower = problem.Lower(), upper = problem.Upper();
    std::vector<bool> onBound(P);
    for (int i = 0; i < P; ++i) onBound[i] = AtBound(p[i], lower[i], upper[i]);

    // Every curve at the solution, and the statistics of each and of all.
    std::vector<SpectrumProblem::Curves> curves;
    double absolute = 0, area = 0, ssr = 0, sst = 0;
    for (int c = 0; c < problem.Curves(); ++c) {
        curves.push_back(problem.Curve(c).Evaluate(problem.CurveValues(p, c)));
        if (!curves.back().defined) {
            fit.failure = "the model is not defined where the fit stopped";
            return fit;
        }
        const std::vector<double>& y = data[c].y;
        const std::vector<double>& f = curves.back().sum;
        const double mean = std::accumulate(y.begin(), y.end(), 0.0) / y.size();
        for (std::size_t i = 0; i < y.size(); ++i) {
            absolute += std::fabs(y[i] - f[i]);
            area += f[i];
            ssr += (y[i] - f[i]) * (y[i] - f[i]);
            sst += (y[i] - mean) * (y[i] - mean);
        }
    }
    FitStatistics& s = fit.statistics;
    s.points = static_cast<std::size_t>(problem.Points());
    s.freeParameters = P;
    s.fomPercent = 100 * absolute / area;
    s.r2 = 1 - ssr / sst;
    s.chi2 = outcome.chi2;
    const double n = static_cast<double>(s.points), dof = n - P;
    s.reducedChi2 = dof > 0 ? s.chi2 / dof : kNotAValue;
    s.aic = n * std::log(s.chi2 / n) + 2.0 * P;
    s.bic = n * std::log(s.chi2 / n) + P * std::log(n);

    Eigen::MatrixXd J;
    const bool haveJacobian = problem.Jacobian(p, J);
    const Covariance covariance =
        haveJacobian ? CovarianceOf(J, onBound, s.reducedChi2)
                     : Covariance{Eigen::MatrixXd::Constant(P, P, kNotAValue), false};
    const Eigen::MatrixXd& C = covariance.matrix;
    fit.correlation = Eigen::MatrixXd::Constant(P, P, kNotAValue);
    for (int i = 0; i < P; ++i) {
        fit.parameterNames.push_back(free[i].value.name);
        for (int j = 0; covariance.positiveDefinite && j < P; ++j) {
            fit.correlation(i, j) = C(i, j) / std::sqrt(C(i, i) * C(j, j));
        }
    }
    const Judged judged{C, onBound, p};

    // The shared values, then each curve's own beside them.
    for (int k = 0; k < problem.Peaks(); ++k) fit.peaks.push_back(SharedPeak(problem, k, judged));
    std::vector<int> lostOn(problem.Peaks(), 0);
    for (int c = 0; c < problem.Curves(); ++c) {
        const SpectrumProblem& curve = problem.Curve(c);
        const SpectrumProblem::Curves& at = curves[c];
        SpectrumFit& own = fit.curves.emplace_back();
        own.T = data[c].T;
        own.fitted = at.sum;
        own.statistics = Statistics(data[c], at.sum, P);
        own.background = Background(problem, c, problem.CurveValues(p, c), at.background, judged);
        double totalCharge = 0;
        for (const PeakLevel& level : at.levels) totalCharge += std::exp(level.lnQ);
        const double top = *std::max_element(data[c].y.begin(), data[c].y.end());
        for (int k = 0; k < problem.Peaks(); ++k) {
            FittedPeak peak = fit.peaks[k];
            peak.why.clear();
            const PeakLevel& level = at.levels[k];
            const double Q = std::exp(level.lnQ);
            const int charge = ChargeIndex(problem, c, k);
            peak.charge =
                Fitted(Q, charge >= 0 ? Q * std::sqrt(C(charge, charge)) : kNotAValue, charge >= 0);
            const PeakTop peakTop = TopOfPeak(level, curve.Heating());
            peak.Tm = Derived(peakTop.Tm);
            peak.Im = Derived(std::exp(peakTop.lnIm));
            peak.share = Q / totalCharge;
            peak.current = at.peaks[k];
            if (!(peak.Tm.value >= own.T.front() && peak.Tm.value <= own.T.back())) {
                Append(peak.why, "its top lies outside the measured temperatures");
            } else if (!(peak.Im.value > kVanishedHeight * top)) {
                Append(peak.why, "its height fell to zero");
            }
            if (!peak.why.empty()) {
                ++lostOn[k];
                Append(fit.peaks[k].why, "on " + Curve(c) + " " + peak.why);
            }
            own.peaks.push_back(std::move(peak));
        }
    }
    for (int k = 0; k < problem.Peaks(); ++k) {
        FittedPeak& peak = fit.peaks[k];
        const FittedPeak& onFirst = fit.curves.front().peaks[k];
        peak.Tm = onFirst.Tm;
        peak.Im = onFirst.Im;
        for (int i = 0; i < P; ++i) {
            if (free[i].curve < 0 && free[i].value.component == k && free[i].value.slot == kLnQ) {
                const double Q = onFirst.charge.value;
                peak.charge = Fitted(Q, Q * std::sqrt(C(i, i)), true);
            }
        }
        if (lostOn[k] == problem.Curves()) peak.verdict = PeakVerdict::RanAway;
        if (peak.verdict == PeakVerdict::RanAway) continue;
        std::string loose;
        const std::pair<const char*, const Estimate*> values[] = {
            {"Et", &peak.Et}, {"νt", &peak.Vt}, {"b", &peak.b}, {"Nt", &peak.charge}};
        for (const auto& [name, e] : values) {
            if (e->undetermined) loose += (loose.empty() ? "" : ", ") + std::string(name);
        }
        if (!loose.empty()) {
            Append(peak.why, "the data do not determine " + loose +
                                 " (standard error at least half the value)");
        }
        if (!loose.empty() || peak.b.atBound || lostOn[k] > 0)
            peak.verdict = PeakVerdict::Undetermined;
    }
    // Values so correlated that the curves together cannot tell them apart.
    for (int i = 0; covariance.positiveDefinite && i < P; ++i) {
        for (int j = i + 1; j < P; ++j) {
            const double rho = fit.correlation(i, j);
            if (!(std::fabs(rho) > kCollinear)) continue;
            for (const int k : {free[i].value.component, free[j].value.component}) {
                if (k < 0 || fit.peaks[k].verdict == PeakVerdict::RanAway) continue;
                fit.peaks[k].verdict = PeakVerdict::Undetermined;
                char text[32];
                std::snprintf(text, sizeof text, "%.4f", rho);
                Append(fit.peaks[k].why,
                       free[i].value.name + " and " + free[j].value.name + " correlate at " + text);
                if (free[i].value.component == free[j].value.component) break;
            }
        }
    }
    for (SpectrumFit& own : fit.curves) {
        for (std::size_t k = 0; k < own.peaks.size(); ++k) {
            own.peaks[k].verdict = fit.peaks[k].verdict;
            own.peaks[k].why = fit.peaks[k].why;
        }
    }

    // Ascending by their tops on the first curve, as every report lists them.
    std::vector<std::size_t> order(fit.peaks.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return fit.peaks[a].Tm.value < fit.peaks[b].Tm.value;
    });
    const auto sorted = [&](std::vector<FittedPeak>& peaks) {
        std::vector<FittedPeak> copy;
        for (const std::size_t k : order) copy.push_back(std::move(peaks[k]));
        peaks = std::move(copy);
    };
    sorted(fit.peaks);
    for (SpectrumFit& own : fit.curves) sorted(own.peaks);

    fit.converged = outcome.converged;
    if (fit.converged && !covariance.positiveDefinite) {
        fit.converged = false;
        fit.failure =
            "the fit stopped where the data do not determine its values (the covariance is "
            "singular)";
    } else if (fit.converged && !(std::isfinite(s.fomPercent) && s.fomPercent >= 0 &&
                                  s.fomPercent < 100 && s.r2 > 0)) {
        fit.converged = false;
        fit.failure = "the fitted curves do not describe the measurements (FOM or R² out of range)";
    } else if (fit.converged && !fit.peaks.empty() &&
               std::all_of(fit.peaks.begin(), fit.peaks.end(),
                           [](const FittedPeak& k) { return k.verdict == PeakVerdict::RanAway; })) {
        fit.converged = false;
        fit.failure = "every peak ran away: " + fit.peaks.front().why;
    }
    for (SpectrumFit& own : fit.curves) own.converged = fit.converged;
    return fit;
}

}  // namespace tsc::analysis
