#include "peak_location.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "least_squares.h"

namespace tsc {
namespace {

constexpr double kTopFraction = 0.8;
constexpr int kCubicTerms = 4;
constexpr int kMinimumTopPoints = kCubicTerms + 1;

// Where the cubic c0 + c1·u + c2·u² + c3·u³ has its maximum inside [low, high].
std::optional<double> CubicMaximum(const Eigen::VectorXd& c, double low, double high) {
    // The derivative c1 + 2·c2·u + 3·c3·u², solved without cancellation.
    const double a = 3 * c(3), b = 2 * c(2), d = c(1);
    double roots[2];
    int count = 0;
    if (std::abs(a) < 1e-12 * (std::abs(b) + std::abs(d))) {
        if (b != 0) roots[count++] = -d / b;
    } else {
        const double discriminant = b * b - 4 * a * d;
        if (discriminant < 0) return std::nullopt;
        const double q = -0.5 * (b + std::copysign(std::sqrt(discriminant), b));
        roots[count++] = q / a;
        if (q != 0) roots[count++] = d / q;
    }
    for (int i = 0; i < count; ++i) {
        const double u = roots[i];
        if (u >= low && u <= high && 2 * c(2) + 6 * c(3) * u < 0) return u;
    }
    return std::nullopt;
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
    if (count < kMinimumTopPoints)
        return MethodRefusal{RefusalReason::TooFewPointsInPeakTop, count, kMinimumTopPoints};

    // u = (T − T_top)/halfSpan keeps the powers of the design matrix near 1.
    const double centre = temperature[top];
    const double halfSpan = 0.5 * (temperature[last] - temperature[first]);
    Eigen::MatrixXd design(count, kCubicTerms);
    Eigen::VectorXd logCurrent(count);
    for (int row = 0; row < count; ++row) {
        const double u = (temperature[first + row] - centre) / halfSpan;
        design.row(row) << 1, u, u * u, u * u * u;
        logCurrent(row) = std::log(current[first + row]);
    }
    const Eigen::VectorXd c = FitLinearModel(design, logCurrent).coefficients;
    const auto u = CubicMaximum(c, (temperature[first] - centre) / halfSpan,
                                (temperature[last] - centre) / halfSpan);
    if (!u) return MethodRefusal{RefusalReason::NoPeak};

    PeakLocation peak;
    peak.Tm = centre + *u * halfSpan;
    peak.Im = std::exp(c(0) + *u * (c(1) + *u * (c(2) + *u * c(3))));
    peak.sampleIndex = top;
    peak.pointsUsed = count;
    return peak;
}

}  // namespace tsc
