#pragma once

#include <cstddef>
#include <optional>

#include "calc_state.h"

// The largest number of temperature steps a calculation may have. The work
// grows with the square of the steps; 50,000 steps take a few seconds.
inline constexpr std::size_t kMaxSteps = 50000;

// Why a parameter set cannot give a meaningful calculation that ends. The
// check says what is wrong; each interface words it in its own language.
enum class RefusalKind {
    NotFinite,     // the value is an infinity or NaN
    Negative,      // a physical quantity below 0
    NotPositive,   // 0 or below where only a positive value works
    StepTooSmall,  // the step a does not advance the start temperature To
    TooManySteps,  // more than `limit` steps from To to Tend
};

struct Refusal {
    RefusalKind kind;
    Parameter parameter;    // the value to change
    std::size_t limit = 0;  // TooManySteps: the most steps allowed
};

// Looks at the eight parameters of `state`, as entered, and returns the
// first refusal, in this order: a value that is not finite, a negative
// physical quantity (Et, Vt, Nt, S), a start temperature, heating rate or
// step that is not positive, a step too small to advance the temperature,
// too many steps. Returns nothing when the calculation may run.
std::optional<Refusal> CheckParameters(const CalcState& state);

// The number of steps the calculation will make for these parameters, counted
// with the calculation's own additions, or kMaxSteps + 1 when there are more.
std::size_t CountSteps(const CalcState& state);
