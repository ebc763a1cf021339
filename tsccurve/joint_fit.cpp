// tsccurve fit --beta B1 FILE1 --beta B2 FILE2 ...: the curves of one sample
// at several heating rates fitted together, each level's Et, νt and b shared
// by every curve, with the one-curve fits and the heating-rate method beside.
#include "joint_fit.h"

#include <ostream>
#include <string>
#include <vector>

#include "exception.h"
#include "fit_engine_request.h"
#include "joint_csv.h"
#include "joint_json.h"
#include "joint_picture.h"
#include "joint_rate_method.h"
#include "joint_text.h"
#include "physical_constants.h"
#include "plot_program.h"
#include "subcommands.h"

namespace {

using namespace tsc::analysis;

constexpr const char* kName = "tsccurve fit";

// Two curves at one heating rate tell nothing about νt beyond what one does:
// refused unless --shared says to fit them together all the same.
void CheckRates(const FitRequest& request) {
    const auto& curves = request.curves;
    for (std::size_t i = 0; i < curves.size(); ++i) {
        for (std::size_t j = 0; j < i; ++j) {
            if (curves[i].beta.kelvinPerMinute != curves[j].beta.kelvinPerMinute) continue;
            if (curves[i].file == curves[j].file) {
                throw Exception(curves[i].file + " is given twice at " +
                                HeatingRateText(curves[i].beta));
            }
            if (!request.sharedCharge) {
                throw Exception(
                    curves[j].file + " and " + curves[i].file + " are both at " +
                    HeatingRateText(curves[i].beta) +
                    ": curves at one heating rate give no information on νt beyond one curve's, "
                    "since only the shift of the peaks with the rate tells Et from νt; give "
                    "--shared Et,Vt,b to fit them together all the same");
            }
        }
    }
}

FitRequest ForCurve(const FitRequest& request, std::size_t c) {
    FitRequest one = request;
    one.file = request.curves[c].file;
    one.beta = request.curves[c].beta;
    return one;
}

}  // namespace

int RunJointFit(const FitRequest& request, std::ostream& out, std::ostream& err) {
    DeconvolutionRequest engine;
    std::vector<MeasuredCurve> measured;
    JointDescription description;
    description.sharedCharge = request.sharedCharge.value_or(false);
    try {
        engine = EngineRequest(request);
        if (engine.kinetics == Kinetics::Window) {
            throw Exception(
                "--model legacy fits one curve: curves at several heating rates are fitted "
                "together with the standard model");
        }
        CheckRates(request);
        for (std::size_t c = 0; c < request.curves.size(); ++c) {
            const FitRequest one = ForCurve(request, c);
            measured.push_back(CurveToFit(one, engine));
            description.curves.push_back(Describe(one, engine, measured.back()));
        }
    } catch (const Exception& e) {
        err << kName << ": " << e.what() << "\n";
        return kExitUsageError;
    }
    std::vector<JointCurveData> curves;
    for (std::size_t c = 0; c < measured.size(); ++c) {
        curves.push_back({measured[c].T, measured[c].I,
                          request.curves[c].beta.kelvinPerMinute / kSecondsPerMinute});
    }
    const JointFit fit = FitJointly(curves, {engine, description.sharedCharge});
    if (!fit.refusal.empty()) {
        err << kName << ": " << fit.refusal << "\n";
        return kExitUsageError;
    }
    std::vector<double> rates;
    for (const auto& curve : request.curves) rates.push_back(curve.beta.kelvinPerMinute);
    description.rateMethod = RateMethodBeside(fit, rates);
    out << (request.json ? JointJsonText(fit, description) : JointText(fit, description));
    bool written = Written(out, err, kName) == kExitSuccess;
    if (fit.converged) {
        if (request.curveFile) {
            written =
                WriteFile(*request.curveFile, JointCsv(fit, request.areaMm2.has_value()), err) &&
                written;
        }
        if (request.plotFile) {
            const auto problem = WritePicture(JointPicture(fit, description), *request.plotFile);
            if (problem) err << kName << ": " << *problem << "\n";
            written = !problem && written;
        }
    } else if (request.curveFile || request.plotFile) {
        err << kName << ": the fit did not converge, so no curve or picture is written\n";
    }
    if (!fit.converged) return kExitFitNotConverged;
    return written ? kExitSuccess : kExitOutputFailed;
}
