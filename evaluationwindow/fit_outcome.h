#pragma once

#include <vector>

#include "fit_description.h"
#include "spectrum_fit.h"

// A fit as the window keeps it: the engine's result with how it was asked
// for, and the measurement at the fitted temperatures beside it.
struct FitOutcome {
    tsc::analysis::SpectrumFit fit;
    tsc::analysis::FitDescription description;
    std::vector<double> measured;  // at fit.T
    std::vector<double> residual;  // measured − fit.fitted
    // The start peaks' temperatures (K, ascending) the fit was asked to
    // start from, one per fitted peak; empty when it chose where.
    std::vector<double> starts;
};
