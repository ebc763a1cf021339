// tsccurve fit FILE ...: reads a measured curve, takes it apart into the
// peaks of its trap levels and a background, and reports the values with
// their errors.
#include <fstream>
#include <ostream>
#include <string>

#include "deconvolution.h"
#include "exception.h"
#include "fit_csv.h"
#include "fit_engine_request.h"
#include "fit_json.h"
#include "fit_picture.h"
#include "fit_text.h"
#include "legacy_model.h"
#include "measured_curve.h"
#include "number_text.h"
#include "physical_constants.h"
#include "plot_program.h"
#include "subcommands.h"

namespace {

using namespace tsc::analysis;

constexpr const char* kName = "tsccurve fit";
constexpr double kKelvinAtZeroCelsius = 273.15;

Kinetics KineticsOf(const FitRequest& r) {
    if (r.model == FitRequest::Model::Legacy) return Kinetics::Window;
    switch (r.order) {
        case FitRequest::Order::Second:
            return Kinetics::Second;
        case FitRequest::Order::General:
            return Kinetics::General;
        case FitRequest::Order::First:
            break;
    }
    return Kinetics::First;
}

BackgroundKind BackgroundOf(FitRequest::Background b) {
    switch (b) {
        case FitRequest::Background::Constant:
            return BackgroundKind::Constant;
        case FitRequest::Background::Linear:
            return BackgroundKind::Linear;
        case FitRequest::Background::Exponential:
            return BackgroundKind::Exponential;
        case FitRequest::Background::None:
            break;
    }
    return BackgroundKind::None;
}

}  // namespace

// The engine's request for the command line's; throws Exception for what
// the window's model cannot do.
DeconvolutionRequest EngineRequest(const FitRequest& r) {
    DeconvolutionRequest e;
    e.betaPerSecond = r.beta.kelvinPerMinute / kSecondsPerMinute;
    e.kinetics = KineticsOf(r);
    e.background = BackgroundOf(r.background);
    e.weighting = r.weights == FitRequest::Weights::Poisson ? Weighting::Poisson : Weighting::None;
    e.windowStep = r.stepK;
    using Kind = FitRequest::Peaks::Kind;
    switch (r.peaks.kind) {
        case Kind::Auto:
            e.peaks.count = PeakCount::Automatic;
            break;
        case Kind::Count:
            e.peaks = {r.peaks.count == 1 ? PeakCount::One : PeakCount::Number, r.peaks.count, {}};
            break;
        case Kind::Near:
            e.peaks = {PeakCount::AtTemperatures, r.peaks.count, {}};
            for (const double T : r.peaks.temperatures) {
                e.peaks.temperatures.push_back(T + (r.celsius ? kKelvinAtZeroCelsius : 0));
            }
            break;
    }
    if (e.kinetics == Kinetics::Window &&
        (e.peaks.count != PeakCount::One || r.order != FitRequest::Order::First)) {
        throw Exception(
            "--model legacy fits the window's one first-order level: it takes "
            "neither --peaks nor --order");
    }
    for (const FitRequest::Fix& fix : r.fixes) {
        FixedValue held{fix.peak - 1, PeakParameter::Et, fix.value, ""};
        switch (fix.parameter) {
            case FitRequest::Parameter::Et:
                break;
            case FitRequest::Parameter::Vt:
                held.name = PeakParameter::Vt;
                break;
            case FitRequest::Parameter::b:
                held.name = PeakParameter::B;
                break;
            case FitRequest::Parameter::Nt:
                held.name = PeakParameter::Charge;
                held.value = fix.value * kElementaryCharge * *r.areaMm2 * kMm2ToM2 * kPerCm2ToPerM2;
                held.asGiven = "Nt = " + FloatToStr(fix.value) + " cm⁻²";
                break;
        }
        e.fixed.push_back(held);
    }
    return e;
}

// The curve to fit, or the refusal as the message to show.
MeasuredCurve CurveToFit(const FitRequest& request, const DeconvolutionRequest& engine) {
    CurveReading reading = ReadMeasuredCurve(request.file, request.celsius);
    if (const auto* refusal = std::get_if<CurveRefusal>(&reading)) {
        throw Exception(refusal->Message());
    }
    MeasuredCurve curve = std::get<MeasuredCurve>(std::move(reading));
    if (request.range) {
        const double offset = request.celsius ? kKelvinAtZeroCelsius : 0;
        curve = WithinRange(curve, request.range->first + offset, request.range->second + offset);
    }
    const int peaks = engine.peaks.count == PeakCount::Automatic ? 1 : engine.peaks.number;
    const auto values = static_cast<std::size_t>(FreeValueCount(engine, peaks));
    if (const auto refusal = CheckEnoughPoints(curve, values, request.file)) {
        throw Exception(refusal->Message() + (request.range ? " within --range" : ""));
    }
    if (engine.kinetics == Kinetics::Window) {
        if (const auto problem = CheckLegacyGrid(curve.T, engine.windowStep)) {
            throw Exception(request.file + ": " + *problem);
        }
    }
    return curve;
}

FitDescription Describe(const FitRequest& r, const DeconvolutionRequest& e,
                        const MeasuredCurve& curve) {
    FitDescription d;
    d.file = r.file;
    d.beta = {r.beta.kelvinPerMinute, r.beta.unit == RateUnit::KelvinPerSecond};
    d.areaMm2 = r.areaMm2;
    d.kinetics = e.kinetics;
    d.background = e.background;
    d.weighting = e.weighting;
    d.reorderedPoints = curve.reordered;
    if (r.range) {
        const double offset = r.celsius ? kKelvinAtZeroCelsius : 0;
        d.range = std::pair{r.range->first + offset, r.range->second + offset};
    }
    return d;
}

bool WriteFile(const std::string& fileName, const std::string& text, std::ostream& err) {
    std::ofstream file(fileName, std::ios::binary);
    file << text << std::flush;
    if (file) return true;
    err << kName << ": " << fileName << ": cannot be written\n";
    return false;
}

int RunFit(const FitRequest& request, std::ostream& out, std::ostream& err) {
    if (request.curves.size() > 1) return RunJointFit(request, out, err);
    DeconvolutionRequest engine;
    MeasuredCurve curve;
    try {
        engine = EngineRequest(request);
        curve = CurveToFit(request, engine);
    } catch (const Exception& e) {
        err << kName << ": " << e.what() << "\n";
        return kExitUsageError;
    }
    const SpectrumFit fit = Deconvolve(curve.T, curve.I, engine);
    const FitDescription description = Describe(request, engine, curve);
    out << (request.json ? FitJsonText(fit, description) : FitText(fit, description));
    bool written = Written(out, err, kName) == kExitSuccess;
    if (fit.converged) {
        if (request.curveFile) {
            written = WriteFile(*request.curveFile,
                                FitCsv(fit, curve.I, request.areaMm2.has_value()), err) &&
                      written;
        }
        if (request.plotFile) {
            const auto problem =
                WritePicture(FitPicture(curve, fit, description), *request.plotFile);
            if (problem) err << kName << ": " << *problem << "\n";
            written = !problem && written;
        }
    } else if (request.curveFile || request.plotFile) {
        err << kName << ": the fit did not converge, so no curve or picture is written\n";
    }
    if (!fit.converged) return kExitFitNotConverged;
    return written ? kExitSuccess : kExitOutputFailed;
}
