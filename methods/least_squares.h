#pragma once

#include <Eigen/Dense>
#include <span>

namespace tsc::analysis {

// Ordinary least squares y ≈ X·c, solved by QR, with the coefficients'
// covariance σ²·(XᵀX)⁻¹ where σ² = SSR/(n − p). With n = p the covariance is
// not defined (NaN).
struct LinearFit {
    Eigen::VectorXd coefficients;
    Eigen::MatrixXd covariance;
    double r2 = 0;
    int degreesOfFreedom = 0;
};

LinearFit FitLinearModel(const Eigen::MatrixXd& design, const Eigen::VectorXd& y);

// y ≈ intercept + slope·x. The regressor is centred before the fit, so that
// narrow ranges far from zero (1/T over a few kelvin) stay well conditioned.
struct StraightLine {
    double slope = 0;
    double intercept = 0;
    double slopeVariance = 0;
    double interceptVariance = 0;
    double covariance = 0;  // of slope and intercept
    double r2 = 0;
    int degreesOfFreedom = 0;
};

StraightLine FitStraightLine(std::span<const double> x, std::span<const double> y);

}  // namespace tsc::analysis
