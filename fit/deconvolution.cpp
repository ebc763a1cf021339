#include "deconvolution.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

#include "curve_smoothing.h"
#include "fit_spectrum.h"
#include "measured_curve.h"
#include "peak_search.h"
#include "physical_constants.h"

namespace tsc::analysis {
namespace {

// Above this many points the peaks are found and fitted on the curve in
// bins first, and the full curve only refines that fit.
constexpr std::size_t kDirectPoints = 20000;
constexpr std::size_t kCoarseBins = 4096;
// One more peak must lower BIC by this much (strong evidence); a peak fewer
// is preferred while BIC rises by no more than this.
constexpr double kBicGain = 10;
constexpr double kBicSlack = 2;
// Residuals whose runs of one sign are this many standard deviations too few
// still hold structure.
constexpr double kStructureZ = -3;
// The places for one more peak tried in a round, likeliest first.
constexpr std::size_t kPlacesTried = 3;
constexpr int kMostRounds = 10;
// How often the search may go back to a fit it met that is clearly better
// than where it ended.
constexpr int kMostReturns = 2;
// The energies retried, as factors of the estimate: that one first, then
// further and further from it.
constexpr double kEnergyFactors[] = {1.0, 0.8, 1.25, 0.65, 1.5};
// General order starts from the first-order fit with this order, and
// directly from these.
constexpr double kGeneralStart = 1.1;
constexpr double kGeneralOrderStarts[] = {1.3, 1.7};

struct Context {
    FitData data;
    const DeconvolutionRequest& request;
    PeakSearch search;
    double deadline;  // in the thread's processor time
    // The converged fit of lowest BIC met so far in the kinetics asked for.
    mutable std::optional<SpectrumFit> lowest = std::nullopt;
};

FitData MakeData(std::span<const double> T, std::span<const double> y,
                 const DeconvolutionRequest& request) {
    FitData data;
    data.T.assign(T.begin(), T.end());
    data.y.assign(y.begin(), y.end());
    data.betaPerSecond = request.betaPerSecond;
    data.windowStep = request.windowStep;
    double scale = 0;
    for (const double v : y) scale = std::max(scale, std::fabs(v));
    if (!(scale > 0 && std::isfinite(scale))) scale = 1;
    data.weight.resize(y.size());
    if (request.weighting == Weighting::Poisson) {
        for (std::size_t i = 0; i < y.size(); ++i)
            data.weight[i] = 1 / std::sqrt(std::max(y[i], 1.0));
        data.chi2Unit = 1;
    } else {
        std::fill(data.weight.begin(), data.weight.end(), 1 / scale);
        data.chi2Unit = scale * scale;
    }
    return data;
}

SolveLimits Limits(const Context& c, int freeValues) {
    SolveLimits limits;
    limits.evaluations = 100 + 25 * freeValues;
    limits.deadline = c.deadline;
    limits.cancel = c.request.cancel;
    return limits;
}

bool Better(const SpectrumFit& a, const SpectrumFit& b) {
    if (a.converged != b.converged) return a.converged;
    const double ca = a.statistics.chi2, cb = b.statistics.chi2;
    if (std::isfinite(ca) != std::isfinite(cb)) return std::isfinite(ca);
    return ca < cb;
}

bool Stopped(const Context& c) {
    return (c.request.cancel && c.request.cancel->load()) || PastDeadline(c.deadline);
}

int Count(const SpectrumModel& model) {
    int free = 0;
    for (const PeakComponent& p : model.peaks) {
        free += !p.Et.fixed + !p.Vt.fixed + !p.charge.fixed;
        free += p.kinetics == Kinetics::General && !p.b.fixed;
    }
    const BackgroundKind k = model.background.kind;
    free += k == BackgroundKind::Constant      ? 1
            : k == BackgroundKind::Linear      ? 2
            : k == BackgroundKind::Exponential ? 3
                                               : 0;
    return free;
}

SpectrumFit FitModel(const Context& c, const SpectrumModel& model) {
    SpectrumFit fit = FitSpectrumModel(c.data, model, Limits(c, Count(model)));
    const bool asked =
        std::all_of(model.peaks.begin(), model.peaks.end(),
                    [&](const PeakComponent& p) { return p.kinetics == c.request.kinetics; });
    if (asked && fit.converged && (!c.lowest || fit.statistics.bic < c.lowest->statistics.bic)) {
        c.lowest = fit;
    }
    return fit;
}

void ApplyFixes(SpectrumModel& model, std::span<const FixedValue> fixed) {
    for (const FixedValue& f : fixed) {
        if (f.peak >= static_cast<int>(model.peaks.size())) continue;
        Parameter& target = ParameterOf(model.peaks[f.peak], f.name);
        target.value = f.value;
        target.fixed = true;
    }
}

// The fit's values as the start of another fit, with the peaks' kinetics
// (and the start order of general-order peaks) given anew.
SpectrumModel ModelFromFit(const SpectrumFit& fit, const SpectrumModel& was, Kinetics kinetics,
                           double bStart, std::span<const FixedValue> fixed) {
    // Both list the peaks by ascending top: the starts are sorted so.
    SpectrumModel model = was;
    for (std::size_t k = 0; k < fit.peaks.size() && k < model.peaks.size(); ++k) {
        PeakComponent& p = model.peaks[k];
        const FittedPeak& f = fit.peaks[k];
        p.kinetics = kinetics;
        if (!p.Et.fixed) p.Et.value = f.Et.value;
        if (!p.Vt.fixed) p.Vt.value = f.Vt.value;
        if (!p.charge.fixed) p.charge.value = f.charge.value;
        p.b = DefaultPeak(kinetics).b;
        if (kinetics == Kinetics::General) p.b.value = std::max(f.b.value, bStart);
    }
    ApplyFixes(model, fixed);
    const FittedBackground& b = fit.background;
    model.background.constant.value = b.constant.value;
    model.background.slope.value = b.slope.value;
    if (b.kind == BackgroundKind::Exponential) {
        model.background.amplitude.value = std::max(b.amplitude.value, 1e-9);
        model.background.scale.value = b.scale.value;
    }
    return model;
}

int RanAway(const SpectrumFit& fit) {
    return static_cast<int>(
        std::count_if(fit.peaks.begin(), fit.peaks.end(),
                      [](const FittedPeak& p) { return p.verdict == PeakVerdict::RanAway; }));
}

// The median Et/kTm of the peaks that held, for peaks that start anew.
double TypicalX(const SpectrumFit& fit) {
    std::vector<double> x;
    for (const FittedPeak& p : fit.peaks) {
        if (p.verdict != PeakVerdict::RanAway)
            x.push_back(p.Et.value / (kBoltzmannEv * p.Tm.value));
    }
    if (x.empty()) return 35;
    std::nth_element(x.begin(), x.begin() + x.size() / 2, x.end());
    return x[x.size() / 2];
}

std::optional<PeakStart> ResidualPeak(const Context& c, const SpectrumFit& fit);

// Peaks that ran away start once more where they started, each time with
// another energy, and from the height the others leave there; the others
// go on from where the fit left them.
SpectrumFit Reseeded(const Context& c, SpectrumFit fit, const SpectrumModel& model,
                     const std::vector<PeakStart>& starts) {
    const DeconvolutionRequest& r = c.request;
    const Kinetics kinetics = model.peaks.empty() ? r.kinetics : model.peaks.front().kinetics;
    for (const int round : {0, 1}) {
        if (RanAway(fit) == 0 || Stopped(c) || fit.peaks.size() != starts.size() ||
            fit.fitted.size() != c.data.y.size()) {
            break;
        }
        SpectrumModel next = ModelFromFit(fit, model, kinetics, 1, r.fixed);
        const double x = TypicalX(fit);
        for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
            if (fit.peaks[k].verdict != PeakVerdict::RanAway) continue;
            FitData rest = c.data;
            for (std::size_t i = 0; i < rest.y.size(); ++i) {
                rest.y[i] -= fit.fitted[i] - fit.peaks[k].current[i];
            }
            // First where it started; then where the others leave the most
            // of the measurement unexplained.
            PeakStart start = starts[k];
            start.Et = x * kBoltzmannEv * start.Tm;
            if (round == 1) {
                SpectrumFit others = fit;
                for (std::size_t i = 0; i < others.fitted.size(); ++i) {
                    others.fitted[i] -= fit.peaks[k].current[i];
                }
                if (const auto elsewhere = ResidualPeak(c, others)) start = *elsewhere;
            }
            const PeakStart one[] = {start};
            std::vector<FixedValue> fixed;
            for (FixedValue f : r.fixed) {
                if (f.peak == static_cast<int>(k)) fixed.push_back({0, f.name, f.value, f.asGiven});
            }
            const SpectrumModel fresh =
                StartModel(rest, one, kinetics, BackgroundKind::None, fixed, kGeneralStart);
            next.peaks[k] = fresh.peaks.front();
        }
        SpectrumFit again = FitModel(c, next);
        if (again.converged && RanAway(again) <= RanAway(fit) && Better(again, fit)) {
            fit = std::move(again);
        } else if (again.converged && RanAway(again) < RanAway(fit) &&
                   again.statistics.chi2 < 1.05 * fit.statistics.chi2) {
            fit = std::move(again);
        }
    }
    return fit;
}

// Of two fits the one to keep: a converged one, then the one with fewer
// peaks run away, then the lower sum of squares.
bool Preferred(const SpectrumFit& a, const SpectrumFit& b) {
    if (a.converged != b.converged) return a.converged;
    if (RanAway(a) != RanAway(b)) return RanAway(a) < RanAway(b);
    return Better(a, b);
}

// A fit from these starts, with peaks that run away started again, and
// retries from other energies until one converges. General order is reached
// from the first-order fit and, where that leaves peaks run away or fails,
// also directly from two start orders, since a spectrum of many broad peaks
// has many minima; the preferred wins.
SpectrumFit FitFromStarts(const Context& c, std::vector<PeakStart> starts) {
    std::sort(starts.begin(), starts.end(),
              [](const PeakStart& a, const PeakStart& b) { return a.Tm < b.Tm; });
    const DeconvolutionRequest& r = c.request;
    const bool general = r.kinetics == Kinetics::General;
    const Kinetics first = general ? Kinetics::First : r.kinetics;
    SpectrumFit best;
    bool haveBest = false;
    const auto keep = [&](SpectrumFit fit) {
        if (!haveBest || Preferred(fit, best)) {
            best = std::move(fit);
            haveBest = true;
        }
    };
    for (const double factor : kEnergyFactors) {
        if (Stopped(c)) break;
        SpectrumModel model = StartModel(c.data, starts, first, r.background, r.fixed, 1, factor);
        if (general) {
            // A peak whose order is held at another value than 1 is fitted
            // in its own order from the start.
            for (PeakComponent& p : model.peaks) {
                if (p.b.fixed && p.b.value != 1) p.kinetics = Kinetics::General;
            }
        }
        if (!general) {
            keep(Reseeded(c, FitModel(c, model), model, starts));
            if (best.converged) break;
            continue;
        }
        // The first-order fit is only a start here: its peaks that ran away
        // start again in the general-order fit.
        const SpectrumFit firstOrder = FitModel(c, model);
        if (!Stopped(c)) {
            const SpectrumModel staged =
                ModelFromFit(firstOrder, model, Kinetics::General, kGeneralStart, r.fixed);
            keep(Reseeded(c, FitModel(c, staged), staged, starts));
        }
        // The direct starts only where that did not give a clean fit.
        for (const double b : kGeneralOrderStarts) {
            if (Stopped(c) || (best.converged && RanAway(best) == 0)) break;
            const SpectrumModel direct =
                StartModel(c.data, starts, Kinetics::General, r.background, r.fixed, b, factor);
            keep(Reseeded(c, FitModel(c, direct), direct, starts));
        }
        if (best.converged) break;
    }
    return best;
}

std::vector<PeakStart> StartsOf(const std::vector<PeakCandidate>& candidates) {
    std::vector<PeakStart> starts;
    for (const PeakCandidate& p : candidates) {
        starts.push_back({p.Tm, 0, p.height, p.curvature, p.shoulder});
    }
    return starts;
}

// The fit's peaks as starts again, at their fitted tops and energies.
std::vector<PeakStart> StartsOf(const SpectrumFit& fit) {
    std::vector<PeakStart> starts;
    for (const FittedPeak& p : fit.peaks) {
        starts.push_back({p.Tm.value, p.Et.value, p.Im.value, 0, false});
    }
    return starts;
}

// Where the measurement rises most clearly above the fit: the strongest
// bend in the residuals that stands out of the noise.
std::vector<PeakStart> ResidualPeaks(const Context& c, const SpectrumFit& fit) {
    if (fit.fitted.size() != c.data.y.size()) return {};
    std::vector<double> residual(c.data.y.size());
    for (std::size_t i = 0; i < residual.size(); ++i) residual[i] = c.data.y[i] - fit.fitted[i];
    std::vector<PeakCandidate> found = SearchPeaks(c.data.T, residual).candidates;
    // By the area of the bump, height times width (the width of a bump of
    // that height and curvature): a single point thrown off by noise is high
    // but narrow, a missing peak is broad.
    const auto area = [](const PeakCandidate& p) {
        return p.height * std::sqrt(p.height / std::fabs(p.curvature));
    };
    std::sort(found.begin(), found.end(),
              [&](const PeakCandidate& a, const PeakCandidate& b) { return area(a) > area(b); });
    // Each with an energy like its neighbours'.
    const double typical = TypicalX(fit);
    std::vector<PeakStart> starts;
    for (const PeakCandidate& p : found) {
        if (!(area(p) > 0)) continue;
        starts.push_back({p.Tm, typical * kBoltzmannEv * p.Tm, p.height, p.curvature, true});
    }
    return starts;
}

std::optional<PeakStart> ResidualPeak(const Context& c, const SpectrumFit& fit) {
    const std::vector<PeakStart> starts = ResidualPeaks(c, fit);
    if (starts.empty()) return std::nullopt;
    return starts.front();
}

// The fit's values as a model to start from: held values stay held.
SpectrumModel ModelOf(const Context& c, const SpectrumFit& fit) {
    SpectrumModel model;
    for (const FittedPeak& p : fit.peaks) {
        PeakComponent component = DefaultPeak(c.request.kinetics);
        const auto take = [](Parameter& parameter, const Estimate& e) {
            parameter.value = e.value;
            parameter.fixed = !e.fitted && !e.derived;
        };
        take(component.Et, p.Et);
        take(component.Vt, p.Vt);
        take(component.charge, p.charge);
        if (c.request.kinetics == Kinetics::General) take(component.b, p.b);
        model.peaks.push_back(component);
    }
    const FittedBackground& b = fit.background;
    model.background.kind = c.request.background;
    model.background.constant.value = b.constant.value;
    model.background.slope.value = b.slope.value;
    model.background.amplitude = {std::max(b.amplitude.value, 0.0), false, 0, kUnbounded};
    model.background.scale.value = b.scale.value;
    return model;
}

// The fit again with one more peak, started where the fit leaves the
// measurement unexplained; the others start where they are.
SpectrumFit WithPeakAdded(const Context& c, const SpectrumFit& fit, const PeakStart& added) {
    SpectrumModel model = ModelOf(c, fit);
    FitData rest = c.data;
    for (std::size_t i = 0; i < rest.y.size(); ++i) rest.y[i] -= fit.fitted[i];
    const PeakStart one[] = {added};
    const SpectrumModel fresh =
        StartModel(rest, one, c.request.kinetics, BackgroundKind::None, {}, kGeneralStart);
    model.peaks.push_back(fresh.peaks.front());
    std::vector<PeakStart> starts = StartsOf(fit);
    starts.push_back(added);
    return Reseeded(c, FitModel(c, model), model, starts);
}

SpectrumFit WithPeakRemoved(const Context& c, const SpectrumFit& fit, std::size_t removed) {
    SpectrumModel model = ModelOf(c, fit);
    model.peaks.erase(model.peaks.begin() + static_cast<std::ptrdiff_t>(removed));
    return FitModel(c, model);
}

// Wald-Wolfowitz: how many standard deviations the number of runs of
// residuals of one sign lies below what independent residuals would give.
double RunsZ(const FitData& data, const SpectrumFit& fit) {
    double positive = 0, negative = 0, runs = 0;
    int last = 0;
    for (std::size_t i = 0; i < data.y.size(); ++i) {
        const double r = data.y[i] - fit.fitted[i];
        const int sign = r > 0 ? 1 : r < 0 ? -1 : 0;
        if (sign == 0) continue;
        (sign > 0 ? positive : negative) += 1;
        if (sign != last) runs += 1;
        last = sign;
    }
    const double n = positive + negative;
    if (n < 2 || positive == 0 || negative == 0) return 0;
    const double mean = 2 * positive * negative / n + 1;
    const double variance = (mean - 1) * (mean - 2) / (n - 1);
    return variance > 0 ? (runs - mean) / std::sqrt(variance) : 0;
}

std::string Format(const char* format, double a, double b = 0, double c = 0) {
    char text[200];
    std::snprintf(text, sizeof text, format, a, b, c);
    return text;
}

bool Enough(const Context& c, const SpectrumFit& fit, int peaks) {
    return c.data.T.size() >=
               kPointsPerFittedValue * static_cast<std::size_t>(FreeValueCount(c.request, peaks)) &&
           peaks <= kMostPeaks && !fit.peaks.empty();
}

bool AnyRanAway(const SpectrumFit& fit) { return RanAway(fit) > 0; }

// Peaks are dropped that ran away or that the data do not hold, while BIC
// allows; one more is added where the measurement is left unexplained while
// BIC falls by 10 (strong evidence), or falls at all while the residuals
// still run in long stretches of one sign and the new peak is determined.
// A refit can land in a poorer minimum and lead the search away from a
// clearly better fit; where the search ends 10 above the lowest BIC it met,
// it goes on from that fit instead.
SpectrumFit ChooseNumber(const Context& c, SpectrumFit fit) {
    std::string history;
    int returns = 0;
    for (int round = 0; round < kMostRounds && !Stopped(c); ++round) {
        bool changed = false;
        for (std::size_t k = 0; k < fit.peaks.size() && fit.peaks.size() > 1 && !Stopped(c); ++k) {
            const PeakVerdict verdict = fit.peaks[k].verdict;
            if (verdict == PeakVerdict::Determined && fit.converged) continue;
            const SpectrumFit fewer = WithPeakRemoved(c, fit, k);
            const bool better =
                !fit.converged || fewer.statistics.bic <= fit.statistics.bic + kBicSlack;
            if (fewer.converged && better) {
                const char* why = !fit.converged                    ? "the fit did not converge"
                                  : verdict == PeakVerdict::RanAway ? "it ran away"
                                                                    : "the data do not hold it";
                history += Format("; the peak at %.1f K dropped (", fit.peaks[k].Tm.value) + why +
                           Format("): BIC %.1f", fewer.statistics.bic);
                fit = fewer;
                changed = true;
                break;
            }
        }
        if (changed) continue;
        const int peaks = static_cast<int>(fit.peaks.size());
        // The likeliest places for one more peak, a few of them in turn.
        const std::vector<PeakStart> places =
            Enough(c, fit, peaks + 1) ? ResidualPeaks(c, fit) : std::vector<PeakStart>{};
        bool added = false;
        std::string tried;
        for (std::size_t k = 0; k < std::min<std::size_t>(places.size(), kPlacesTried); ++k) {
            if (Stopped(c)) break;
            const PeakStart& place = places[k];
            const SpectrumFit more = WithPeakAdded(c, fit, place);
            const double gain = fit.statistics.bic - more.statistics.bic;
            const bool holds =
                more.converged && !AnyRanAway(more) &&
                std::all_of(more.peaks.begin(), more.peaks.end(), [](const FittedPeak& p) {
                    return p.verdict == PeakVerdict::Determined;
                });
            const bool structure = RunsZ(c.data, fit) < kStructureZ;
            if (more.converged && (gain > kBicGain || (holds && structure && gain > 0))) {
                history +=
                    Format("; a peak added at %.1f K: BIC %.1f", place.Tm, more.statistics.bic);
                fit = more;
                added = true;
                break;
            }
            tried +=
                Format("; one more peak at %.1f K gave BIC %.1f", place.Tm, more.statistics.bic) +
                (!more.converged ? " and did not converge"
                 : gain <= 0     ? ", not lower"
                 : !structure    ? ", lower but not by 10, with no structure left in the residuals"
                                 : ", lower but not by 10, with a peak the data do not determine");
        }
        if (added) continue;
        history += tried;
        const std::optional<SpectrumFit>& lowest = c.lowest;
        if (returns < kMostReturns && fit.converged && lowest &&
            lowest->statistics.bic < fit.statistics.bic - kBicGain) {
            ++returns;
            history += Format("; back to the fit of %.0f peaks met on the way: BIC %.1f",
                              lowest->peaks.size(), lowest->statistics.bic);
            fit = *lowest;
            continue;
        }
        break;
    }
    fit.notes.push_back(
        Format("peaks: %.0f, chosen by BIC (%.1f)", fit.peaks.size(), fit.statistics.bic) +
        history);
    return fit;
}

SpectrumFit DeconvolveDirect(Context& c) {
    const DeconvolutionRequest& r = c.request;
    c.search = SearchPeaks(c.data.T, c.data.y);
    std::vector<PeakCandidate> candidates = c.search.candidates;
    if (candidates.empty()) {
        // No bend stands out: start from the largest point.
        const auto top = std::max_element(c.data.y.begin(), c.data.y.end());
        candidates.push_back({c.data.T[top - c.data.y.begin()], *top, 0, 0, false});
    }
    const auto byHeight = [](const PeakCandidate& a, const PeakCandidate& b) {
        return a.height > b.height;
    };
    std::vector<PeakStart> starts;
    switch (r.peaks.count) {
        case PeakCount::One:
            std::sort(candidates.begin(), candidates.end(), byHeight);
            starts = StartsOf({candidates.front()});
            break;
        case PeakCount::Number:
            std::sort(candidates.begin(), candidates.end(), byHeight);
            if (static_cast<int>(candidates.size()) > r.peaks.number)
                candidates.resize(r.peaks.number);
            starts = StartsOf(candidates);
            break;
        case PeakCount::Automatic:
            std::sort(candidates.begin(), candidates.end(), byHeight);
            if (candidates.size() > kMostPeaks) candidates.resize(kMostPeaks);
            starts = StartsOf(candidates);
            break;
        case PeakCount::AtTemperatures:
            for (const double T : r.peaks.temperatures) {
                // The curve's height and bend there, from the nearest candidate
                // when one lies close, else from the curve itself.
                PeakStart s{T, 0, 0, 0, true};
                const auto at = std::lower_bound(c.data.T.begin(), c.data.T.end(), T);
                const std::size_t i =
                    std::min<std::size_t>(at - c.data.T.begin(), c.data.T.size() - 1);
                s.height = c.data.y[i];
                for (const PeakCandidate& p : c.search.candidates) {
                    if (std::fabs(p.Tm - T) < 2 * c.search.halfWidth && !p.shoulder) {
                        s.curvature = p.curvature;
                        s.height = p.height;
                        s.shoulder = false;
                    }
                }
                starts.push_back(s);
            }
            break;
    }
    SpectrumFit fit = FitFromStarts(c, starts);
    if (r.peaks.count == PeakCount::Number) {
        while (static_cast<int>(fit.peaks.size()) < r.peaks.number && !fit.peaks.empty() &&
               !Stopped(c)) {
            const std::optional<PeakStart> added = ResidualPeak(c, fit);
            if (!added) break;
            SpectrumFit more = WithPeakAdded(c, fit, *added);
            if (more.peaks.size() <= fit.peaks.size()) break;
            fit = std::move(more);
        }
    }
    if (r.peaks.count == PeakCount::Automatic) {
        fit = ChooseNumber(c, std::move(fit));
        // The choice again from the clear maxima alone, in case shoulders in
        // the noise led it astray; the lower BIC wins.
        std::vector<PeakCandidate> maxima;
        for (const PeakCandidate& p : candidates) {
            if (!p.shoulder) maxima.push_back(p);
        }
        if (!maxima.empty() && maxima.size() < candidates.size() && !Stopped(c)) {
            SpectrumFit other = ChooseNumber(c, FitFromStarts(c, StartsOf(maxima)));
            if (other.converged && (!fit.converged || other.statistics.bic < fit.statistics.bic)) {
                fit = std::move(other);
            }
        }
    }
    if (fit.fitted.size() == c.data.y.size()) {
        const double z = RunsZ(c.data, fit);
        fit.notes.push_back(Format("residual runs test: z = %.1f", z) +
                            (z < -3 ? " (structure left in the residuals)" : ""));
    }
    return fit;
}

// Where values were held and the fit failed, the held values are the likely
// reason, and the failure says so.
SpectrumFit NamingHeldValues(SpectrumFit fit, const DeconvolutionRequest& request) {
    if (fit.converged || fit.cancelled || request.fixed.empty()) return fit;
    static constexpr const char* kUnits[] = {" eV", " Hz", " A s", ""};
    std::string held;
    for (const FixedValue& f : request.fixed) {
        const std::string value = f.asGiven.empty() ? std::string(ParameterName(f.name)) + " = " +
                                                          Format("%.6g", f.value) +
                                                          kUnits[static_cast<int>(f.name)]
                                                    : f.asGiven;
        held += (held.empty() ? "" : ", ") + value + " of peak " + std::to_string(f.peak + 1);
    }
    fit.failure += "; the values held (" + held + ") may lie outside what the data allow";
    fit.heldValuesSuspect = true;
    return fit;
}

SpectrumFit DeconvolveCurve(std::span<const double> T, std::span<const double> y,
                            const DeconvolutionRequest& request) {
    const double started = ThreadSeconds();
    Context c{MakeData(T, y, request),
              request,
              {},
              started + FitTimeAllowance(T.size(), request.peaks.number)};
    if (T.size() <= kDirectPoints) return DeconvolveDirect(c);

    // A large curve: the peaks found and fitted in bins, then the fit on
    // every point from there.
    const BinnedCurve binned = Binned(T, y, kCoarseBins);
    Context coarse{MakeData(binned.T, binned.y, request), request, {}, c.deadline};
    SpectrumFit rough = DeconvolveDirect(coarse);
    if (rough.peaks.empty()) return rough;
    SpectrumModel model;
    model.background.kind = request.background;
    for (const FittedPeak& p : rough.peaks) {
        PeakComponent component = DefaultPeak(request.kinetics);
        component.Et.value = p.Et.value;
        component.Vt.value = p.Vt.value;
        component.charge.value = p.charge.value;
        component.b.value = p.b.value;
        model.peaks.push_back(component);
    }
    model = ModelFromFit(rough, model, request.kinetics, 1, request.fixed);
    SpectrumFit fine = FitModel(c, model);
    fine.notes = rough.notes;
    fine.notes.insert(fine.notes.begin(),
                      Format("%.0f points: peaks found and first fitted on %.0f bins", T.size(),
                             binned.T.size()));
    return fine;
}

}  // namespace

double FitTimeAllowance(std::size_t points, int peaks) {
    return 1.5 + 1.5e-6 * static_cast<double>(points) * std::max(1, peaks);
}

int FreeValueCount(const DeconvolutionRequest& request, int peaks) {
    int perPeak = 3 + (request.kinetics == Kinetics::General ? 1 : 0);
    int free = perPeak * peaks;
    for (const FixedValue& f : request.fixed) {
        if (f.peak < peaks &&
            (f.name != PeakParameter::B || request.kinetics == Kinetics::General)) {
            --free;
        }
    }
    const BackgroundKind k = request.background;
    free += k == BackgroundKind::Constant      ? 1
            : k == BackgroundKind::Linear      ? 2
            : k == BackgroundKind::Exponential ? 3
                                               : 0;
    return free;
}

SpectrumFit Deconvolve(std::span<const double> T, std::span<const double> y,
                       const DeconvolutionRequest& request) {
    // The window's model is one level's.
    DeconvolutionRequest asked = request;
    if (asked.kinetics == Kinetics::Window) asked.peaks = {PeakCount::One, 1, {}};
    return NamingHeldValues(DeconvolveCurve(T, y, asked), asked);
}

}  // namespace tsc::analysis
