#include "peak_location.h"

#include <algorithm>
#include <boost/math/tools/minima.hpp>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "least_squares.h"

namespace tsc::analysis {
namespace {

constexpr double kTopFraction = 0.8;
constexpr int kQuarticTerms = 5;
constexpr int kMinimumTopPoints = kQuarticTerms + 1;

double Polynomial(const Eigen::VectorXd& c, double u) {
    double value = 0;
    for (Eigen::Index j = c.size() - 1; j >= 0; --j) value = value * u + c(j);
    return value;
}

// Where the polynomial has its largest value inside (low, high), if not at an end.
// Brent's search runs without end on bounds that are not numbers; its
// iterations are bounded all the same, far above the few dozen it needs.
std::optional<double> InteriorMaximum(const Eigen::VectorXd& c, double low, double high) {
    if (!(low < high) || !std::isfinite(low) || !std::isfinite(high)) return std::nullopt;
    std::uintmax_t iterations = 1000;
    const auto [u, negativeMaximum] = boost::math::tools::brent_find_minima(
        [&](double v) { return -Polynomial(c, v); }, low, high,
        std::numeric_limits<double>::digits / 2, iterations);
    const double margin = 1e-6 * (high - low);
    if (u <= low + margin || u >= high - margin) return std::nullopt;
    if (-negativeMaximum < std::max(Polynomial(c, low), Polynomial(c, high))) return std::nullopt;
    return u;
}

}  // namespace

Outcome<PeakLocation> LocatePeak(std::span<const double> temperature,
                                 std::span<const double> current) {
    const std::size_t n = current.size();
    if (n < 3) return MethodRefusal{RefusalReason::NoPeak};
    const auto top = static_cast<std::size_t>(std::max_element(current.begin(), current.end()) -
                                              current.begin());
    const double largest = current[top];
    if (!(largest > 0) || top == 0 || top == n - 1) return MethodRefusal{RefusalReason::NoPeak};

    std::size_t first = top, last = top;
    while (first > 0 && current[first - 1] > kTopFraction * largest) --first;
    while (last + 1 < n && current[last + 1] > kTopFraction * largest) ++last;
    const int count = static_cast<int>(last - first + 1);
    const int temperatures = DistinctValues(temperature.subspan(first, count));
    if (temperatures < kMinimumTopPoints)
        return MethodRefusal{RefusalReason::TooFewPointsInPeakTop, temperatures, kMinimumTopPoints};

    // u = (T − T_top)/halfSpan keeps the powers of the design matrix near 1,
    // and ln(I/largest) keeps the fit and its exponential within range for
    // currents near the largest double.
    const double centre = temperature[top];
    const double halfSpan = 0.5 * (temperature[last] - temperature[first]);
    std::vector<double> scaled, logCurrent;
    for (std::size_t i = first; i <= last; ++i) {
        scaled.push_back((temperature[i] - centre) / halfSpan);
        logCurrent.push_back(std::log(current[i] / largest));
    }
    const std::optional<LinearFit> fit = FitPolynomial(scaled, logCurrent, kQuarticTerms);
    if (!fit) return MethodRefusal{RefusalReason::OutOfRange};
    const Eigen::VectorXd& c = fit->coefficients;
    const auto u = InteriorMaximum(c, (temperature[first] - centre) / halfSpan,
                                   (temperature[last] - centre) / halfSpan);
    if (!u) return MethodRefusal{RefusalReason::NoPeak};
    // Were the peak above largest/0.8, every sample would lie below 80 % of
    // it: none would be on the top the fit is meant for, and the quartic would
    // be an extrapolation over the gap between them.
    const double relativeTop = std::exp(Polynomial(c, *u));
    if (!(relativeTop <= 1 / kTopFraction)) return MethodRefusal{RefusalReason::PeakTopNotSampled};

    PeakLocation peak;
    peak.Tm = centre + *u * halfSpan;
    peak.Im = relativeTop * largest;
    if (!std::isfinite(peak.Im) || !std::isfinite(peak.Tm))
        return MethodRefusal{RefusalReason::OutOfRange};
    peak.sampleIndex = top;
    peak.pointsUsed = count;
    return peak;
}

}  // namespace tsc::analysis
