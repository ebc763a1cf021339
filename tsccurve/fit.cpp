// tsccurve fit FILE ...: reads a measured curve, fits one trap level to it
// and reports the values with their errors.
#include <cmath>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>

#include "curve_fit.h"
#include "exception.h"
#include "fit_picture.h"
#include "fit_report.h"
#include "legacy_model.h"
#include "measured_curve.h"
#include "number_text.h"
#include "subcommands.h"

namespace {

using namespace tsc::analysis;

struct FitArguments {
    std::string file;
    FitOptions options;
    bool haveBeta = false, haveArea = false;
    bool celsius = false;
    bool json = false;
    std::optional<std::pair<double, double>> range;
    std::string curveFile, plotFile;
};

double PositiveNumber(const std::string& option, const std::string& text) {
    double value = 0;
    try {
        value = StrToFloat(text);
    } catch (const Exception&) {
        throw Exception(option + " needs a number, not \"" + text + "\"");
    }
    if (!(std::isfinite(value) && value > 0)) {
        throw Exception(option + " must be a finite number greater than 0");
    }
    return value;
}

void Fix(FitOptions& options, const std::string& text) {
    const std::size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    if (equals == std::string::npos) throw Exception("--fix needs NAME=VALUE, as in --fix Et=0.5");
    const double value = PositiveNumber("--fix " + name, text.substr(equals + 1));
    if (name == "Et") {
        options.fixedEt = value;
    } else if (name == "Vt") {
        options.fixedVt = value;
    } else if (name == "Nt") {
        options.fixedNt = value;
    } else {
        throw Exception("--fix takes Et, Vt or Nt, not \"" + name + "\"");
    }
}

std::pair<double, double> Range(const std::string& text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos) throw Exception("--range needs TLO:THI, as in --range 150:250");
    try {
        const double low = StrToFloat(text.substr(0, colon));
        const double high = StrToFloat(text.substr(colon + 1));
        if (std::isfinite(low) && std::isfinite(high) && low < high) return {low, high};
    } catch (const Exception&) {
    }
    throw Exception("--range needs two finite temperatures TLO:THI with TLO < THI");
}

FitArguments ParseFitArguments(const std::vector<std::string>& args) {
    FitArguments parsed;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string option = args[i];
        std::optional<std::string> inlineValue;
        if (const std::size_t equals = option.find('=');
            option.starts_with("--") && equals != std::string::npos) {
            inlineValue = option.substr(equals + 1);
            option.resize(equals);
        }
        const auto value = [&]() -> std::string {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size()) throw Exception(option + " needs a value");
            return args[++i];
        };
        if (option == "--beta") {
            parsed.options.Beta = PositiveNumber(option, value());
            parsed.haveBeta = true;
        } else if (option == "--area") {
            parsed.options.S = PositiveNumber(option, value());
            parsed.haveArea = true;
        } else if (option == "--step") {
            parsed.options.step = PositiveNumber(option, value());
        } else if (option == "--model") {
            const std::string model = value();
            if (model != "standard" && model != "legacy") {
                throw Exception("--model takes standard or legacy, not \"" + model + "\"");
            }
            parsed.options.model = model == "standard" ? FitModel::Standard : FitModel::Legacy;
        } else if (option == "--background") {
            const std::string kind = value();
            if (kind == "none") {
                parsed.options.background = Background::None;
            } else if (kind == "constant") {
                parsed.options.background = Background::Constant;
            } else if (kind == "linear") {
                parsed.options.background = Background::Linear;
            } else {
                throw Exception("--background takes none, constant or linear, not \"" + kind +
                                "\"");
            }
        } else if (option == "--range") {
            parsed.range = Range(value());
        } else if (option == "--fix") {
            Fix(parsed.options, value());
        } else if (option == "--curve") {
            parsed.curveFile = value();
        } else if (option == "--plot") {
            parsed.plotFile = value();
        } else if (option == "--json" && !inlineValue) {
            parsed.json = true;
        } else if (option == "--celsius" && !inlineValue) {
            parsed.celsius = true;
        } else if (option.starts_with("--")) {
            throw Exception("unknown option " + option + " for fit");
        } else if (parsed.file.empty()) {
            parsed.file = args[i];
        } else {
            throw Exception("fit takes one measurement file, not also \"" + args[i] + "\"");
        }
    }
    if (parsed.file.empty()) throw Exception("fit needs a measurement file");
    if (!parsed.plotFile.empty() && !PlotAvailable()) {
        throw Exception(
            "--plot needs tsccurve built with the window program (TSC_BUILD_GUI=ON, "
            "Qt Charts); this one is built without it");
    }
    if (!parsed.haveBeta) throw Exception("fit needs the heating rate: --beta K/min");
    if (!parsed.haveArea) throw Exception("fit needs the cross-section: --area mm^2");
    if (FittedParameterCount(parsed.options) == 0) {
        throw Exception("with Et, Vt and Nt fixed and no background there is nothing to fit");
    }
    return parsed;
}

// The curve to fit, or the refusal as the message to show.
MeasuredCurve CurveToFit(const FitArguments& a) {
    CurveReading reading = ReadMeasuredCurve(a.file, a.celsius);
    if (const auto* refusal = std::get_if<CurveRefusal>(&reading)) {
        throw Exception(refusal->Message());
    }
    MeasuredCurve curve = std::get<MeasuredCurve>(std::move(reading));
    if (a.range) {
        const double offset = a.celsius ? 273.15 : 0;
        curve = WithinRange(curve, a.range->first + offset, a.range->second + offset);
    }
    if (const auto refusal = CheckEnoughPoints(curve, FittedParameterCount(a.options), a.file)) {
        throw Exception(refusal->Message() + (a.range ? " within --range" : ""));
    }
    if (a.options.model == FitModel::Legacy) {
        if (const auto problem = CheckLegacyGrid(curve.T, a.options.step)) {
            throw Exception(a.file + ": " + *problem);
        }
    }
    return curve;
}

bool WriteFile(const std::string& fileName, const std::string& text, std::ostream& err) {
    std::ofstream file(fileName, std::ios::binary);
    file << text << std::flush;
    if (file) return true;
    err << "tsccurve: " << fileName << ": cannot be written\n";
    return false;
}

}  // namespace

int RunFit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    FitArguments a;
    MeasuredCurve curve;
    try {
        a = ParseFitArguments(args);
        curve = CurveToFit(a);
    } catch (const Exception& e) {
        err << "tsccurve: " << e.what() << "\n";
        return kExitUsageError;
    }
    const FitResult fit = FitCurve(curve, a.options);
    out << (a.json ? FitJson(fit, a.options.model)
                   : FitText(fit, a.options.model, a.file, curve.T.front()))
        << std::flush;
    bool written = out.good();
    if (fit.converged) {
        if (!a.curveFile.empty())
            written = WriteFile(a.curveFile, FitCurveCsv(curve, fit), err) && written;
        if (!a.plotFile.empty()) {
            const std::string problem =
                PlotFit(curve, fit, FitCaption(fit, a.options.model), a.plotFile);
            if (!problem.empty()) err << "tsccurve: " << problem << "\n";
            written = problem.empty() && written;
        }
    } else if (!a.curveFile.empty() || !a.plotFile.empty()) {
        err << "tsccurve: the fit did not converge, so no curve or picture is written\n";
    }
    if (!fit.converged) return kExitFitNotConverged;
    return written ? kExitSuccess : kExitOutputFailed;
}
