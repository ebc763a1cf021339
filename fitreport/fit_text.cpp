#include "fit_text.h"

#include <cmath>
#include <cstdio>

#include "value_text.h"

namespace tsc::analysis {
namespace {

// The unit of the measured values: a current with a cross-section given,
// else whatever the file holds (counts, arbitrary units).
struct Units {
    std::string current, charge;
};

Units UnitsOf(const FitDescription& d) {
    if (d.areaMm2) return {" A", " A s"};
    return {"", ""};
}

std::string Head(const SpectrumFit& fit, const FitDescription& d) {
    std::string head = "Fit of " + d.file + " at " + RateText(d.beta) + " with ";
    const std::size_t peaks = fit.peaks.size();
    if (d.kinetics == Kinetics::Window) {
        head += "the legacy model";
    } else if (peaks <= 1 && d.kinetics == Kinetics::First) {
        head += "the standard model";
    } else {
        const std::string order = d.kinetics == Kinetics::First    ? "first-order"
                                  : d.kinetics == Kinetics::Second ? "second-order"
                                                                   : "general-order";
        head +=
            peaks == 1 ? "one " + order + " peak" : std::to_string(peaks) + " " + order + " peaks";
    }
    head += ", " + std::to_string(fit.statistics.points) + " points: ";
    if (!fit.converged) return head + "NOT converged (" + fit.failure + "); no values.\n";
    return head + "converged after " + std::to_string(fit.iterations) + " iterations.\n";
}

std::string BackgroundLines(const FittedBackground& b, const Units& u) {
    std::string text;
    switch (b.kind) {
        case BackgroundKind::None:
            break;
        case BackgroundKind::Constant:
            text += "  background         " + WithError(b.constant, u.current) + "\n";
            break;
        case BackgroundKind::Linear:
            text += "  background         constant + slope·(T − " + Significant(b.To, 8) + " K)\n";
            text += "    constant = " + WithError(b.constant, u.current) + "\n";
            text += "    slope    = " + WithError(b.slope, u.current + "/K") + "\n";
            break;
        case BackgroundKind::Exponential:
            text += "  background         a + B·exp((T − " + Significant(b.Tend, 8) + " K)/d)\n";
            text += "    a = " + WithError(b.constant, u.current) + "\n";
            text += "    B = " + WithError(b.amplitude, u.current) + "\n";
            text += "    d = " + WithError(b.scale, " K") + "\n";
            break;
    }
    return text;
}

std::string OnePeak(const FittedPeak& p, const FitDescription& d, const Units& u) {
    std::string text;
    text += "  activation energy  Et = " + WithError(p.Et, " eV") + "\n";
    text += "  escape frequency   νt = " + WithError(p.Vt, " Hz") + "\n";
    if (p.kinetics == Kinetics::General || p.kinetics == Kinetics::Second) {
        text += "  kinetic order      b = " + WithError(p.b, "") + "\n";
    }
    if (d.areaMm2) {
        Estimate Nt = p.charge;
        const double scale = DensityOfCharge(1, *d.areaMm2);
        Nt.value *= scale;
        Nt.stderr_ *= scale;
        text += "  trap density       Nt = " + WithError(Nt, " cm⁻²") + "\n";
    } else {
        text += "  released charge    ∫I dt = " + WithError(p.charge, u.charge) + "\n";
    }
    return text;
}

std::string PeakTable(const SpectrumFit& fit, const FitDescription& d, const Units& u) {
    const bool density = d.areaMm2.has_value();
    std::string text = "  " + Pad("peak", 5) + Pad("Tm (K)", 10) +
                       Pad(u.current.empty() ? "Im" : "Im (" + u.current.substr(1) + ")", 12) +
                       Pad("Et (eV)", 22) + Pad("νt (Hz)", 26) + Pad("b", 18) +
                       Pad(density            ? "Nt (cm⁻²)"
                           : u.charge.empty() ? "∫I dt"
                                              : "∫I dt (" + u.charge.substr(1) + ")",
                           25) +
                       "share\n";
    for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
        const FittedPeak& p = fit.peaks[k];
        text += "  " + Pad(std::to_string(k + 1), 5);
        if (p.verdict == PeakVerdict::RanAway) {
            text += "ran away: " + p.why + "\n";
            continue;
        }
        Estimate charge = p.charge;
        if (density) {
            const double scale = DensityOfCharge(1, *d.areaMm2);
            charge.value *= scale;
            charge.stderr_ *= scale;
        }
        text += Pad(Significant(p.Tm.value, 6), 10) + Pad(Significant(p.Im.value, 4), 12) +
                Pad(WithError(p.Et, ""), 22) + Pad(WithError(p.Vt, ""), 26) +
                Pad(WithError(p.b, ""), 18) + Pad(WithError(charge, ""), 25) +
                Significant(100 * p.share, 3) + " %\n";
    }
    return text;
}

}  // namespace

std::string FitText(const SpectrumFit& fit, const FitDescription& d) {
    std::string text = Head(fit, d);
    if (!fit.converged) return text;
    text += "\n";
    const Units u = UnitsOf(d);
    const bool one = fit.peaks.size() == 1 && fit.peaks.front().verdict != PeakVerdict::RanAway;
    if (one) {
        text += OnePeak(fit.peaks.front(), d, u);
        text += BackgroundLines(fit.background, u);
        text +=
            "  correlation of Et and ln νt: " + Significant(fit.peaks.front().corrEtLnVt, 4) + "\n";
        text += PeakRemarks(fit.peaks);
        const FittedPeak& p = fit.peaks.front();
        text += "\n  fitted peak        Tm = " + Significant(p.Tm.value, 8) +
                " K, Im = " + Significant(p.Im.value, 6) + u.current + "\n";
    } else {
        text += PeakTable(fit, d, u);
        text += PeakRemarks(fit.peaks);
        text += BackgroundLines(fit.background, u);
        text += "\n";
    }
    const FitStatistics& s = fit.statistics;
    const std::string squared =
        d.weighting == Weighting::Poisson || u.current.empty() ? "" : u.current + "²";
    text += "  FOM = " + Significant(s.fomPercent, 3) + " %, R² = " + Significant(s.r2, 8) +
            ", reduced χ² = " + Significant(s.reducedChi2, 3) + squared + "\n";
    text += "  AIC = " + Fixed(s.aic, 1) + ", BIC = " + Fixed(s.bic, 1) + " (" +
            std::to_string(s.freeParameters) + " values fitted)\n";
    if (d.range) {
        text += "  fitted between " + Significant(d.range->first, 8) + " and " +
                Significant(d.range->second, 8) + " K\n";
    }
    if (d.reorderedPoints > 0) {
        text += "  " + std::to_string(d.reorderedPoints) +
                " points were out of temperature order in the file and have been sorted\n";
    }
    for (const std::string& note : fit.notes) text += "  " + note + "\n";
    return text;
}

}  // namespace tsc::analysis
