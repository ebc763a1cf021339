#include "fit_json.h"

#include "json_writer.h"

namespace tsc::analysis {

nlohmann::ordered_json FitJson(const SpectrumFit& fit, const FitDescription& d) {
    JsonWriter w;
    Json j;
    // The keys of the first one-peak fits come first, in their order.
    j["model"] = ModelName(d.kinetics);
    j["converged"] = fit.converged;
    if (!fit.converged) j["failure"] = fit.failure;
    j["iterations"] = fit.iterations;
    j["points"] = fit.statistics.points;
    const bool one =
        fit.converged && fit.peaks.size() == 1 && fit.peaks.front().verdict != PeakVerdict::RanAway;
    if (one) {
        const FittedPeak& p = fit.peaks.front();
        j["Et_eV"] = w.Value("Et_eV", p.Et);
        j["Vt_Hz"] = w.Value("Vt_Hz", p.Vt);
        if (d.areaMm2) {
            j["Nt_cm2"] = w.Value("Nt_cm2", p.charge, DensityOfCharge(1, *d.areaMm2));
        }
        if (p.b.fitted) j["b"] = w.Value("b", p.b);
    }
    if (fit.converged) j["background"] = BackgroundJson(w, "background.", fit.background);
    if (one) {
        const FittedPeak& p = fit.peaks.front();
        if (p.Et.fitted && p.Vt.fitted) {
            j["corr_Et_lnVt"] = w.Number("corr_Et_lnVt", p.corrEtLnVt);
        } else {
            j["corr_Et_lnVt"] = w.Null("corr_Et_lnVt", "Et or Vt is held fixed");
        }
        j["Tm_K"] = w.Number("Tm_K", p.Tm.value);
        j["Im_A"] = w.Number("Im_A", p.Im.value);
    }
    const FitStatistics& s = fit.statistics;
    if (fit.converged) {
        j["fom_percent"] = w.Number("fom_percent", s.fomPercent);
        j["r2"] = w.Number("r2", s.r2);
        j["reduced_chi2"] = w.Number("reduced_chi2", s.reducedChi2);
    }
    j["kinetics"] = KineticsKey(d.kinetics);
    j["background_kind"] = BackgroundName(d.background);
    j["weights"] = d.weighting == Weighting::Poisson ? "poisson" : "none";
    j["beta_K_per_min"] = w.Number("beta_K_per_min", d.beta.kPerMin);
    j["evaluations"] = fit.evaluations;
    j["reordered_points"] = d.reorderedPoints;
    if (!fit.converged) {
        j["peaks"] = Json::array();
        w.Finish(j);
        return j;
    }
    j["aic"] = w.Number("aic", s.aic);
    j["bic"] = w.Number("bic", s.bic);
    j["free_parameters"] = s.freeParameters;

    Json peaks = Json::array();
    for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
        const FittedPeak& p = fit.peaks[k];
        const std::string at = "peaks[" + std::to_string(k) + "].";
        Json peak;
        peak["verdict"] = VerdictKey(p.verdict);
        if (!p.why.empty()) peak["why"] = p.why;
        if (p.verdict != PeakVerdict::RanAway) {
            peak["Tm_K"] = w.Value(at + "Tm_K", p.Tm);
            peak["Im"] = w.Value(at + "Im", p.Im);
            peak["Et_eV"] = w.Value(at + "Et_eV", p.Et);
            peak["Vt_Hz"] = w.Value(at + "Vt_Hz", p.Vt);
            peak["b"] = w.Value(at + "b", p.b);
            if (d.areaMm2) {
                peak["Nt_cm2"] = w.Value(at + "Nt_cm2", p.charge, DensityOfCharge(1, *d.areaMm2));
            }
            peak["charge"] = w.Value(at + "charge", p.charge);
            peak["share"] = w.Number(at + "share", p.share);
            peak["corr_Et_lnVt"] = p.Et.fitted && p.Vt.fitted
                                       ? w.Number(at + "corr_Et_lnVt", p.corrEtLnVt)
                                       : w.Null(at + "corr_Et_lnVt", "Et or Vt is held fixed");
        }
        peaks.push_back(std::move(peak));
    }
    j["peaks"] = std::move(peaks);
    j["notes"] = fit.notes;
    w.Finish(j);
    return j;
}

std::string FitJsonText(const SpectrumFit& fit, const FitDescription& description) {
    return JsonLine(FitJson(fit, description));
}

}  // namespace tsc::analysis
