#include "heating_rate_option.h"

#include <cmath>
#include <cstdio>

#include "exception.h"
#include "number_text.h"

namespace {

constexpr double kSecondsPerMinute = 60;

std::string Shortest(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

// The text without a trailing unit, and the unit (K/min without one).
std::pair<std::string_view, RateUnit> SplitUnit(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (text.ends_with("K/min")) {
        text.remove_suffix(5);
        return {text, RateUnit::KelvinPerMinute};
    }
    if (text.ends_with("K/s")) {
        text.remove_suffix(3);
        return {text, RateUnit::KelvinPerSecond};
    }
    return {text, RateUnit::KelvinPerMinute};
}

}  // namespace

HeatingRate ReadHeatingRate(std::string_view text) {
    const auto [number, unit] = SplitUnit(text);
    double given = 0;
    try {
        given = StrToFloat(number);
    } catch (const Exception&) {
        throw Exception("needs a heating rate such as 5, 5K/min or 1K/s, not \"" +
                        std::string(text) + "\"");
    }
    if (!(std::isfinite(given) && given > 0)) {
        throw Exception("must be a finite number greater than 0, not \"" + std::string(text) +
                        "\"");
    }
    const double perMinute = unit == RateUnit::KelvinPerSecond ? given * kSecondsPerMinute : given;
    if (!(perMinute >= kSlowestKelvinPerMinute && perMinute <= kFastestKelvinPerMinute)) {
        throw Exception("\"" + std::string(text) +
                        "\" is outside the heating rates of real runs, " +
                        Shortest(kSlowestKelvinPerMinute) + " to " +
                        Shortest(kFastestKelvinPerMinute) + " K/min");
    }
    return {perMinute, unit, given};
}

std::string HeatingRateRange() {
    return Shortest(kSlowestKelvinPerMinute) + " to " + Shortest(kFastestKelvinPerMinute) +
           " K/min";
}

std::string HeatingRateText(const HeatingRate& rate) {
    const std::string perMinute = Shortest(rate.kelvinPerMinute) + " K/min";
    if (rate.unit == RateUnit::KelvinPerMinute) return perMinute;
    return perMinute + " (" + Shortest(rate.given) + " K/s)";
}
