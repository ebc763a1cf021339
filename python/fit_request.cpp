#include "fit_request.h"

#include <Python.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace tsc::python {

namespace {

using analysis::BackgroundKind;
using analysis::FixedValue;
using analysis::Kinetics;
using analysis::PeakCount;
using analysis::PeakParameter;
using analysis::Weighting;

template <class T, std::size_t N>
T Choice(const std::string& value, const char* argument,
         const std::array<std::pair<const char*, T>, N>& choices) {
    std::string names;
    for (const auto& [name, choice] : choices) {
        if (value == name) return choice;
        names += std::string(names.empty() ? "" : ", ") + "\"" + name + "\"";
    }
    throw py::value_error(std::string(argument) + " takes " + names + ", not \"" + value + "\"");
}

analysis::PeakRequest Peaks(py::handle peaks) {
    analysis::PeakRequest request;
    if (py::isinstance<py::str>(peaks)) {
        if (peaks.cast<std::string>() != "auto") {
            throw py::value_error(
                "peaks takes \"auto\", a number or a list of temperatures, not \"" +
                peaks.cast<std::string>() + "\"");
        }
        request.count = PeakCount::Automatic;
        return request;
    }
    // Any integer, numpy's too; not True or False.
    if (py::hasattr(peaks, "__index__") && !py::isinstance<py::bool_>(peaks)) {
        const auto integer = py::reinterpret_steal<py::object>(PyNumber_Index(peaks.ptr()));
        if (!integer) throw py::error_already_set();
        int overflow = 0;
        const long long number = PyLong_AsLongLongAndOverflow(integer.ptr(), &overflow);
        if (overflow != 0 || number < 1 || number > analysis::kMostPeaks) {
            throw py::value_error("peaks must be from 1 to " +
                                  std::to_string(analysis::kMostPeaks));
        }
        request.count = number == 1 ? PeakCount::One : PeakCount::Number;
        request.number = static_cast<int>(number);
        return request;
    }
    if (!py::isinstance<py::sequence>(peaks) && !py::hasattr(peaks, "__array__")) {
        throw py::type_error(
            "peaks takes \"auto\", a number of peaks or a list of temperatures (K)");
    }
    std::vector<double> temperatures = FiniteArray(peaks, "peaks");
    if (temperatures.size() > static_cast<std::size_t>(analysis::kMostPeaks)) {
        throw py::value_error("peaks lists more than " + std::to_string(analysis::kMostPeaks) +
                              " temperatures");
    }
    for (const double T : temperatures) Positive(T, "each temperature in peaks");
    // The fixed values count the peaks from the coldest.
    std::sort(temperatures.begin(), temperatures.end());
    request.count = PeakCount::AtTemperatures;
    request.number = static_cast<int>(temperatures.size());
    request.temperatures = std::move(temperatures);
    return request;
}

int MostPeaks(const analysis::PeakRequest& peaks) {
    return peaks.count == PeakCount::Automatic ? analysis::kMostPeaks : peaks.number;
}

// "NAME" for the first peak or "K:NAME" for the K-th, counted from the
// coldest.
FixedValue FixedValueOf(const std::string& key, double value, const FitRequest& r) {
    const std::size_t colon = key.find(':');
    const std::string name = colon == std::string::npos ? key : key.substr(colon + 1);
    int peak = 1;
    if (colon != std::string::npos) {
        const std::string number = key.substr(0, colon);
        const bool digits =
            !number.empty() && number.size() <= 3 &&
            std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
        peak = digits ? std::stoi(number) : 0;
    }
    const int most = MostPeaks(r.request.peaks);
    if (peak < 1 || peak > most) {
        throw py::value_error("fix: \"" + key + "\" names no peak: the peaks are 1 to " +
                              std::to_string(most));
    }
    const std::string what = "fix[\"" + key + "\"]";
    Positive(value, what.c_str());
    if (name == "Et") return {peak - 1, PeakParameter::Et, value};
    if (name == "Vt") return {peak - 1, PeakParameter::Vt, value};
    if (name == "b") {
        if (r.request.kinetics != Kinetics::General) {
            throw py::value_error("fix: b is fixed by the order; only order=\"general\" fits it");
        }
        return {peak - 1, PeakParameter::B, value};
    }
    if (name == "Nt") {
        if (!r.description.areaMm2) {
            throw py::value_error("fix: Nt needs the cross-section: area=mm^2");
        }
        return {peak - 1, PeakParameter::Charge,
                value / analysis::DensityOfCharge(1, *r.description.areaMm2)};
    }
    throw py::value_error("fix takes Et, Vt, b and Nt, each as NAME or PEAK:NAME, not \"" + key +
                          "\"");
}

std::vector<FixedValue> Fixed(py::handle fix, const FitRequest& r) {
    if (fix.is_none()) return {};
    if (!py::isinstance<py::dict>(fix)) {
        throw py::type_error("fix takes a dict such as {\"Et\": 0.5, \"2:Vt\": 1e12}");
    }
    std::vector<FixedValue> fixed;
    for (const auto& [key, value] : fix.cast<py::dict>()) {
        if (!py::isinstance<py::str>(key)) throw py::type_error("fix's keys are texts like \"Et\"");
        const std::string name = key.cast<std::string>();
        const FixedValue f = FixedValueOf(name, Number(value, "fix[\"" + name + "\"]"), r);
        for (const FixedValue& other : fixed) {
            if (other.peak == f.peak && other.name == f.name) {
                throw py::value_error("fix holds " + std::string(ParameterName(f.name)) +
                                      " of peak " + std::to_string(f.peak + 1) + " twice");
            }
        }
        fixed.push_back(f);
    }
    return fixed;
}

std::optional<std::pair<double, double>> Range(py::handle range) {
    if (range.is_none()) return std::nullopt;
    const std::vector<double> ends = FiniteArray(range, "range");
    if (ends.size() != 2 || !(ends[0] < ends[1])) {
        throw py::value_error("range takes two temperatures (low, high) with low < high, in K");
    }
    return std::pair{ends[0], ends[1]};
}

}  // namespace

FitRequest ReadFitArguments(const FitArguments& a) {
    FitRequest r;
    const HeatingRateInput rate = HeatingRateOf(RequiredBeta(a.beta), a.betaUnit);
    r.request.betaPerSecond = rate.kPerSecond;
    r.description.beta = {rate.kPerMin, rate.givenPerSecond};
    if (a.area) r.description.areaMm2 = Positive(*a.area, "area");
    r.request.peaks = Peaks(a.peaks);
    r.request.kinetics = Choice<Kinetics, 3>(a.order, "order",
                                             {{{"first", Kinetics::First},
                                               {"second", Kinetics::Second},
                                               {"general", Kinetics::General}}});
    r.request.background =
        Choice<BackgroundKind, 4>(a.background, "background",
                                  {{{"none", BackgroundKind::None},
                                    {"constant", BackgroundKind::Constant},
                                    {"linear", BackgroundKind::Linear},
                                    {"exponential", BackgroundKind::Exponential}}});
    r.request.weighting = Choice<Weighting, 2>(
        a.weights, "weights", {{{"none", Weighting::None}, {"poisson", Weighting::Poisson}}});
    r.request.fixed = Fixed(a.fix, r);
    r.description.kinetics = r.request.kinetics;
    r.description.background = r.request.background;
    r.description.weighting = r.request.weighting;
    r.description.range = Range(a.range);
    return r;
}

int LeastPeaks(const analysis::PeakRequest& peaks) {
    return peaks.count == PeakCount::Automatic ? 1 : peaks.number;
}

}  // namespace tsc::python
