#include "curve_smoothing.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <limits>

namespace tsc::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr std::size_t kLeastPointsEachSide = 3;
constexpr std::size_t kNoiseWindow = 16;
constexpr std::size_t kNoiseStride = 8;

double Median(std::vector<double>& values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

}  // namespace

double MedianStep(std::span<const double> T) {
    std::vector<double> steps;
    for (std::size_t i = 1; i < T.size(); ++i) {
        if (T[i] > T[i - 1]) steps.push_back(T[i] - T[i - 1]);
    }
    if (steps.empty()) return 1;
    std::nth_element(steps.begin(), steps.begin() + steps.size() / 2, steps.end());
    return steps[steps.size() / 2];
}

double EstimateNoise(std::span<const double> y) {
    if (y.size() < 5) return 0;
    std::vector<double> d;
    for (std::size_t i = 1; i + 1 < y.size(); ++i)
        d.push_back(std::fabs(y[i + 1] - 2 * y[i] + y[i - 1]));
    std::nth_element(d.begin(), d.begin() + d.size() / 2, d.end());
    // The median absolute second difference of white noise of deviation
    // sigma is 0.6745 * sqrt(6) * sigma.
    return d[d.size() / 2] / (0.6745 * std::sqrt(6.0));
}

SmoothedCurve SmoothCurve(std::span<const double> T, std::span<const double> y, double fixedWidth,
                          double share) {
    const std::size_t n = T.size();
    SmoothedCurve s;
    s.value.resize(n);
    s.slope.resize(n);
    s.curvature.resize(n);
    s.curvatureSpread.resize(n);
    std::vector<double> residual(n);
    std::size_t from = 0, to = 0;  // the window [from, to)
    for (std::size_t i = 0; i < n; ++i) {
        const double halfWidth = std::max(fixedWidth, share * T[i]);
        while (from < i && T[i] - T[from] > halfWidth && i - from > kLeastPointsEachSide) ++from;
        while (to < n && (T[to] - T[i] <= halfWidth || to <= i + kLeastPointsEachSide)) ++to;
        double h = halfWidth;
        for (std::size_t j = from; j < to; ++j) h = std::max(h, std::fabs(T[j] - T[i]));
        // The outermost points keep a third of the middle one's weight.
        h = std::max(h * 1.25, 1e-300);
        Eigen::Matrix3d A = Eigen::Matrix3d::Zero(), B = Eigen::Matrix3d::Zero();
        Eigen::Vector3d c = Eigen::Vector3d::Zero();
        for (std::size_t j = from; j < to; ++j) {
            const double u = (T[j] - T[i]) / h;
            const double w = (1 - u * u) * (1 - u * u);
            const Eigen::Vector3d x(1, u, u * u);
            A += w * x * x.transpose();
            B += w * w * x * x.transpose();
            c += w * y[j] * x;
        }
        const Eigen::LDLT<Eigen::Matrix3d> solver(A);
        const Eigen::Vector3d coefficients = solver.solve(c);
        if (solver.info() != Eigen::Success || !coefficients.allFinite()) {
            s.value[i] = y[i];
            residual[i] = kNaN;
            continue;
        }
        s.value[i] = coefficients[0];
        s.slope[i] = coefficients[1] / h;
        s.curvature[i] = 2 * coefficients[2] / (h * h);
        const Eigen::Matrix3d inverse = solver.solve(Eigen::Matrix3d::Identity());
        const Eigen::Matrix3d spread = inverse * B * inverse;
        s.curvatureSpread[i] = 2 * std::sqrt(std::max(spread(2, 2), 0.0)) / (h * h);
        // The residual's variance over the noise's: (1 - L_ii)^2 plus the
        // other points' weights in the smoothed value, squared.
        const double own = inverse(0, 0);
        const double factor = 1 - 2 * own + spread(0, 0);
        residual[i] = factor > 1e-3 ? std::fabs(y[i] - s.value[i]) / std::sqrt(factor) : kNaN;
    }
    // The noise where the point lies: counts are noisier at the peak than
    // in the tails, a current's noise may not be.
    s.localNoise.resize(n);
    std::vector<double> near;
    double held = 0;
    for (std::size_t i = 0; i < n; ++i) {
        // The median of the residuals around every few points, held in
        // between: it changes slowly, and medians cost.
        if (i % kNoiseStride == 0) {
            near.clear();
            for (std::size_t j = i > kNoiseWindow ? i - kNoiseWindow : 0;
                 j < std::min(n, i + kNoiseWindow + 1); ++j) {
                if (std::isfinite(residual[j])) near.push_back(residual[j]);
            }
            held = near.empty() ? 0 : Median(near) / 0.6745;
        }
        s.localNoise[i] = held;
    }
    std::erase_if(residual, [](double r) { return !std::isfinite(r); });
    if (!residual.empty()) s.noise = Median(residual) / 0.6745;
    return s;
}

BinnedCurve Binned(std::span<const double> T, std::span<const double> y, std::size_t bins) {
    BinnedCurve b;
    const std::size_t n = T.size();
    if (n <= bins) {
        b.T.assign(T.begin(), T.end());
        b.y.assign(y.begin(), y.end());
        return b;
    }
    for (std::size_t k = 0; k < bins; ++k) {
        const std::size_t from = k * n / bins, to = (k + 1) * n / bins;
        double sumT = 0, sumY = 0;
        for (std::size_t i = from; i < to; ++i) sumT += T[i], sumY += y[i];
        b.T.push_back(sumT / (to - from));
        b.y.push_back(sumY / (to - from));
    }
    return b;
}

}  // namespace tsc::analysis
