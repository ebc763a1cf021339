// tsccurve fit FILE ...: reads a measured curve, fits one trap level to it
// and reports the values with their errors.
#include <fstream>
#include <ostream>
#include <string>

#include "curve_fit.h"
#include "exception.h"
#include "fit_engine_options.h"
#include "fit_picture.h"
#include "fit_report.h"
#include "legacy_model.h"
#include "measured_curve.h"
#include "plot_program.h"
#include "subcommands.h"

namespace {

using namespace tsc::analysis;

constexpr const char* kName = "tsccurve fit";
constexpr double kKelvinAtZeroCelsius = 273.15;

// The curve to fit, or the refusal as the message to show.
MeasuredCurve CurveToFit(const FitRequest& request, const FitOptions& options) {
    CurveReading reading = ReadMeasuredCurve(request.file, request.celsius);
    if (const auto* refusal = std::get_if<CurveRefusal>(&reading)) {
        throw Exception(refusal->Message());
    }
    MeasuredCurve curve = std::get<MeasuredCurve>(std::move(reading));
    if (request.range) {
        const double offset = request.celsius ? kKelvinAtZeroCelsius : 0;
        curve = WithinRange(curve, request.range->first + offset, request.range->second + offset);
    }
    if (const auto refusal =
            CheckEnoughPoints(curve, FittedParameterCount(options), request.file)) {
        throw Exception(refusal->Message() + (request.range ? " within --range" : ""));
    }
    if (options.model == FitModel::Legacy) {
        if (const auto problem = CheckLegacyGrid(curve.T, options.step)) {
            throw Exception(request.file + ": " + *problem);
        }
    }
    return curve;
}

bool WriteFile(const std::string& fileName, const std::string& text, std::ostream& err) {
    std::ofstream file(fileName, std::ios::binary);
    file << text << std::flush;
    if (file) return true;
    err << kName << ": " << fileName << ": cannot be written\n";
    return false;
}

}  // namespace

int RunFit(const FitRequest& request, std::ostream& out, std::ostream& err) {
    FitOptions options;
    MeasuredCurve curve;
    try {
        options = EngineOptions(request);
        curve = CurveToFit(request, options);
    } catch (const Exception& e) {
        err << kName << ": " << e.what() << "\n";
        return kExitUsageError;
    }
    const FitResult fit = FitCurve(curve, options);
    out << (request.json ? FitJson(fit, options.model)
                         : FitText(fit, options.model, request.file, curve.T.front()));
    bool written = Written(out, err, kName) == kExitSuccess;
    if (fit.converged) {
        if (request.curveFile)
            written = WriteFile(*request.curveFile, FitCurveCsv(curve, fit), err) && written;
        if (request.plotFile) {
            const auto problem = WritePicture(
                FitPicture(curve, fit, FitCaption(fit, options.model)), *request.plotFile);
            if (problem) err << kName << ": " << *problem << "\n";
            written = !problem && written;
        }
    } else if (request.curveFile || request.plotFile) {
        err << kName << ": the fit did not converge, so no curve or picture is written\n";
    }
    if (!fit.converged) return kExitFitNotConverged;
    return written ? kExitSuccess : kExitOutputFailed;
}
