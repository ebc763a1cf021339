#include "start_values.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "chen_energy.h"
#include "physical_constants.h"

namespace tsc::analysis {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::vector<double> MovingAverage(const std::vector<double>& I) {
    const std::size_t half = std::max<std::size_t>(1, I.size() / 100);
    std::vector<double> smooth(I.size());
    for (std::size_t i = 0; i < I.size(); ++i) {
        const std::size_t from = i >= half ? i - half : 0;
        const std::size_t to = std::min(I.size() - 1, i + half);
        double sum = 0;
        for (std::size_t j = from; j <= to; ++j) sum += I[j];
        smooth[i] = sum / static_cast<double>(to - from + 1);
    }
    return smooth;
}

// Where the smoothed curve crosses `level` between points i and j (one
// apart), linearly.
double Crossing(const std::vector<double>& T, const std::vector<double>& s, std::size_t i,
                std::size_t j, double level) {
    return T[i] + (level - s[i]) / (s[j] - s[i]) * (T[j] - T[i]);
}

}  // namespace

PeakShape MeasurePeak(const std::vector<double>& T, const std::vector<double>& I) {
    const std::vector<double> s = MovingAverage(I);
    const std::size_t top = std::max_element(s.begin(), s.end()) - s.begin();
    PeakShape peak{T[top], s[top], kNaN, kNaN};
    const double half = s[top] / 2;
    for (std::size_t i = top; i > 0; --i) {
        if (s[i - 1] <= half) {
            peak.T1 = Crossing(T, s, i - 1, i, half);
            break;
        }
    }
    for (std::size_t i = top; i + 1 < s.size(); ++i) {
        if (s[i + 1] <= half) {
            peak.T2 = Crossing(T, s, i, i + 1, half);
            break;
        }
    }
    return peak;
}

double ChenEnergy(const PeakShape& peak) {
    // A fitted peak is first order, whatever the measured halves' symmetry.
    constexpr double kFirstOrderSymmetry = 0.42;
    const auto energy = [&](Width width, double alpha) {
        return ChenWidthEnergy(width, alpha, kFirstOrderSymmetry, peak.Tm);
    };
    if (std::isfinite(peak.T1) && std::isfinite(peak.T2)) {
        return energy(Width::Omega, peak.T2 - peak.T1);
    }
    if (std::isfinite(peak.T2)) return energy(Width::Delta, peak.T2 - peak.Tm);
    if (std::isfinite(peak.T1)) return energy(Width::Tau, peak.Tm - peak.T1);
    return kNaN;
}

double DensityFromArea(const std::vector<double>& T, const std::vector<double>& I, double Beta,
                       double S) {
    double area = 0;
    for (std::size_t i = 1; i < T.size(); ++i) area += (I[i] + I[i - 1]) / 2 * (T[i] - T[i - 1]);
    return area / (Beta / kSecondsPerMinute) / (kElementaryCharge * S * kMm2ToM2 * kPerCm2ToPerM2);
}

}  // namespace tsc::analysis
