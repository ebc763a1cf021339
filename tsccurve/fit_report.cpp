#include "fit_report.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "json_object.h"

namespace {

using tsc::analysis::Background;
using tsc::analysis::FitModel;
using tsc::analysis::FitResult;
using tsc::analysis::FittedValue;

Json ValueJson(const FittedValue& v) {
    return JsonObject().AddNumber("value", v.value).AddNumber("stderr", v.stderr_).Done();
}

// The shortest text that reads back as the same double.
std::string CsvNumber(double value) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc{} ? std::string(text, end) : "nan";
}

std::string Significant(double value, int digits) {
    if (!std::isfinite(value)) return "undefined";
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

std::string WithError(const FittedValue& v, const char* unit) {
    if (!v.fitted) return Significant(v.value, 6) + " " + unit + " (fixed)";
    return Significant(v.value, 6) + " ± " + Significant(v.stderr_, 2) + " " + unit;
}

const char* ModelName(FitModel model) {
    return model == FitModel::Standard ? "standard" : "legacy";
}

}  // namespace

std::string FitJson(const FitResult& fit, FitModel model) {
    JsonObject background;
    if (fit.constant.fitted) background.Add("constant", ValueJson(fit.constant));
    if (fit.slope.fitted) background.Add("slope", ValueJson(fit.slope));
    JsonObject json;
    json.Add("model", ModelName(model))
        .Add("converged", fit.converged)
        .Add("iterations", fit.iterations)
        .Add("points", fit.points)
        .Add("Et_eV", ValueJson(fit.Et))
        .Add("Vt_Hz", ValueJson(fit.Vt))
        .Add("Nt_cm2", ValueJson(fit.Nt))
        .Add("background", background.Done());
    if (!fit.Et.fitted || !fit.Vt.fitted) {
        json.AddNull("corr_Et_lnVt", "Et or Vt is held fixed");
    } else {
        json.AddNumber("corr_Et_lnVt", fit.corrEtLnVt);
    }
    json.AddNumber("Tm_K", fit.Tm)
        .AddNumber("Im_A", fit.Im)
        .AddNumber("fom_percent", fit.fomPercent)
        .AddNumber("r2", fit.r2)
        .AddNumber("reduced_chi2", fit.reducedChi2);
    return JsonText(json.Done()) + "\n";
}

std::vector<std::string> FitCaption(const FitResult& fit, FitModel model) {
    std::vector<std::string> lines = {
        std::string(ModelName(model)) + " model, " + std::to_string(fit.points) + " points",
        "Et = " + WithError(fit.Et, "eV"),
        "νt = " + WithError(fit.Vt, "Hz"),
        "Nt = " + WithError(fit.Nt, "cm⁻²"),
    };
    if (fit.constant.fitted) lines.push_back("background = " + WithError(fit.constant, "A"));
    if (fit.slope.fitted) lines.push_back("slope = " + WithError(fit.slope, "A/K"));
    lines.push_back("Tm = " + Significant(fit.Tm, 6) + " K, Im = " + Significant(fit.Im, 4) + " A");
    lines.push_back("FOM = " + Significant(fit.fomPercent, 3) +
                    " %, R² = " + Significant(fit.r2, 6));
    return lines;
}

std::string FitText(const FitResult& fit, FitModel model, const std::string& fileName, double To) {
    const std::string head = "Fit of " + fileName + " with the " + ModelName(model) + " model, " +
                             std::to_string(fit.points) + " points: ";
    if (!fit.converged) return head + "NOT converged (" + fit.failure + "); no values.\n";
    std::string text =
        head + "converged after " + std::to_string(fit.iterations) + " iterations.\n\n";
    text += "  activation energy  Et = " + WithError(fit.Et, "eV") + "\n";
    text += "  escape frequency   νt = " + WithError(fit.Vt, "Hz") + "\n";
    text += "  trap density       Nt = " + WithError(fit.Nt, "cm⁻²") + "\n";
    if (fit.slope.fitted) {
        text += "  background         constant + slope·(T − " + Significant(To, 8) + " K)\n";
        text += "    constant = " + WithError(fit.constant, "A") + "\n";
        text += "    slope    = " + WithError(fit.slope, "A/K") + "\n";
    } else if (fit.constant.fitted) {
        text += "  background         " + WithError(fit.constant, "A") + "\n";
    }
    text += "  correlation of Et and ln νt: " + Significant(fit.corrEtLnVt, 4) + "\n\n";
    text += "  fitted peak        Tm = " + Significant(fit.Tm, 8) +
            " K, Im = " + Significant(fit.Im, 6) + " A\n";
    text += "  FOM = " + Significant(fit.fomPercent, 3) + " %, R² = " + Significant(fit.r2, 8) +
            ", reduced χ² = " + Significant(fit.reducedChi2, 3) + " A²\n";
    return text;
}

std::string FitCurveCsv(const tsc::analysis::MeasuredCurve& curve, const FitResult& fit) {
    std::string text = "T_K,I_measured_A,I_fitted_A,residual_A\n";
    for (std::size_t i = 0; i < curve.T.size(); ++i) {
        text += CsvNumber(curve.T[i]) + "," + CsvNumber(curve.I[i]) + "," +
                CsvNumber(fit.fitted[i]) + "," + CsvNumber(curve.I[i] - fit.fitted[i]) + "\n";
    }
    return text;
}
