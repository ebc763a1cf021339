// `tsccurve methods`: reads the curves, evaluates each by the classic
// methods, and with two or more the heating-rate method over their peaks.
#include <ostream>

#include "exception.h"
#include "measured_curve.h"
#include "methods_arguments.h"
#include "methods_plot.h"
#include "methods_report.h"
#include "subcommands.h"

using namespace tsc::analysis;

namespace {

constexpr double kKelvinAtZeroCelsius = 273.15;

// The points inside the range, given in the file's unit.
MeasuredCurve Restrict(const MeasuredCurve& curve, const MethodsRequest& request) {
    if (!request.range) return curve;
    const double shift = request.celsius ? kKelvinAtZeroCelsius : 0;
    MeasuredCurve inside;
    for (std::size_t i = 0; i < curve.T.size(); ++i) {
        if (curve.T[i] >= request.range->low + shift && curve.T[i] <= request.range->high + shift) {
            inside.T.push_back(curve.T[i]);
            inside.I.push_back(curve.I[i]);
        }
    }
    return inside;
}

}  // namespace

int RunMethods(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    MethodsRequest request;
    try {
        request = ParseMethodsArguments(args);
    } catch (const Exception& e) {
        err << "tsccurve methods: " << e.what() << "\n\n" << kMethodsUsage;
        return kExitUsageError;
    }
    if (request.help) {
        out << kMethodsUsage;
        return kExitSuccess;
    }

    // Every file is read before anything is computed, so that one refused
    // file leaves no partial report.
    std::vector<MeasuredCurve> measured;
    for (const MethodsCurveRequest& curve : request.curves) {
        CurveReading reading = ReadMeasuredCurve(curve.file, request.celsius);
        if (const CurveRefusal* refusal = std::get_if<CurveRefusal>(&reading)) {
            err << "tsccurve methods: " << refusal->Message() << "\n";
            return kExitUsageError;
        }
        measured.push_back(Restrict(std::get<MeasuredCurve>(reading), request));
    }

    MethodsResults results;
    std::vector<PeakAtRate> peaks;
    bool everyCurveHasAPeak = true;
    for (std::size_t i = 0; i < measured.size(); ++i) {
        const MethodsCurveRequest& curve = request.curves[i];
        results.curves.push_back(
            {curve, request.riseWindow,
             EvaluateCurve(measured[i].T, measured[i].I, curve.betaKPerMin, request.riseWindow)});
        if (const PeakLocation* peak = Applied(results.curves.back().methods.peak)) {
            peaks.push_back({curve.betaKPerMin, peak->Tm});
        } else {
            everyCurveHasAPeak = false;
        }
    }
    if (results.curves.size() >= 2) {
        results.heatingRate = everyCurveHasAPeak ? HeatingRateMethod(peaks)
                                                 : MethodRefusal{RefusalReason::CurveWithoutPeak};
    }

    out << (request.json ? MethodsJson(results) : MethodsText(results)) << std::flush;
    if (!out.good()) return kExitOutputFailed;
    if (request.plot) {
        const EvaluatedCurve& curve = results.curves.front();
        if (const auto problem =
                WriteMethodsPlot(*request.plot, measured.front().T, measured.front().I,
                                 curve.methods, curve.riseWindow)) {
            err << "tsccurve methods: " << *problem << "\n";
            return kExitOutputFailed;
        }
    }
    return everyCurveHasAPeak ? kExitSuccess : kExitUsageError;
}
