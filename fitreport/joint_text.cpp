#include "joint_text.h"

#include <cmath>

#include "value_text.h"

namespace tsc::analysis {
namespace {

std::string Rates(const JointDescription& d) {
    std::string text;
    for (std::size_t c = 0; c < d.curves.size(); ++c) {
        text += c == 0 ? "" : c + 1 == d.curves.size() ? " and " : ", ";
        text += RateText(d.curves[c].beta);
    }
    return text;
}

std::string Head(const JointFit& fit, const JointDescription& d) {
    const FitDescription& first = d.curves.front();
    const std::size_t peaks = fit.peaks.size();
    const std::string order = first.kinetics == Kinetics::Second    ? "second-order"
                              : first.kinetics == Kinetics::General ? "general-order"
                                                                    : "first-order";
    std::string head =
        "Fit of " + std::to_string(d.curves.size()) + " curves at " + Rates(d) + " together, ";
    if (fit.converged) {
        head += (peaks == 1 ? "one " + order + " peak"
                            : std::to_string(peaks) + " " + order + " peaks") +
                " ";
    }
    head += "with " + SharedNames(d) + " shared, " + std::to_string(fit.statistics.points) +
            " points: ";
    if (!fit.converged) return head + "NOT converged (" + fit.failure + "); no values.\n";
    return head + "converged after " + std::to_string(fit.iterations) + " iterations.\n";
}

Estimate Density(Estimate charge, const FitDescription& d) {
    if (!d.areaMm2) return charge;
    const double scale = DensityOfCharge(1, *d.areaMm2);
    charge.value *= scale;
    charge.stderr_ *= scale;
    return charge;
}

std::string ChargeTitle(const FitDescription& d) { return d.areaMm2 ? "Nt (cm⁻²)" : "∫I dt"; }

std::string SharedTable(const JointFit& fit, const JointDescription& d) {
    const FitDescription& first = d.curves.front();
    std::string text = "  shared by every curve\n  " + Pad("peak", 5) + Pad("Et (eV)", 22) +
                       Pad("νt (Hz)", 26) + Pad("b", 18) + Pad("corr(Et, ln νt)", 17) +
                       (d.sharedCharge ? ChargeTitle(first) : "") + "\n";
    for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
        const FittedPeak& p = fit.peaks[k];
        text += "  " + Pad(std::to_string(k + 1), 5);
        if (p.verdict == PeakVerdict::RanAway) {
            text += "ran away: " + p.why + "\n";
            continue;
        }
        text += Pad(WithError(p.Et, ""), 22) + Pad(WithError(p.Vt, ""), 26) +
                Pad(WithError(p.b, ""), 18) + Pad(Significant(p.corrEtLnVt, 4), 17) +
                (d.sharedCharge ? WithError(Density(p.charge, first), "") : "") + "\n";
    }
    return text + PeakRemarks(fit.peaks);
}

std::string Background(const FittedBackground& b, const std::string& unit) {
    switch (b.kind) {
        case BackgroundKind::None:
            return "";
        case BackgroundKind::Constant:
            return "    background " + WithError(b.constant, unit) + "\n";
        case BackgroundKind::Linear:
            return "    background " + WithError(b.constant, unit) + " + " +
                   WithError(b.slope, unit + "/K") + "·(T − " + Significant(b.To, 8) + " K)\n";
        case BackgroundKind::Exponential:
            return "    background " + WithError(b.constant, unit) + " + " +
                   WithError(b.amplitude, unit) + "·exp((T − " + Significant(b.Tend, 8) + " K)/" +
                   WithError(b.scale, " K") + ")\n";
    }
    return "";
}

std::string CurveLines(const SpectrumFit& curve, const FitDescription& d, std::size_t c) {
    const std::string unit = d.areaMm2 ? " A" : "";
    std::string text = "\n  curve " + std::to_string(c + 1) + ": " + d.file + " at " +
                       RateText(d.beta) + ", " + std::to_string(curve.statistics.points) +
                       " points: FOM = " + Significant(curve.statistics.fomPercent, 3) +
                       " %, R² = " + Significant(curve.statistics.r2, 8) + "\n";
    text += "    " + Pad("peak", 5) + Pad("Tm (K)", 10) + Pad("Im" + unit, 12) +
            Pad(ChargeTitle(d) + (d.areaMm2 ? "" : unit), 25) + "share\n";
    for (std::size_t k = 0; k < curve.peaks.size(); ++k) {
        const FittedPeak& p = curve.peaks[k];
        text += "    " + Pad(std::to_string(k + 1), 5);
        if (p.verdict == PeakVerdict::RanAway) {
            text += "ran away\n";
            continue;
        }
        text += Pad(Significant(p.Tm.value, 6), 10) + Pad(Significant(p.Im.value, 4), 12) +
                Pad(WithError(Density(p.charge, d), ""), 25) + Significant(100 * p.share, 3) +
                " %\n";
    }
    return text + Background(curve.background, unit);
}

std::string Comparison(const JointFit& fit, const JointDescription& d) {
    std::string text =
        "\n  for comparison, Et (eV) of each curve's own fit, and of the "
        "heating-rate method through their tops\n";
    for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
        text += "    peak " + std::to_string(k + 1) + ":";
        for (std::size_t c = 0; c < fit.singles.size() && c < d.curves.size(); ++c) {
            const SpectrumFit& single = fit.singles[c];
            text += c == 0 ? " " : ", ";
            if (single.converged && k < single.peaks.size() &&
                single.peaks[k].verdict != PeakVerdict::RanAway) {
                text += WithError(single.peaks[k].Et, "");
            } else {
                text += "none";
            }
            text += " (" + RateText(d.curves[c].beta) + ")";
        }
        text += "; heating-rate method ";
        const RateMethodEnergy rate =
            k < d.rateMethod.size() ? d.rateMethod[k] : RateMethodEnergy{};
        if (!rate.refusal.empty()) {
            text += "none: " + rate.refusal;
        } else {
            Estimate e;
            e.value = rate.Et;
            e.stderr_ = rate.stderr_;
            e.fitted = true;
            text += std::isfinite(rate.stderr_) ? WithError(e, "") : Significant(rate.Et, 6);
        }
        text += "\n";
    }
    return text;
}

}  // namespace

std::string SharedNames(const JointDescription& d) {
    return d.sharedCharge ? "Et, νt, b and Nt" : "Et, νt and b";
}

std::string JointText(const JointFit& fit, const JointDescription& d) {
    std::string text = Head(fit, d);
    if (!fit.converged) return text;
    text += "\n" + SharedTable(fit, d);
    for (std::size_t c = 0; c < fit.curves.size() && c < d.curves.size(); ++c) {
        text += CurveLines(fit.curves[c], d.curves[c], c);
    }
    const FitStatistics& s = fit.statistics;
    text += "\n  overall FOM = " + Significant(s.fomPercent, 3) +
            " %, R² = " + Significant(s.r2, 8) + ", reduced χ² = " + Significant(s.reducedChi2, 3) +
            (d.curves.front().weighting == Weighting::Poisson
                 ? "\n"
                 : " (each curve weighted by the noise its own fit leaves)\n");
    text += "  AIC = " + Fixed(s.aic, 1) + ", BIC = " + Fixed(s.bic, 1) + " (" +
            std::to_string(s.freeParameters) + " values fitted)\n";
    text += Comparison(fit, d);
    for (const std::string& note : fit.notes) text += "  " + note + "\n";
    return text;
}

}  // namespace tsc::analysis
