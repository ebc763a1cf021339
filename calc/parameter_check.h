#pragma once

#include <cstddef>
#include <optional>

#include "calc_state.h"

// Why a parameter set cannot give a meaningful calculation that ends. The
// check says what is wrong; each interface words it in its own language.
enum class RefusalKind {
    NotFinite,          // the value is an infinity or NaN
    Negative,           // a physical quantity below 0
    NotPositive,        // 0 or below where only a positive value works
    StepTooSmall,       // the step a does not advance the start temperature To
    TooManySteps,       // more than `limit` steps from To to Tend
    CurrentNotFinite,   // the prefactor -q*S*Nt*Vt or Vt/Beta would overflow
    IntegralNotFinite,  // with Vt = 0, the running integral could overflow: 0 * inf
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
// too many steps, a converted value or prefactor that would not be finite
// (named: the largest of S, Nt and Vt in SI units for the current's
// prefactor, Beta for Vt/Beta), and, for Vt = 0, a running integral that the
// steps could take past the largest binary64 number (named: a). Returns
// nothing when the calculation may run; its currents are then finite.
//
// The calculation's own time is nearly linear in the steps (about 15 ms for
// 50,000), so the most steps allowed is each program's choice, set by what it
// does with the rows: the window's list and chart, tsccurve's output.
std::optional<Refusal> CheckParameters(const CalcState& state, std::size_t maxSteps);

// The number of steps the calculation will make for these parameters, counted
// with the calculation's own additions, or limit + 1 when there are more.
std::size_t CountSteps(const CalcState& state, std::size_t limit);
