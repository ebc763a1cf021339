#pragma once

// One fitted peak as Python sees it: the values and errors the reports show,
// None for those the fit does not give.

#include <optional>
#include <string>
#include <vector>

#include "arguments.h"
#include "fit_description.h"
#include "spectrum_fit.h"

namespace tsc::python {

struct PeakView {
    std::string verdict, why;
    std::optional<double> Tm, Im, Et, Et_stderr, Vt, Vt_stderr, b, b_stderr, Nt, Nt_stderr, charge,
        charge_stderr, share;
    std::vector<std::string> fixed;
};

// A value as the fit's views give it: None where it is not finite.
std::optional<double> IfFinite(double value);

// A peak that ran away keeps only its verdict and why.
PeakView ViewOf(const analysis::FittedPeak& peak, const analysis::FitDescription& description);

void BindFitPeak(py::module_& m);

}  // namespace tsc::python
