#pragma once

#include <string>
#include <variant>

namespace tsc::analysis {

// Why a classic method cannot be applied to a curve. The reason stays data so
// that the text report and the JSON report can each say it their own way.
enum class RefusalReason {
    NoPeak,                 // the largest current is not positive or lies at an end of the data
    TooFewPointsInPeakTop,  // too few temperatures above 80 % of the maximum for the local fit
    NoHalfMaximumBelow,     // the curve does not fall to half its peak before the data start
    NoHalfMaximumAbove,     // ... or after the peak before the data end
    TooFewPointsInRiseWindow,
    NonPositiveEnergy,
    FrequencyOverflow,  // the energy's escape frequency is beyond the double range
    TooFewCurves,
    CurveWithoutPeak,    // a curve of a heating-rate series has no peak
    PeaksDoNotMove,      // every heating rate gives the same peak temperature
    NoDegreesOfFreedom,  // a standard error of a fit through exactly as many points as terms
    InvalidCurve,        // columns of unequal length, values not finite, T not above 0 K or falling
    InvalidHeatingRate,  // not a finite rate above 0 K/min
    InvalidRiseWindow,   // not 0 < low < high
    PeakTopNotSampled,   // the local fit rises so far above the samples that it extrapolates
    HalfIntensityNotAroundPeak,  // T1 < Tm < T2 does not hold
    OutOfRange,                  // a result is too large or too small for a double
    TooFewPointsForWholeCurve,
    NoChargeTail,            // the current does not fall far enough after the peak
    NonPositiveCharge,       // the current after the peak integrates to no positive charge
    FrequencyErrorTooLarge,  // the frequency is known to no better than a factor e
    RatesAreEqual,           // every curve of a heating-rate series has the same heating rate
};

struct MethodRefusal {
    RefusalReason reason;
    // Points or curves there are, where the reason counts them, and how many
    // the method needs; for NoChargeTail the percentages of the peak current.
    int found = 0;
    int needed = 0;
};

// A method's result, or why there is none.
template <class T>
using Outcome = std::variant<T, MethodRefusal>;

template <class T>
const T* Applied(const Outcome<T>& outcome) {
    return std::get_if<T>(&outcome);
}

template <class T>
const MethodRefusal* Refused(const Outcome<T>& outcome) {
    return std::get_if<MethodRefusal>(&outcome);
}

// The result of `make` on the values of all `inputs`, or the first refusal
// among them: a quantity derived from refused ones is refused for their reason.
template <class Make, class... T>
auto Combine(Make make, const Outcome<T>&... inputs)
    -> Outcome<decltype(make(std::get<T>(inputs)...))> {
    const MethodRefusal* refusal = nullptr;
    ((refusal = refusal ? refusal : Refused(inputs)), ...);
    if (refusal) return *refusal;
    return make(std::get<T>(inputs)...);
}

std::string DescribeRefusal(const MethodRefusal& refusal);

}  // namespace tsc::analysis
