#include "joint_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "curve_smoothing.h"
#include "joint_problem.h"
#include "joint_result.h"
#include "physical_constants.h"
#include "projected_problem.h"

namespace tsc::analysis {
namespace {

// As the one-curve fit: above this many points a curve is fitted in bins.
constexpr std::size_t kDirectPoints = 20000;
constexpr std::size_t kBins = 4096;

struct Curves {
    std::vector<FitData> data;
    std::vector<SpectrumFit> singles;
};

std::string Format(const char* format, double a, double b = 0, double c = 0, double d = 0) {
    char text[240];
    std::snprintf(text, sizeof text, format, a, b, c, d);
    return text;
}

DeconvolutionRequest SingleRequest(const JointRequest& request, double betaPerSecond,
                                   int peaks = 0) {
    DeconvolutionRequest single = request.curve;
    single.betaPerSecond = betaPerSecond;
    if (peaks > 0) single.peaks = {peaks == 1 ? PeakCount::One : PeakCount::Number, peaks, {}};
    return single;
}

// The curve with its weights. Unweighted, each curve counts by the noise its
// own fit leaves, so that curves of larger currents (faster heating) weigh
// as much as their noise says and no more; counts keep their Poisson weights.
FitData CurveData(const JointCurveData& curve, const JointRequest& request,
                  const SpectrumFit& single) {
    FitData data;
    data.T.assign(curve.T.begin(), curve.T.end());
    data.y.assign(curve.y.begin(), curve.y.end());
    double perBin = 1;
    if (data.T.size() > kDirectPoints) {
        BinnedCurve binned = Binned(curve.T, curve.y, kBins);
        perBin = static_cast<double>(data.T.size()) / binned.T.size();
        data.T = std::move(binned.T);
        data.y = std::move(binned.y);
    }
    data.betaPerSecond = curve.betaPerSecond;
    data.windowStep = request.curve.windowStep;
    double scale = 0;
    for (const double v : data.y) scale = std::max(scale, std::fabs(v));
    if (!(scale > 0 && std::isfinite(scale))) scale = 1;
    data.weight.resize(data.y.size());
    if (request.curve.weighting == Weighting::Poisson) {
        for (std::size_t i = 0; i < data.y.size(); ++i) {
            data.weight[i] = 1 / std::sqrt(std::max(data.y[i], 1.0));
        }
        return data;
    }
    double noise = scale;
    const double left = single.statistics.reducedChi2;
    // A bin's mean has the noise of its points over the root of their number.
    if (single.converged && std::isfinite(left) && left > 0) noise = std::sqrt(left / perBin);
    // A curve without noise is weighed as one with a little.
    noise = std::max(noise, 1e-9 * scale);
    std::fill(data.weight.begin(), data.weight.end(), 1 / noise);
    data.chi2Unit = noise * noise;
    return data;
}

int Found(const SpectrumFit& fit) {
    return static_cast<int>(std::count_if(fit.peaks.begin(), fit.peaks.end(), [](const auto& p) {
        return p.verdict != PeakVerdict::RanAway;
    }));
}

// Where the one-curve fits put a peak, by the heating rate: the top must
// rise with it. The reason for refusing, or nothing.
std::string WrongWay(std::span<const JointCurveData> input, const Curves& curves,
                     const std::vector<int>& usable, int peaks) {
    for (int k = 0; k < peaks; ++k) {
        for (const int a : usable) {
            for (const int b : usable) {
                if (!(input[a].betaPerSecond < input[b].betaPerSecond)) continue;
                const Estimate& slow = curves.singles[a].peaks[k].Tm;
                const Estimate& fast = curves.singles[b].peaks[k].Tm;
                const double spread = std::hypot(std::isfinite(slow.stderr_) ? slow.stderr_ : 0,
                                                 std::isfinite(fast.stderr_) ? fast.stderr_ : 0);
                if (fast.value >= slow.value - 2 * spread) continue;
                return Format("peak %.0f lies at %.2f K on curve %.0f, heated at %.4g K/min, ",
                              k + 1, slow.value, a + 1, 60 * input[a].betaPerSecond) +
                       Format(
                           "but lower, at %.2f K, on curve %.0f, heated faster at %.4g K/min: "
                           "a peak's Tm must rise with the heating rate (are the rates paired "
                           "with the right files?)",
                           fast.value, b + 1, 60 * input[b].betaPerSecond);
            }
        }
    }
    return "";
}

void Hold(PeakComponent& peak, const FixedValue& f) {
    Parameter& target = f.name == PeakParameter::Et   ? peak.Et
                        : f.name == PeakParameter::Vt ? peak.Vt
                        : f.name == PeakParameter::B  ? peak.b
                                                      : peak.charge;
    target.value = f.value;
    target.fixed = true;
}

// Each curve's start: the levels reconciled over the curves whose own fits
// found the peaks, placed on every curve by the peak condition, and the
// heights and background of each curve solved for those shapes.
std::vector<SpectrumModel> StartModels(const Curves& curves, const JointRequest& request,
                                       const std::vector<int>& usable, int peaks) {
    const Kinetics kinetics = request.curve.kinetics;
    std::vector<PeakComponent> levels;
    for (int k = 0; k < peaks; ++k) {
        // Et weighted by each fit's own error; the frequency that puts the
        // peak where each curve has it, averaged in logarithms.
        double weights = 0, Et = 0, b = 0;
        for (const int c : usable) {
            const FittedPeak& p = curves.singles[c].peaks[k];
            const double w = std::isfinite(p.Et.stderr_) && p.Et.stderr_ > 0
                                 ? 1 / (p.Et.stderr_ * p.Et.stderr_)
                                 : 1;
            weights += w;
            Et += w * p.Et.value;
            b += p.b.value / usable.size();
        }
        Et /= weights;
        double lnS = 0;
        for (const int c : usable) {
            const FitData& data = curves.data[c];
            const LevelOfPosition at =
                LevelAtPosition({curves.singles[c].peaks[k].Tm.value, 0, Et, b},
                                {data.T.front(), data.betaPerSecond});
            lnS += (at.valid ? at.level.lnS : std::log(curves.singles[c].peaks[k].Vt.value)) /
                   usable.size();
        }
        PeakComponent level = DefaultPeak(kinetics);
        level.Et.value = Et;
        level.Vt.value = std::exp(lnS);
        if (kinetics == Kinetics::General) level.b.value = b;
        for (const FixedValue& f : request.curve.fixed) {
            if (f.peak == k) Hold(level, f);
        }
        levels.push_back(level);
    }
    std::vector<SpectrumModel> models;
    for (const FitData& data : curves.data) {
        SpectrumModel model;
        model.peaks = levels;
        model.background.kind = request.curve.background;
        model.background.amplitude = {0, false, 0, kUnbounded};
        const SpectrumProblem problem(data, model, PeakForm::Direct);
        const ProjectedProblem projected(problem);
        Eigen::VectorXd p;
        if (projected.Applicable() && projected.Full(projected.Start(), p)) {
            for (int j = 0; j < static_cast<int>(problem.Free().size()); ++j) {
                const FreeValue& v = problem.Free()[j];
                if (v.component >= 0 && v.slot == 2) {
                    model.peaks[v.component].charge.value = std::exp(p[j]);
                }
            }
            const auto [constant, slope, amplitude, scale] = problem.BackgroundTerms(p);
            model.background.constant.value = constant;
            model.background.slope.value = slope;
            model.background.amplitude.value = std::max(amplitude, 0.0);
            model.background.scale.value = scale;
        }
        models.push_back(std::move(model));
    }
    return models;
}

JointFit Together(std::span<const JointCurveData> input, const Curves& curves,
                  const JointRequest& request, int peaks, double allowance) {
    JointFit fit;
    fit.singles = curves.singles;
    for (const FitData& data : curves.data) fit.statistics.points += data.T.size();
    std::vector<int> usable;
    for (int c = 0; c < static_cast<int>(input.size()); ++c) {
        const SpectrumFit& single = curves.singles[c];
        if (single.converged && static_cast<int>(single.peaks.size()) == peaks &&
            Found(single) == peaks) {
            usable.push_back(c);
        }
    }
    if (usable.empty()) {
        fit.failure = peaks == 1
                          ? "no curve's own fit found a peak to start from"
                          : Format("no curve's own fit found %.0f peaks to start from", peaks);
        return fit;
    }
    fit.refusal = WrongWay(input, curves, usable, peaks);
    if (!fit.refusal.empty()) return fit;
    const std::vector<SpectrumModel> models = StartModels(curves, request, usable, peaks);
    const JointProblem problem(curves.data, models, request.sharedCharge);
    if (!problem.Startable()) {
        fit.failure = "no start values: a level gives no peak above the first temperature";
        return fit;
    }
    SolveLimits limits;
    limits.evaluations = 100 + 25 * static_cast<int>(problem.Free().size());
    // Its own processor time after the curves' own fits, which have theirs.
    limits.deadline = ThreadSeconds() + allowance;
    limits.cancel = request.curve.cancel;
    const SolveOutcome outcome =
        SolveBounded(problem, problem.Start(), problem.Lower(), problem.Upper(), limits);
    JointFit result = JointResult(problem, curves.data, outcome);
    result.singles = curves.singles;
    for (const FitData& data : curves.data) result.measured.push_back(data.y);
    for (std::size_t c = 0; c < input.size(); ++c) {
        if (curves.data[c].T.size() < input[c].T.size()) {
            result.notes.push_back(Format("curve %.0f: %.0f points, fitted in %.0f bins", c + 1,
                                          input[c].T.size(), curves.data[c].T.size()));
        }
    }
    if (usable.size() < input.size()) {
        result.notes.push_back(Format("%.0f of %.0f curves' own fits found the peaks to start from",
                                      usable.size(), input.size()));
    }
    return result;
}

bool Better(const JointFit& a, const JointFit& b) {
    if (a.converged != b.converged) return a.converged;
    return a.statistics.bic < b.statistics.bic;
}

}  // namespace

JointFit FitJointly(std::span<const JointCurveData> input, const JointRequest& request) {
    std::size_t points = 0;
    for (const JointCurveData& curve : input) points += std::min(curve.T.size(), kDirectPoints);
    const double peaks = std::max(1.0, static_cast<double>(request.curve.peaks.number));
    const double allowance = 3 + 3e-6 * static_cast<double>(points) * peaks;

    Curves curves;
    for (const JointCurveData& curve : input) {
        curves.singles.push_back(
            Deconvolve(curve.T, curve.y, SingleRequest(request, curve.betaPerSecond)));
        curves.data.push_back(CurveData(curve, request, curves.singles.back()));
    }
    if (request.curve.peaks.count != PeakCount::Automatic) {
        const int number =
            request.curve.peaks.count == PeakCount::One ? 1 : request.curve.peaks.number;
        JointFit fit = Together(input, curves, request, number, allowance);
        return fit;
    }
    // The number of peaks on all curves together: each number a curve's own
    // fit chose, every curve fitted with it, and the lowest BIC of the
    // joint fits.
    std::set<int> numbers;
    for (const SpectrumFit& single : curves.singles) {
        if (single.converged) numbers.insert(Found(single));
    }
    numbers.erase(0);
    JointFit best;
    best.failure = "no curve's own fit found a peak to start from";
    bool first = true;
    std::string history;
    for (const int number : numbers) {
        Curves with = curves;
        for (std::size_t c = 0; c < input.size(); ++c) {
            if (Found(with.singles[c]) == number &&
                static_cast<int>(with.singles[c].peaks.size()) == number)
                continue;
            with.singles[c] = Deconvolve(input[c].T, input[c].y,
                                         SingleRequest(request, input[c].betaPerSecond, number));
        }
        JointFit fit = Together(input, with, request, number, allowance);
        if (!fit.refusal.empty()) return fit;
        history += Format("; %.0f peaks: BIC %.1f", number, fit.statistics.bic) +
                   (fit.converged ? "" : " (not converged)");
        if (first || Better(fit, best)) best = std::move(fit);
        first = false;
    }
    best.notes.push_back(
        Format("peaks: %.0f, chosen on all curves together by BIC", best.peaks.size()) + history);
    return best;
}

}  // namespace tsc::analysis
