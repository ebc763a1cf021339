#include "fit_request.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

#include "exception.h"
#include "number_text.h"
#include "option_readers.h"

namespace {

constexpr const char* kParameterNames[] = {"Et", "Vt", "Nt", "b"};

const char* NameOf(FitRequest::Parameter parameter) {
    return kParameterNames[static_cast<int>(parameter)];
}

// A whole number of plain digits, or nothing.
std::optional<int> WholeNumber(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

FitRequest::Peaks ReadPeaks(std::string_view text) {
    using Kind = FitRequest::Peaks::Kind;
    if (text == "auto") return {Kind::Auto, 0, {}};
    if (const std::optional<int> count = WholeNumber(text)) {
        if (*count < 1 || *count > tsc::analysis::kMostPeaks) {
            throw Exception("takes 1 to " + std::to_string(tsc::analysis::kMostPeaks) +
                            " peaks, not " + std::string(text));
        }
        return {Kind::Count, *count, {}};
    }
    FitRequest::Peaks peaks{Kind::Near, 0, {}};
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        const std::string_view item = text.substr(start, comma - start);
        start = comma + 1;
        if (item.empty() && comma == text.size() && !peaks.temperatures.empty()) break;
        double T = 0;
        try {
            T = StrToFloat(item);
        } catch (const Exception&) {
            throw Exception(
                "takes auto, a number of peaks or temperatures T1,T2,... (one "
                "temperature with a decimal point, as 210.0), not \"" +
                std::string(text) + "\"");
        }
        if (!std::isfinite(T) || (!peaks.temperatures.empty() && T <= peaks.temperatures.back())) {
            throw Exception("needs finite temperatures in increasing order, not \"" +
                            std::string(text) + "\"");
        }
        peaks.temperatures.push_back(T);
    }
    if (peaks.temperatures.size() > static_cast<std::size_t>(tsc::analysis::kMostPeaks)) {
        throw Exception("takes at most " + std::to_string(tsc::analysis::kMostPeaks) + " peaks");
    }
    peaks.count = static_cast<int>(peaks.temperatures.size());
    return peaks;
}

FitRequest::Fix ReadFix(std::string_view text) {
    FitRequest::Fix fix;
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        throw Exception("needs [K:]NAME=VALUE, as in Et=0.5 or 2:Vt=1e10, not \"" +
                        std::string(text) + "\"");
    }
    std::string_view name = text.substr(0, equals);
    if (const std::size_t colon = name.find(':'); colon != std::string_view::npos) {
        const std::optional<int> peak = WholeNumber(name.substr(0, colon));
        if (!peak || *peak < 1 || *peak > tsc::analysis::kMostPeaks) {
            throw Exception("needs a peak number K from 1 to " +
                            std::to_string(tsc::analysis::kMostPeaks) +
                            " before the colon, not \"" + std::string(text) + "\"");
        }
        fix.peak = *peak;
        name = name.substr(colon + 1);
    }
    const auto* known = std::find(std::begin(kParameterNames), std::end(kParameterNames), name);
    if (known == std::end(kParameterNames)) {
        throw Exception("takes Et, Vt, Nt or b, not \"" + std::string(name) + "\"");
    }
    fix.parameter = static_cast<FitRequest::Parameter>(known - std::begin(kParameterNames));
    try {
        fix.value = ReadPositive(text.substr(equals + 1));
    } catch (const Exception& e) {
        throw Exception(std::string(name) + " " + e.what());
    }
    return fix;
}

bool ReadShared(std::string_view text) {
    std::vector<std::string_view> names;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        names.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    std::sort(names.begin(), names.end());
    using List = std::vector<std::string_view>;
    if (names == List{"Et", "Vt", "b"}) return false;
    if (names == List{"Et", "Nt", "Vt", "b"}) return true;
    throw Exception(
        "takes Et,Vt,b (each level's Et, νt and b shared by every curve) or Et,Vt,b,Nt (the "
        "trap density too), not \"" +
        std::string(text) + "\"");
}

void CheckFitRequest(const FitRequest& request) {
    using Parameter = FitRequest::Parameter;
    for (std::size_t i = 0; i < request.fixes.size(); ++i) {
        const FitRequest::Fix& fix = request.fixes[i];
        const std::string named = std::to_string(fix.peak) + ":" + NameOf(fix.parameter);
        if (fix.parameter == Parameter::Nt && !request.areaMm2) {
            throw Exception("--fix " + named + " needs --area: Nt is a density over the area");
        }
        if (fix.parameter == Parameter::b && request.order != FitRequest::Order::General) {
            throw Exception("--fix " + named + " needs --order general: only it has the order b");
        }
        if (request.peaks.kind != FitRequest::Peaks::Kind::Auto && fix.peak > request.peaks.count) {
            throw Exception("--fix " + named + " names peak " + std::to_string(fix.peak) +
                            ", but --peaks asks for " + std::to_string(request.peaks.count));
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (request.fixes[j].peak == fix.peak && request.fixes[j].parameter == fix.parameter) {
                throw Exception("--fix " + named + " is given twice");
            }
        }
    }
}
