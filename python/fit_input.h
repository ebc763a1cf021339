#pragma once

// A measured curve made ready for the engine, for tsc.fit and tsc.fit_global
// alike.

#include <string>

#include "arguments.h"
#include "fit_request.h"
#include "measured_curve.h"

namespace tsc::python {

// T and I as arrays of finite numbers of one length, sorted by temperature
// (equal temperatures kept in their order): the engine takes temperatures
// that do not decrease, and arrays come in any order.
analysis::MeasuredCurve SortedCurve(py::handle T, py::handle I);

// The points within the request's range, refused (ValueError, naming the
// curve) where they are too few for the values to fit or not above 0 K.
analysis::MeasuredCurve CurveToFit(analysis::MeasuredCurve curve, const FitRequest& r,
                                   const std::string& name);

}  // namespace tsc::python
