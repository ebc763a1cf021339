#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "fit_description.h"
#include "spectrum_fit.h"

// The fit as one JSON object. A one-peak fit keeps the keys of the first
// fits (Et_eV, Vt_Hz, Nt_cm2, ..., Tm_K, Im_A); every fit lists its peaks in
// "peaks" by ascending Tm. A value that is not a number is null, and the
// object's "why" says why. A fit that did not converge shows no values.
namespace tsc::analysis {

nlohmann::ordered_json FitJson(const SpectrumFit& fit, const FitDescription& description);

// The object as text, on one line ended by a line feed, as `tsccurve fit
// --json` prints it and the evaluation window saves it.
std::string FitJsonText(const SpectrumFit& fit, const FitDescription& description);

}  // namespace tsc::analysis
