#pragma once

#include <optional>
#include <string>

#include "measured_curve.h"
#include "methods_report.h"

// Draws the initial-rise line (ln I against 1/T, its window marked) and the
// curve with Tm, T1 and T2 marked into a PNG file. Returns what went wrong,
// if anything.
std::optional<std::string> WriteMethodsPlot(const std::string& path,
                                            const tsc::analysis::MeasuredCurve& curve,
                                            const EvaluatedCurve& evaluated);
