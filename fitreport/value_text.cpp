#include "value_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace tsc::analysis {

std::string Significant(double value, int digits) {
    if (!std::isfinite(value)) return "undefined";
    char text[40];
    std::snprintf(text, sizeof text, "%.*g", digits, value);
    return text;
}

std::string Fixed(double value, int decimals) {
    if (!std::isfinite(value)) return "undefined";
    char text[40];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string WithError(const Estimate& e, const std::string& unit) {
    if (e.derived) return Significant(e.value, 6) + unit;
    if (!e.fitted) return Significant(e.value, 6) + unit + " (fixed)";
    if (e.atBound) return Significant(e.value, 6) + unit + " (at its bound)";
    std::string text = Significant(e.value, 6) + " ± " + Significant(e.stderr_, 2) + unit;
    if (e.undetermined) text += " (?)";
    return text;
}

std::string Pad(const std::string& text, std::size_t width) {
    std::size_t characters = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    }
    if (characters >= width) return text + " ";
    return text + std::string(width - characters, ' ');
}

std::string CsvNumber(double value) {
    if (!std::isfinite(value)) return "nan";
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc{} ? std::string(text, end) : "nan";
}

std::string PeakRemarks(const std::vector<FittedPeak>& peaks) {
    std::string text;
    for (std::size_t k = 0; k < peaks.size(); ++k) {
        const FittedPeak& p = peaks[k];
        if (p.verdict == PeakVerdict::RanAway || p.why.empty()) continue;
        text +=
            "  peak " + std::to_string(k + 1) +
            (p.verdict == PeakVerdict::Undetermined ? " is not determined by the data: " : ": ") +
            p.why + "\n";
    }
    return text;
}

}  // namespace tsc::analysis
