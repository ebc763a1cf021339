#pragma once

#include <cstddef>

// The most temperature steps one Calculate click may have. The results list
// and the chart, not the calculation, set it: on a 2-core machine a click of
// 100,000 steps takes 0.8 s (12 ms of it the calculation), 150,000 steps
// 1.4 s and 200,000 steps 3.5 s, and a second click without clearing more.
inline constexpr std::size_t kWindowMaxSteps = 100000;
