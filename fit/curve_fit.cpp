#include "curve_fit.h"

#include <cmath>

#include "deconvolution.h"
#include "legacy_model.h"
#include "physical_constants.h"

namespace tsc::analysis {
namespace {

// The released charge of Nt (cm^-2) over S (mm^2), in A s.
double ChargePerDensity(double S) { return kElementaryCharge * S * kMm2ToM2 * kPerCm2ToPerM2; }

FittedValue Value(const Estimate& e, double scale = 1) {
    return {e.value * scale, e.fitted ? e.stderr_ * scale : 0, e.fitted};
}

BackgroundKind KindOf(Background b) {
    return b == Background::Linear     ? BackgroundKind::Linear
           : b == Background::Constant ? BackgroundKind::Constant
                                       : BackgroundKind::None;
}

}  // namespace

std::size_t FittedParameterCount(const FitOptions& o) {
    const std::size_t background = o.background == Background::Linear     ? 2
                                   : o.background == Background::Constant ? 1
                                                                          : 0;
    return 3 - o.fixedEt.has_value() - o.fixedVt.has_value() - o.fixedNt.has_value() + background;
}

FitResult FitCurve(const MeasuredCurve& curve, const FitOptions& options) {
    DeconvolutionRequest request;
    request.betaPerSecond = options.Beta / kSecondsPerMinute;
    request.kinetics = options.model == FitModel::Legacy ? Kinetics::Window : Kinetics::First;
    request.background = KindOf(options.background);
    request.windowStep = options.step;
    const double perDensity = ChargePerDensity(options.S);
    if (options.fixedEt) request.fixed.push_back({0, PeakParameter::Et, *options.fixedEt});
    if (options.fixedVt) request.fixed.push_back({0, PeakParameter::Vt, *options.fixedVt});
    if (options.fixedNt) {
        request.fixed.push_back({0, PeakParameter::Charge, *options.fixedNt * perDensity});
    }
    const SpectrumFit fit = Deconvolve(curve.T, curve.I, request);

    FitResult r;
    r.converged = fit.converged;
    r.failure = fit.failure;
    r.iterations = fit.iterations;
    r.points = curve.T.size();
    r.fitted = fit.fitted;
    r.fomPercent = fit.statistics.fomPercent;
    r.r2 = fit.statistics.r2;
    r.reducedChi2 = fit.statistics.reducedChi2;
    r.constant = Value(fit.background.constant);
    r.slope = Value(fit.background.slope);
    if (!fit.peaks.empty()) {
        const FittedPeak& p = fit.peaks.front();
        r.Et = Value(p.Et);
        r.Vt = Value(p.Vt);
        r.Nt = Value(p.charge, 1 / perDensity);
        r.corrEtLnVt = p.corrEtLnVt;
        r.Tm = p.Tm.value;
        r.Im = p.Im.value;
        if (r.converged && p.verdict == PeakVerdict::RanAway) {
            r.converged = false;
            r.failure = "the peak ran away: " + p.why;
        }
    }
    return r;
}

MeasuredCurve WithinRange(const MeasuredCurve& curve, double low, double high) {
    MeasuredCurve within;
    for (std::size_t i = 0; i < curve.T.size(); ++i) {
        if (curve.T[i] >= low && curve.T[i] <= high) {
            within.T.push_back(curve.T[i]);
            within.I.push_back(curve.I[i]);
        }
    }
    return within;
}

}  // namespace tsc::analysis
