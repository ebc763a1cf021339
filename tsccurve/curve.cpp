// The curve modes: reads the eight parameters as the window does and writes
// the curve in the form asked, from the window's model or the standard one.
#include <ostream>

#include "curve_request.h"
#include "exception.h"
#include "subcommands.h"

namespace {

std::string Curve(CurveRequest::Output output, CurveRequest::Model model, CalcState& state) {
    const bool standard = model == CurveRequest::Model::Standard;
    switch (output) {
        case CurveRequest::Output::Results:
            return standard ? StandardResultsFileText(state) : ResultsFileText(state);
        case CurveRequest::Output::Peak:
            return standard ? StandardPeakLines(state) : PeakLine(state);
        case CurveRequest::Output::Csv:
            break;
    }
    return standard ? StandardCsvCurve(state) : CsvCurve(state);
}

}  // namespace

int RunCurve(const CurveRequest& request, std::ostream& out, std::ostream& err) {
    CalcState state;
    try {
        state = ReadCheckedParameters({request.parameters.begin(), request.parameters.end()});
    } catch (const Exception& e) {
        err << "tsccurve: " << e.what() << "\n";
        return kExitUsageError;
    }
    return Written(out << Curve(request.output, request.model, state), err, "tsccurve");
}
