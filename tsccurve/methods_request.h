#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "heating_rate_option.h"
#include "initial_rise.h"

// What `tsccurve methods` was asked to do.
struct MethodsCurveRequest {
    std::string file;
    HeatingRate beta;
};

struct MethodsRequest {
    // The files and heating rates as given, each in its order; the command
    // line pairs them into `curves`, so that `FILE --beta B` and
    // `--beta B1 FILE1 --beta B2 FILE2` both read as meant.
    std::vector<std::string> files;
    std::vector<HeatingRate> betas;
    std::vector<MethodsCurveRequest> curves;
    bool celsius = false;
    std::optional<std::pair<double, double>> range;  // in the files' unit, K or °C
    tsc::analysis::RiseWindow riseWindow;
    bool json = false;
    std::optional<std::string> plot;
};
