#pragma once

#include <optional>
#include <string>
#include <vector>

#include "curve_methods.h"
#include "heating_rate.h"
#include "methods_request.h"

struct EvaluatedCurve {
    MethodsCurveRequest request;
    tsc::analysis::RiseWindow riseWindow;
    tsc::analysis::CurveMethods methods;
};

struct MethodsResults {
    std::vector<EvaluatedCurve> curves;
    // Only with two or more curves.
    std::optional<tsc::analysis::Outcome<tsc::analysis::HeatingRateEstimate>> heatingRate;
};

// A small table per curve and the heating-rate line, with units, for a person.
std::string MethodsText(const MethodsResults& results);

// One JSON object with the keys scripts rely on; what cannot be had is null
// with its reason in the object's "why".
std::string MethodsJson(const MethodsResults& results);
