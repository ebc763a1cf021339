#pragma once

#include <optional>
#include <span>
#include <string>

#include "curve_methods.h"

// Draws, side by side into one PNG file, the initial-rise line (ln I against
// 1/T, its window marked) and the curve with Tm, T1 and T2 marked. Returns
// what went wrong, if anything. Needs no display.
std::optional<std::string> WriteMethodsPlot(const std::string& path,
                                            std::span<const double> temperature,
                                            std::span<const double> current,
                                            const tsc::analysis::CurveMethods& methods,
                                            tsc::analysis::RiseWindow window);
