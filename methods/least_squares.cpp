#include "least_squares.h"

#include <limits>

namespace tsc::analysis {

LinearFit FitLinearModel(const Eigen::MatrixXd& design, const Eigen::VectorXd& y) {
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

StraightLine FitStraightLine(std::span<const double> x, std::span<const double> y) {
    const auto n = static_cast<Eigen::Index>(x.size());
    const Eigen::Map<const Eigen::VectorXd> xs(x.data(), n);
    const double mean = xs.mean();
    Eigen::MatrixXd design(n, 2);
    design.col(0).setOnes();
    design.col(1) = xs.array() - mean;
    const LinearFit fit = FitLinearModel(design, Eigen::Map<const Eigen::VectorXd>(y.data(), n));

    // Back from the value at the mean to the value at x = 0.
    const Eigen::MatrixXd& c = fit.covariance;
    StraightLine line;
    line.slope = fit.coefficients(1);
    line.intercept = fit.coefficients(0) - mean * line.slope;
    line.slopeVariance = c(1, 1);
    line.interceptVariance = c(0, 0) - 2 * mean * c(0, 1) + mean * mean * c(1, 1);
    line.covariance = c(0, 1) - mean * c(1, 1);
    line.r2 = fit.r2;
    line.degreesOfFreedom = fit.degreesOfFreedom;
    return line;
}

}  // namespace tsc::analysis
