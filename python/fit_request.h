#pragma once

// tsc.fit's keyword arguments read into the engine's request and the
// reports' description of it, each refused with the argument's name.

#include <optional>
#include <string>

#include "arguments.h"
#include "deconvolution.h"
#include "fit_description.h"

namespace tsc::python {

struct FitRequest {
    analysis::DeconvolutionRequest request;
    analysis::FitDescription description;  // without the curve's file
};

struct FitArguments {
    std::optional<double> beta;
    std::string betaUnit;
    std::optional<double> area;
    py::object peaks, fix, range;
    std::string order, background, weights;
};

FitRequest ReadFitArguments(const FitArguments& arguments);

// How many peaks the curve must hold enough points for.
int LeastPeaks(const analysis::PeakRequest& peaks);

}  // namespace tsc::python
