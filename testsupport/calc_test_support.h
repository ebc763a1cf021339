#pragma once

#include <vector>

#include "calc_state.h"

// The parameter set the help window quotes: 0.8 eV, 1e8 Hz, 1e13 cm^-2,
// 200 K to 400 K at 2 K/min, 1 mm^2, step 0.2 K.
CalcState SampleParameters();

// The sample with another step a.
CalcState SampleWithStep(double a);

CalcState WithParameters(double Et, double Vt, double Nt, double To, double Tend, double Beta,
                         double S, double a);

// Runs a calculation and returns every row the sink received.
std::vector<ResultRow> Rows(void (*calculation)(CalcState&, const RowSink&), CalcState& state);
