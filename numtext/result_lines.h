#pragma once

#include <array>
#include <string>

#include "calc_state.h"

// The results list's lines for one row, in order: the temperature, the
// current and an empty line. The window appends them to its list and
// tsccurve --results writes them as the saved file.
std::array<std::string, 3> ResultLines(const ResultRow& row);
