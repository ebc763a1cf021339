#pragma once

#include <string>

#include "fit_description.h"
#include "spectrum_fit.h"

// The fit as a report for a person, with every unit written: one peak as a
// list of its values, several as a table with a line per peak. A peak that
// ran away is named as such with no values; one the data do not determine
// is marked, and the values it lacks are named. A fit that did not converge
// says why and shows no values.
namespace tsc::analysis {

std::string FitText(const SpectrumFit& fit, const FitDescription& description);

}  // namespace tsc::analysis
