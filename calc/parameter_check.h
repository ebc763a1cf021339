#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "calc_state.h"

// The largest number of temperature steps a calculation may have. The work
// grows with the square of the steps; 50,000 steps take a few seconds.
inline constexpr std::size_t kMaxSteps = 50000;

// Looks at the eight parameters of `state`, as entered, and returns a message
// (UTF-8, in the interface's Japanese) when they cannot give a meaningful
// calculation that ends: a value that is not finite, a step that is not
// positive or too small to advance the temperature, too many steps, a heating
// rate or start temperature that is not positive, or a negative physical
// quantity. Returns nothing when the calculation may run.
std::optional<std::string> CheckParameters(const CalcState& state);

// The number of steps the calculation will make for these parameters, counted
// with the calculation's own additions, or kMaxSteps + 1 when there are more.
std::size_t CountSteps(const CalcState& state);
