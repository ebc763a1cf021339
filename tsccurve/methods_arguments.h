#pragma once

#include <optional>
#include <string>
#include <vector>

#include "initial_rise.h"

// What `tsccurve methods` was asked to do.
struct MethodsCurveRequest {
    std::string file;
    double betaKPerMin = 0;
};

struct TemperatureRange {
    double low = 0;  // in the file's unit, K or °C
    double high = 0;
};

struct MethodsRequest {
    std::vector<MethodsCurveRequest> curves;
    bool celsius = false;
    std::optional<TemperatureRange> range;
    tsc::analysis::RiseWindow riseWindow;
    bool json = false;
    std::optional<std::string> plot;
    bool help = false;
};

// Pairs the files with the --beta values in the order both are given, so
// that `FILE --beta B` and `--beta B1 FILE1 --beta B2 FILE2` both read as
// meant. Throws Exception with the message for the user on a usage error.
MethodsRequest ParseMethodsArguments(const std::vector<std::string>& args);

extern const char* const kMethodsUsage;
