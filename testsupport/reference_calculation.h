#pragma once

#include "calc_state.h"

// The calculation written as plainly as possible: both exponentials of every
// trapezoid evaluated inside the inner loop, exactly in the order the model
// states. The production calculation must agree with it bit for bit.
void ReferenceCalculation(CalcState& state, const RowSink& sink);
