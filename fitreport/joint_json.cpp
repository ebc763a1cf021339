#include "joint_json.h"

#include "json_writer.h"

namespace tsc::analysis {
namespace {

Json Charge(JsonWriter& w, const std::string& at, const FittedPeak& p, const FitDescription& d,
            Json& peak) {
    if (d.areaMm2)
        peak["Nt_cm2"] = w.Value(at + "Nt_cm2", p.charge, DensityOfCharge(1, *d.areaMm2));
    return w.Value(at + "charge", p.charge);
}

Json SharedPeaks(JsonWriter& w, const JointFit& fit, const JointDescription& d) {
    Json peaks = Json::array();
    for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
        const FittedPeak& p = fit.peaks[k];
        const std::string at = "peaks[" + std::to_string(k) + "].";
        Json peak;
        peak["verdict"] = VerdictKey(p.verdict);
        if (!p.why.empty()) peak["why"] = p.why;
        if (p.verdict != PeakVerdict::RanAway) {
            peak["Et_eV"] = w.Value(at + "Et_eV", p.Et);
            peak["Vt_Hz"] = w.Value(at + "Vt_Hz", p.Vt);
            peak["b"] = w.Value(at + "b", p.b);
            if (d.sharedCharge) peak["charge"] = Charge(w, at, p, d.curves.front(), peak);
            peak["corr_Et_lnVt"] = w.Number(at + "corr_Et_lnVt", p.corrEtLnVt);
        }
        Json singles = Json::array();
        for (std::size_t c = 0; c < fit.singles.size(); ++c) {
            const SpectrumFit& single = fit.singles[c];
            const bool has = single.converged && k < single.peaks.size() &&
                             single.peaks[k].verdict != PeakVerdict::RanAway;
            singles.push_back(
                has ? w.Value(at + "single_Et_eV[" + std::to_string(c) + "]", single.peaks[k].Et)
                    : Json(nullptr));
        }
        peak["single_Et_eV"] = std::move(singles);
        if (k < d.rateMethod.size() && d.rateMethod[k].refusal.empty()) {
            Json rate;
            rate["value"] = w.Number(at + "heating_rate_Et_eV", d.rateMethod[k].Et);
            rate["stderr"] = w.Number(at + "heating_rate_Et_eV.stderr", d.rateMethod[k].stderr_);
            peak["heating_rate_Et_eV"] = std::move(rate);
        } else {
            peak["heating_rate_Et_eV"] = nullptr;
        }
        peaks.push_back(std::move(peak));
    }
    return peaks;
}

Json CurveObject(JsonWriter& w, const SpectrumFit& curve, const FitDescription& d, std::size_t c) {
    const std::string at = "curves[" + std::to_string(c) + "].";
    Json object;
    object["file"] = d.file;
    object["beta_K_per_min"] = w.Number(at + "beta_K_per_min", d.beta.kPerMin);
    object["points"] = curve.statistics.points;
    object["fom_percent"] = w.Number(at + "fom_percent", curve.statistics.fomPercent);
    object["r2"] = w.Number(at + "r2", curve.statistics.r2);
    object["background"] = BackgroundJson(w, at + "background.", curve.background);
    Json peaks = Json::array();
    for (std::size_t k = 0; k < curve.peaks.size(); ++k) {
        const FittedPeak& p = curve.peaks[k];
        const std::string in = at + "peaks[" + std::to_string(k) + "].";
        Json peak;
        if (p.verdict != PeakVerdict::RanAway) {
            peak["Tm_K"] = w.Number(in + "Tm_K", p.Tm.value);
            peak["Im"] = w.Number(in + "Im", p.Im.value);
            peak["charge"] = Charge(w, in, p, d, peak);
            peak["share"] = w.Number(in + "share", p.share);
        }
        peaks.push_back(std::move(peak));
    }
    object["peaks"] = std::move(peaks);
    return object;
}

}  // namespace

nlohmann::ordered_json JointJson(const JointFit& fit, const JointDescription& d) {
    JsonWriter w;
    Json j;
    const FitDescription& first = d.curves.front();
    j["model"] = ModelName(first.kinetics);
    j["converged"] = fit.converged;
    if (!fit.converged) j["failure"] = fit.failure;
    j["iterations"] = fit.iterations;
    j["points"] = fit.statistics.points;
    j["kinetics"] = KineticsKey(first.kinetics);
    j["background_kind"] = BackgroundName(first.background);
    j["weights"] = first.weighting == Weighting::Poisson ? "poisson" : "none";
    j["shared"] = d.sharedCharge ? Json{"Et", "Vt", "b", "Nt"} : Json{"Et", "Vt", "b"};
    j["evaluations"] = fit.evaluations;
    if (fit.converged) {
        const FitStatistics& s = fit.statistics;
        j["fom_percent"] = w.Number("fom_percent", s.fomPercent);
        j["r2"] = w.Number("r2", s.r2);
        j["reduced_chi2"] = w.Number("reduced_chi2", s.reducedChi2);
        j["aic"] = w.Number("aic", s.aic);
        j["bic"] = w.Number("bic", s.bic);
        j["free_parameters"] = s.freeParameters;
        j["peaks"] = SharedPeaks(w, fit, d);
    } else {
        j["peaks"] = Json::array();
    }
    Json curves = Json::array();
    for (std::size_t c = 0; c < d.curves.size(); ++c) {
        if (fit.converged && c < fit.curves.size()) {
            curves.push_back(CurveObject(w, fit.curves[c], d.curves[c], c));
        } else {
            curves.push_back(
                {{"file", d.curves[c].file},
                 {"beta_K_per_min", w.Number("curves[" + std::to_string(c) + "].beta_K_per_min",
                                             d.curves[c].beta.kPerMin)}});
        }
    }
    j["curves"] = std::move(curves);
    j["notes"] = fit.notes;
    w.Finish(j);
    return j;
}

std::string JointJsonText(const JointFit& fit, const JointDescription& d) {
    return JsonLine(JointJson(fit, d));
}

}  // namespace tsc::analysis
