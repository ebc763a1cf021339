#pragma once

// What tsc.fit returns: the engine's result and the description the reports
// render it with. Python reads it through properties; nothing is computed
// here that the engine or the reports do not.

#include "arguments.h"
#include "fit_description.h"
#include "spectrum_fit.h"

namespace tsc::python {

struct FitOutcome {
    analysis::SpectrumFit fit;
    analysis::FitDescription description;
};

void BindFitResult(py::module_& m);

}  // namespace tsc::python
