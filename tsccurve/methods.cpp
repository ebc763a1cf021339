// `tsccurve methods`: reads the curves, evaluates each by the classic
// methods, and with two or more the heating-rate method over their peaks.
#include <ostream>

#include "exception.h"
#include "measured_curve.h"
#include "methods_picture.h"
#include "methods_report.h"
#include "plot_program.h"
#include "subcommands.h"

using namespace tsc::analysis;

namespace {

constexpr double kKelvinAtZeroCelsius = 273.15;
constexpr const char* kName = "tsccurve methods";

// The points inside the range, given in the file's unit.
MeasuredCurve Restrict(const MeasuredCurve& curve, const MethodsRequest& request) {
    if (!request.range) return curve;
    const double shift = request.celsius ? kKelvinAtZeroCelsius : 0;
    MeasuredCurve inside;
    for (std::size_t i = 0; i < curve.T.size(); ++i) {
        if (curve.T[i] >= request.range->first + shift &&
            curve.T[i] <= request.range->second + shift) {
            inside.T.push_back(curve.T[i]);
            inside.I.push_back(curve.I[i]);
        }
    }
    return inside;
}

}  // namespace

int RunMethods(const MethodsRequest& request, std::ostream& out, std::ostream& err) {
    // Every file is read before anything is computed, so that one refused
    // file leaves no partial report.
    std::vector<MeasuredCurve> measured;
    for (const MethodsCurveRequest& curve : request.curves) {
        CurveReading reading = ReadMeasuredCurve(curve.file, request.celsius);
        if (const CurveRefusal* refusal = std::get_if<CurveRefusal>(&reading)) {
            err << kName << ": " << refusal->Message() << "\n";
            return kExitUsageError;
        }
        measured.push_back(Restrict(std::get<MeasuredCurve>(reading), request));
    }

    MethodsResults results;
    std::vector<PeakAtRate> peaks;
    bool everyCurveHasAPeak = true;
    for (std::size_t i = 0; i < measured.size(); ++i) {
        const MethodsCurveRequest& curve = request.curves[i];
        const double beta = curve.beta.kelvinPerMinute;
        results.curves.push_back(
            {curve, request.riseWindow,
             EvaluateCurve(measured[i].T, measured[i].I, beta, request.riseWindow)});
        if (const PeakLocation* peak = Applied(results.curves.back().methods.peak)) {
            peaks.push_back({beta, peak->Tm});
        } else {
            everyCurveHasAPeak = false;
        }
    }
    if (results.curves.size() >= 2) {
        results.heatingRate = everyCurveHasAPeak ? HeatingRateMethod(peaks)
                                                 : MethodRefusal{RefusalReason::CurveWithoutPeak};
    }

    out << (request.json ? MethodsJson(results) : MethodsText(results));
    if (const int written = Written(out, err, kName); written != kExitSuccess) return written;
    if (request.plot) {
        const EvaluatedCurve& curve = results.curves.front();
        const tsc::picture::Picture picture =
            MethodsPicture(measured.front().T, measured.front().I, curve.methods, curve.riseWindow,
                           curve.request.beta.kelvinPerMinute);
        if (const auto problem = WritePicture(picture, *request.plot)) {
            err << kName << ": " << *problem << "\n";
            return kExitOutputFailed;
        }
    }
    return everyCurveHasAPeak ? kExitSuccess : kExitUsageError;
}
