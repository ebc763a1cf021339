#include "option_readers.h"

#include <cctype>
#include <cmath>

#include "exception.h"
#include "number_text.h"

double ReadPositive(std::string_view text) {
    double value = 0;
    try {
        value = StrToFloat(text);
    } catch (const Exception&) {
        throw Exception("needs a number, not \"" + std::string(text) + "\"");
    }
    if (!(std::isfinite(value) && value > 0)) {
        throw Exception("must be a finite number greater than 0, not \"" + std::string(text) +
                        "\"");
    }
    return value;
}

std::pair<double, double> ReadSpan(std::string_view text) {
    const std::size_t colon = text.find(':');
    try {
        if (colon != std::string_view::npos) {
            const double low = StrToFloat(text.substr(0, colon));
            const double high = StrToFloat(text.substr(colon + 1));
            if (std::isfinite(low) && std::isfinite(high) && low < high) return {low, high};
        }
    } catch (const Exception&) {
    }
    throw Exception("needs LOW:HIGH, two finite numbers with LOW < HIGH, not \"" +
                    std::string(text) + "\"");
}

std::string ReadPngName(std::string_view text) {
    std::string end(text.substr(text.size() < 4 ? 0 : text.size() - 4));
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (text.size() <= 4 || end != ".png") {
        throw Exception("the picture is written as PNG only; give a name ending in .png, not \"" +
                        std::string(text) + "\"");
    }
    return std::string(text);
}
