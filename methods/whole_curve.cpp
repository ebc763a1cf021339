#include "whole_curve.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

#include "least_squares.h"
#include "physical_constants.h"
#include "remaining_charge.h"

namespace tsc::analysis {
namespace {

constexpr double kRiseFraction = 0.05;
constexpr double kFallFraction = 0.30;
constexpr double kTailFraction = 0.05;

struct Curvature {
    double value = 0;
    double error = 0;
};

// The parabola a + b·u + c·u² in u = (x − middle)/halfRange, which runs from
// −1 to 1 over the points: its middle lies c below the chord through its ends.
std::optional<Curvature> CurvatureOf(const std::vector<double>& x, const std::vector<double>& z) {
    const auto [low, high] = std::minmax_element(x.begin(), x.end());
    const double middle = 0.5 * (*low + *high), halfRange = 0.5 * (*high - *low);
    std::vector<double> u;
    for (double value : x) u.push_back((value - middle) / halfRange);
    const std::optional<LinearFit> fit = FitPolynomial(u, z, 3);
    if (!fit || fit->degreesOfFreedom < 1) return std::nullopt;
    return Curvature{fit->coefficients(2), std::sqrt(fit->covariance(2, 2))};
}

int Percent(double fraction) {
    return static_cast<int>(std::clamp(std::floor(100 * fraction), 0.0, 1e6));
}

}  // namespace

Outcome<WholeCurve> WholeCurveMethod(std::span<const double> temperature,
                                     std::span<const double> current, const PeakLocation& peak,
                                     double betaKPerMin) {
    if (!(betaKPerMin > 0) || !std::isfinite(betaKPerMin))
        return MethodRefusal{RefusalReason::InvalidHeatingRate};
    const std::size_t n = current.size(), top = peak.sampleIndex;
    // In fractions of the peak, so that the integral cannot overflow for
    // currents near the largest double; Q/I does not depend on the unit.
    std::vector<double> y(n);
    for (std::size_t i = 0; i < n; ++i) y[i] = current[i] / peak.Im;

    const double lowest =
        top + 1 < n ? *std::min_element(y.begin() + static_cast<std::ptrdiff_t>(top) + 1, y.end())
                    : std::numeric_limits<double>::infinity();
    if (!(lowest < kTailFraction))
        return MethodRefusal{RefusalReason::NoChargeTail, Percent(lowest), Percent(kTailFraction)};
    const std::vector<double> remaining = IntegralToEnd(temperature, y);
    if (!std::all_of(remaining.begin(), remaining.end(), [](double q) { return std::isfinite(q); }))
        return MethodRefusal{RefusalReason::OutOfRange};
    if (!(remaining[top] > 0)) return MethodRefusal{RefusalReason::NonPositiveCharge};

    std::size_t first = top, last = top;
    while (first > 0 && y[first - 1] >= kRiseFraction) --first;
    while (last + 1 < n && y[last + 1] >= kFallFraction && remaining[last + 1] > 0) ++last;
    std::vector<double> x, z;
    for (std::size_t i = first; i <= last; ++i) {
        x.push_back(1 / temperature[i]);
        z.push_back(std::log(remaining[i] / y[i]));
    }
    const int temperatures = DistinctValues(x);
    if (temperatures < kMinimumWholeCurvePoints) {
        return MethodRefusal{RefusalReason::TooFewPointsForWholeCurve, temperatures,
                             kMinimumWholeCurvePoints};
    }

    const std::optional<StraightLine> line = FitStraightLine(x, z);
    const std::optional<Curvature> curvature = CurvatureOf(x, z);
    if (!line || !curvature) return MethodRefusal{RefusalReason::OutOfRange};
    WholeCurve result;
    result.Et.value = kBoltzmannEv * line->slope;
    if (!(result.Et.value > 0)) return MethodRefusal{RefusalReason::NonPositiveEnergy};
    // The fit's z is ln(Q/I) times β in K/s; the line is kept in seconds.
    result.slope = line->slope;
    result.intercept = line->intercept - std::log(betaKPerMin / kSecondsPerMinute);
    result.Vt.value = std::exp(-result.intercept);
    if (!std::isfinite(result.Vt.value)) return MethodRefusal{RefusalReason::FrequencyOverflow};
    if (!(result.Vt.value > 0)) return MethodRefusal{RefusalReason::OutOfRange};
    result.Et.standardError = kBoltzmannEv * std::sqrt(line->slopeVariance);
    // The intercept's error is that of ln νt; beyond 1 the error of νt itself
    // would say νt ± more than νt, where only its order of magnitude is known.
    const double logVtError = std::sqrt(line->interceptVariance);
    if (logVtError <= 1) {
        result.Vt.standardError = result.Vt.value * logVtError;
    } else {
        result.Vt.standardError = MethodRefusal{RefusalReason::FrequencyErrorTooLarge};
    }
    result.r2 = line->r2;
    result.curvature = curvature->value;
    result.curvatureError = curvature->error;
    result.points = static_cast<int>(x.size());
    result.firstT = temperature[first];
    result.lastT = temperature[last];
    if (!std::isfinite(result.Et.value) || !std::isfinite(logVtError))
        return MethodRefusal{RefusalReason::OutOfRange};
    return result;
}

}  // namespace tsc::analysis
