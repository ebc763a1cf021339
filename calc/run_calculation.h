#pragma once

#include "calc_state.h"

// Runs one whole calculation. On entry the eight parameter fields of `state`
// hold the values as the user entered them (eV, Hz, cm^-2, K, K, K/min, mm^2,
// K); the sink receives every temperature step in increasing order.
// The parameters must have passed CheckParameters: the loops rely on a
// positive, effective step.
void RunCalculation(CalcState& state, const RowSink& sink);

// Zeroes the running integral, so that the next calculation starts afresh.
void ResetIntegral(CalcState& state);
