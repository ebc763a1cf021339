#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "joint_description.h"

// The fit of several heating rates as one JSON object: "peaks" holds the
// shared values as the one-curve JSON does, "curves" one object per file in
// the order given with its own values, and "fom_percent" and "converged"
// are the overall ones. A value that is not a number is null, and "why"
// says why.
namespace tsc::analysis {

nlohmann::ordered_json JointJson(const JointFit& fit, const JointDescription& description);
std::string JointJsonText(const JointFit& fit, const JointDescription& description);

}  // namespace tsc::analysis
