// The measured-curve reader on any bytes: no crash, and a curve it accepts
// has temperatures above 0 K in order and finite values.
#include <cmath>
#include <cstdint>
#include <string_view>
#include <variant>

#include "measured_curve.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool celsius = data[0] & 1;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const auto reading = tsc::analysis::ParseMeasuredCurve(bytes, "fuzz", celsius);
    const auto* curve = std::get_if<tsc::analysis::MeasuredCurve>(&reading);
    if (curve == nullptr) return 0;
    if (curve->T.size() != curve->I.size()) __builtin_trap();
    for (std::size_t i = 0; i < curve->T.size(); ++i) {
        if (!std::isfinite(curve->T[i]) || !std::isfinite(curve->I[i]) || !(curve->T[i] > 0) ||
            (i > 0 && !(curve->T[i] >= curve->T[i - 1]))) {
            __builtin_trap();
        }
    }
    return 0;
}
