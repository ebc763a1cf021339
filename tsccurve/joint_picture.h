#pragma once

#include "joint_description.h"
#include "picture.h"

// The picture of a fit of several heating rates: every curve's measured
// points with its fitted sum above, coloured by its heating rate from the
// slowest (dark) to the fastest (light), the residuals beneath in the same
// colours, and the shared values in the upper chart's corner.
tsc::picture::Picture JointPicture(const tsc::analysis::JointFit& fit,
                                   const tsc::analysis::JointDescription& description);
