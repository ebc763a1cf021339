// StrToFloat on any text, and FloatToStr on any binary64 value: no crash,
// and a value's text reads back to a value with the same text.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "exception.h"
#include "number_text.h"

namespace {

// The 15 digits shown for the largest values round beyond the largest
// binary64 number; those texts read as infinity, which the parameter check
// refuses as too large.
void ReadsBackTheSame(double value) {
    const std::string text = FloatToStr(value);
    try {
        const std::string back = FloatToStr(StrToFloat(text));
        if (back != text && !(text.ends_with("E308") && back.ends_with("INF"))) __builtin_trap();
    } catch (const EConvertError&) {
        // NAN and INF are shown but are no numbers to read.
        if (std::isfinite(value)) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof value);
        ReadsBackTheSame(value);
    }
    try {
        ReadsBackTheSame(StrToFloat(std::string_view(reinterpret_cast<const char*>(data), size)));
    } catch (const EConvertError&) {
    }
    return 0;
}
