#pragma once

#include <string>

#include "picture.h"

// A picture's axis of currents (or counts) from low to high, with 5 % room
// either side and ticks on round values. Values that are none of them
// negative keep the axis from going below zero: room below a curve's
// baseline would round out to a whole empty step under it.
tsc::picture::Axis ValueAxis(const std::string& title, double low, double high);
