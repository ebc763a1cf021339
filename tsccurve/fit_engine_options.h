#pragma once

#include "curve_fit.h"
#include "fit_request.h"

// The options of today's fit engine for a request: one first-order peak
// without weights, with a background of none, a constant or a line, and Et,
// νt or Nt of that peak fixed. What the request asks beyond that is refused
// with Exception saying it is not yet supported.
tsc::analysis::FitOptions EngineOptions(const FitRequest& request);
