#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "tsccurve_cli.h"

// tsccurve run in the test's process, with what it wrote and its exit code.
struct Outcome {
    int code;
    std::string out;
    std::string err;
};

inline Outcome RunTool(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = RunTsccurve(args, out, err);
    return {code, out.str(), err.str()};
}
