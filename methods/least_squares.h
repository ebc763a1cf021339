#pragma once

#include <Eigen/Dense>
#include <optional>
#include <span>

namespace tsc::analysis {

// Ordinary least squares of y on the powers 1, u, …, u^(terms−1), solved by
// QR, with the coefficients' covariance σ²·(XᵀX)⁻¹ where σ² = SSR/(n − p).
// With n = p the covariance is not defined (NaN). u should be scaled to about
// [−1, 1] so that the powers stay well conditioned.
//
// None where the inputs are not finite, there are fewer points than terms,
// the coefficients or R² come out not finite (u with fewer different values
// than terms, an overflow), or the matrices cannot be allocated, so that no
// caller reports such a fit.
struct LinearFit {
    Eigen::VectorXd coefficients;  // of 1, u, u², …
    Eigen::MatrixXd covariance;
    double r2 = 0;
    int degreesOfFreedom = 0;
};

std::optional<LinearFit> FitPolynomial(std::span<const double> u, std::span<const double> y,
                                       int terms);

// y ≈ intercept + slope·x. The regressor is centred and scaled to its range
// before the fit, so that narrow ranges far from zero (1/T over a few kelvin)
// stay well conditioned. None where x takes fewer than two values or a
// result is not finite.
struct StraightLine {
    double slope = 0;
    double intercept = 0;
    double slopeVariance = 0;
    double interceptVariance = 0;
    double covariance = 0;  // of slope and intercept
    double r2 = 0;
    int degreesOfFreedom = 0;
};

std::optional<StraightLine> FitStraightLine(std::span<const double> x, std::span<const double> y);

// How many different values `values` holds: samples at one temperature
// determine a fit's shape no more than one sample there does.
int DistinctValues(std::span<const double> values);

}  // namespace tsc::analysis
