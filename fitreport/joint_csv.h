#pragma once

#include <string>

#include "joint_fit.h"

// The curves beside their fits in one CSV file: for curve c (numbered from
// 1 in the order given) the columns T_K_c, I_measured_c, I_fitted_c and
// residual_c. Curves of fewer points leave their cells empty below.
namespace tsc::analysis {

std::string JointCsv(const JointFit& fit, bool amperes);

}  // namespace tsc::analysis
