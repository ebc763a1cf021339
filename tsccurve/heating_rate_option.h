#pragma once

#include <string>
#include <string_view>

// The heating rate of a measurement as --beta takes it, for fit and methods
// alike: "5" or "5K/min" in the window's unit, or "1K/s".
enum class RateUnit { KelvinPerMinute, KelvinPerSecond };

struct HeatingRate {
    double kelvinPerMinute = 0;                 // what the evaluation uses
    RateUnit unit = RateUnit::KelvinPerMinute;  // as the user gave it
    double given = 0;                           // in that unit
};

// The plausible heating rates: well beyond the slowest and fastest real
// heating runs, and far from the subnormal numbers, where νt = β·(…)
// would lose its digits and read 0.
inline constexpr double kSlowestKelvinPerMinute = 1e-6;
inline constexpr double kFastestKelvinPerMinute = 1e6;

// Reads the number (as the window reads its fields, blanks around allowed)
// and the optional unit; throws Exception naming what is wrong: no number,
// an unknown unit, a value that is not finite and above 0, or a rate outside
// the plausible ones.
HeatingRate ReadHeatingRate(std::string_view text);

// "1e-06 to 1e+06 K/min", the plausible rates, for the help and the refusal.
std::string HeatingRateRange();

// "5 K/min", or "60 K/min (1 K/s)" where the user gave K/s.
std::string HeatingRateText(const HeatingRate& rate);
