#pragma once

#include <string>

#include "joint_description.h"

// The fit of several heating rates as a report for a person: the shared
// values with their errors and correlation, each curve's own values and
// statistics, the overall FOM, and beside them the one-curve fits' Et and
// the heating-rate method's. A fit that did not converge says why and shows
// no values.
namespace tsc::analysis {

std::string JointText(const JointFit& fit, const JointDescription& description);

}  // namespace tsc::analysis
