#include "fit_input.h"

#include <vector>

#include "deconvolution.h"

namespace tsc::python {

analysis::MeasuredCurve SortedCurve(py::handle T, py::handle I) {
    const std::vector<double> temperatures = FiniteArray(T, "T");
    const std::vector<double> currents = FiniteArray(I, "I");
    CheckSameLength(temperatures, "T", currents, "I");
    const std::vector<std::size_t> order = StableOrder(temperatures);
    return {Reordered(temperatures, order), Reordered(currents, order)};
}

analysis::MeasuredCurve CurveToFit(analysis::MeasuredCurve curve, const FitRequest& r,
                                   const std::string& name) {
    if (r.description.range) {
        curve =
            analysis::WithinRange(curve, r.description.range->first, r.description.range->second);
    }
    const int free = analysis::FreeValueCount(r.request, LeastPeaks(r.request.peaks));
    if (free <= 0) throw py::value_error("every value is fixed: there is nothing to fit");
    if (const auto refusal = analysis::CheckEnoughPoints(curve, free, name)) {
        throw py::value_error(refusal->Message() + (r.description.range ? " within range" : ""));
    }
    if (!(curve.T.front() > 0)) throw py::value_error("T must be above 0 K");
    return curve;
}

}  // namespace tsc::python
