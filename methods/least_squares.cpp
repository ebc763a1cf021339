#include "least_squares.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
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

std::optional<LinearFit> FitLinearModel(const Eigen::MatrixXd& design, const Eigen::VectorXd& y) {
    if (design.rows() < design.cols() || design.rows() != y.size()) return std::nullopt;
    if (!AllFinite(design) || !AllFinite(y)) return std::nullopt;
    try {
        LinearFit fit = Solve(design, y);
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
    if (x.size() != y.size() || x.empty()) return std::nullopt;
    const auto n = static_cast<Eigen::Index>(x.size());
    const Eigen::Map<const Eigen::VectorXd> xs(x.data(), n);
    if (!AllFinite(xs)) return std::nullopt;
    const double range = xs.maxCoeff() - xs.minCoeff();
    if (!(range > 0) || !std::isfinite(range)) return std::nullopt;
    const double mean = xs.mean();
    Eigen::MatrixXd design(n, 2);
    design.col(0).setOnes();
    design.col(1) = (xs.array() - mean) / range;
    const std::optional<LinearFit> fit =
        FitLinearModel(design, Eigen::Map<const Eigen::VectorXd>(y.data(), n));
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
