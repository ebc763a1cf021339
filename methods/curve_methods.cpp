#include "curve_methods.h"

#include <cmath>
#include <optional>

namespace tsc::analysis {
namespace {

std::optional<MethodRefusal> CheckCurve(std::span<const double> temperature,
                                        std::span<const double> current) {
    const MethodRefusal invalid{RefusalReason::InvalidCurve};
    if (temperature.size() != current.size()) return invalid;
    for (std::size_t i = 0; i < current.size(); ++i) {
        if (!std::isfinite(current[i]) || !std::isfinite(temperature[i])) return invalid;
        if (!(temperature[i] > 0) || (i > 0 && temperature[i] < temperature[i - 1])) return invalid;
    }
    return std::nullopt;
}

}  // namespace

CurveMethods EvaluateCurve(std::span<const double> temperature, std::span<const double> current,
                           double betaKPerMin, RiseWindow window) {
    CurveMethods result;
    const std::optional<MethodRefusal> invalid = CheckCurve(temperature, current);
    result.peak = invalid ? Outcome<PeakLocation>(*invalid) : LocatePeak(temperature, current);
    const MethodRefusal* noPeak = Refused(result.peak);
    if (noPeak) {
        result.T1 = result.T2 = result.tau = result.delta = result.omega = *noPeak;
        result.widths = *noPeak;
        result.chen.fill(*noPeak);
        result.initialRise = *noPeak;
        result.wholeCurve = *noPeak;
        return result;
    }
    const PeakLocation& peak = std::get<PeakLocation>(result.peak);
    const Outcome<double> Tm = peak.Tm;
    HalfIntensity half = FindHalfIntensity(temperature, current, peak);
    result.T1 = half.T1;
    result.T2 = half.T2;
    result.tau = Combine([](double tm, double t1) { return tm - t1; }, Tm, result.T1);
    result.delta = Combine([](double tm, double t2) { return t2 - tm; }, Tm, result.T2);
    result.omega = Combine([](double t1, double t2) { return t2 - t1; }, result.T1, result.T2);
    result.widths = Combine([&](double t1, double t2) { return WidthsOfPeak(peak.Tm, t1, t2); },
                            result.T1, result.T2);
    for (std::size_t i = 0; i < kWidths.size(); ++i) {
        if (const MethodRefusal* refusal = Refused(result.widths)) {
            result.chen[i] = *refusal;
        } else {
            result.chen[i] = ChenShapeEnergy(kWidths[i], std::get<PeakWidths>(result.widths),
                                             peak.Tm, betaKPerMin);
        }
    }
    result.initialRise = InitialRiseMethod(temperature, current, peak, window);
    result.wholeCurve = WholeCurveMethod(temperature, current, peak, betaKPerMin);
    return result;
}

}  // namespace tsc::analysis
