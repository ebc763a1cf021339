#include "least_squares.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numeric>
#include <vector>

namespace tsc::analysis {
namespace {

bool AllFinite(const auto& matrix) { return matrix.array().isFinite().all(); }

LinearFit Solve(const Eigen::MatrixXd& design, const Eigen::VectorXd& y) {
    const Eigen::Index n = design.rows();
    const Eigen::Index p = design.cols();
    const Eigen::HouseholderQR<Eigen::MatrixXd> qr(design);
    LinearFit fit;
    fit.coefficients = qr.solve(y);
    fit.degreesOfFreedom = static_cast<int>(n - p);

    const Eigen::VectorXd residuals = y - design * fit.coefficients;
    const double ssr = residuals.squaredNorm();
    const double sst = (y.array() - y.mean()).matrix().squaredNorm();
    fit.r2 = sst > 0 ? 1 - ssr / sst : 1;

    const Eigen::MatrixXd r = qr.matrixQR().topRows(p).triangularView<Eigen::Upper>();
    const Eigen::MatrixXd rInverse =
        r.triangularView<Eigen::Upper>().solve(Eigen::MatrixXd::Identity(p, p));
    const double sigma2 = fit.degreesOfFreedom > 0 ? ssr / fit.degreesOfFreedom
                                                   : std::numeric_limits<double>::quiet_NaN();
    fit.covariance = sigma2 * rInverse * rInverse.transpose();
    return fit;
}

}  // namespace

std::optional<LinearFit> FitPolynomial(std::span<const double> u, std::span<const double> y,
                                       int terms) {
    if (terms < 1 || u.size() != y.size() || u.size() < static_cast<std::size_t>(terms))
        return std::nullopt;
    const auto finite = [](double value) { return std::isfinite(value); };
    if (!std::all_of(u.begin(), u.end(), finite) || !std::all_of(y.begin(), y.end(), finite))
        return std::nullopt;
    try {
        const auto n = static_cast<Eigen::Index>(u.size());
        Eigen::MatrixXd design(n, terms);
        for (Eigen::Index row = 0; row < n; ++row) {
            double power = 1;
            for (int column = 0; column < terms; ++column, power *= u[row])
                design(row, column) = power;
        }
        LinearFit fit = Solve(design, Eigen::Map<const Eigen::VectorXd>(y.data(), n));
        const bool covarianceDefined = fit.degreesOfFreedom > 0;
        if (!AllFinite(fit.coefficients) || !std::isfinite(fit.r2) ||
            (covarianceDefined && !AllFinite(fit.covariance))) {
            return std::nullopt;
        }
        return fit;
    } catch (const std::bad_alloc&) {
        // Eigen's only exception: the matrices could not be allocated.
        return std::nullopt;
    }
}

std::optional<StraightLine> FitStraightLine(std::span<const double> x, std::span<const double> y) {
    if (x.empty() || !std::all_of(x.begin(), x.end(), [](double v) { return std::isfinite(v); }))
        return std::nullopt;
    const auto [low, high] = std::minmax_element(x.begin(), x.end());
    const double range = *high - *low;
    if (!(range > 0) || !std::isfinite(range)) return std::nullopt;
    const double mean = std::accumulate(x.begin(), x.end(), 0.0) / static_cast<double>(x.size());
    std::vector<double> u;
    for (double value : x) u.push_back((value - mean) / range);
    const std::optional<LinearFit> fit = FitPolynomial(u, y, 2);
    if (!fit) return std::nullopt;

    // Back from u = (x − mean)/range to x, and from the value at the mean to
    // the value at x = 0.
    const Eigen::MatrixXd& c = fit->covariance;
    StraightLine line;
    line.slope = fit->coefficients(1) / range;
    line.intercept = fit->coefficients(0) - mean * line.slope;
    line.slopeVariance = c(1, 1) / (range * range);
    line.interceptVariance =
        c(0, 0) - 2 * mean * c(0, 1) / range + mean * mean * line.slopeVariance;
    line.covariance = c(0, 1) / range - mean * line.slopeVariance;
    line.r2 = fit->r2;
    line.degreesOfFreedom = fit->degreesOfFreedom;
    const bool finite = std::isfinite(line.slope) && std::isfinite(line.intercept);
    const bool variancesFinite = std::isfinite(line.slopeVariance) &&
                                 std::isfinite(line.interceptVariance) &&
                                 std::isfinite(line.covariance);
    if (!finite || (line.degreesOfFreedom > 0 && !variancesFinite)) return std::nullopt;
    return line;
}

int DistinctValues(std::span<const double> values) {
    std::vector<double> sorted(values.begin(), values.end());
    std::sort(sorted.begin(), sorted.end());
    return static_cast<int>(std::unique(sorted.begin(), sorted.end()) - sorted.begin());
}

}  // namespace tsc::analysis
