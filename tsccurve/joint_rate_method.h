#pragma once

#include <span>
#include <vector>

#include "joint_description.h"
#include "joint_fit.h"

// The heating-rate method through the one-curve fits' tops, peak by peak,
// which the reports of a joint fit show beside its shared Et. The rates are
// the curves', in K/min, in the order given.
std::vector<tsc::analysis::RateMethodEnergy> RateMethodBeside(
    const tsc::analysis::JointFit& fit, std::span<const double> kelvinPerMinute);
