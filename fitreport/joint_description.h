#pragma once

#include <string>
#include <vector>

#include "fit_description.h"
#include "joint_fit.h"

// What the reports of a fit of several heating rates say beside what it
// found: each curve's file and rate with the options all share, and for
// comparison the heating-rate method's Et through the one-curve fits' tops.
namespace tsc::analysis {

struct RateMethodEnergy {
    double Et = kNotAValue;  // eV
    double stderr_ = kNotAValue;
    std::string refusal;  // why the method gives no value, when it does not
};

struct JointDescription {
    std::vector<FitDescription> curves;  // in the order given
    bool sharedCharge = false;
    std::vector<RateMethodEnergy> rateMethod;  // one per peak, by ascending Tm
};

// "Et, νt and b" or "Et, νt, b and Nt", as the reports name what is shared.
std::string SharedNames(const JointDescription& d);

}  // namespace tsc::analysis
