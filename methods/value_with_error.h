#pragma once

#include "method_refusal.h"

namespace tsc::analysis {

// A fitted quantity with its standard error, which may be refused while the
// value stands (a fit through exactly as many points as terms, an error too
// large to state as ± of the value).
struct ValueWithError {
    double value = 0;
    Outcome<double> standardError = 0.0;
};

}  // namespace tsc::analysis
