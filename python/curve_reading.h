#pragma once

// A measured curve as the module hands it out, and the error its reading
// raises.

#include <cstddef>
#include <string>

#include "arguments.h"

namespace tsc::python {

struct Curve {
    py::array_t<double> T, I;
    std::string file;  // as the file system gives it
    std::size_t reordered = 0;
};

}  // namespace tsc::python
