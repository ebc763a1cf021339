#include "peak_search.h"

#include <algorithm>
#include <cmath>

#include "curve_smoothing.h"

namespace tsc::analysis {
namespace {

constexpr std::size_t kSearchBins = 2048;
// A bend must stand this many standard errors out of the noise, and reach
// this share of the curve's largest value, to count as a peak.
constexpr double kSignificance = 4;
constexpr double kSmallestShare = 2e-3;
constexpr double kLeastRelativeNoise = 1e-5;

// The half-width of the smoothing: a few steps, more where the curve is
// noisy, so that the noise's curvature stays below the peaks'.
double HalfWidthFor(std::span<const double> T, std::span<const double> y) {
    const double step = MedianStep(T);
    double top = 0;
    for (const double v : y) top = std::max(top, std::fabs(v));
    // Second differences overstate the noise of a smooth curve by its own
    // curvature, which only errs towards the finer smoothing.
    const double relativeNoise = top > 0 ? EstimateNoise(y) / top : 0;
    const double steps = relativeNoise > 0.02   ? 6
                         : relativeNoise > 0.01 ? 4.5
                         : relativeNoise > 3e-3 ? 3.5
                                                : 2.5;
    return std::max(steps * step, (T.back() - T.front()) / 400);
}

}  // namespace

namespace {

// The candidates at one smoothing.
std::vector<PeakCandidate> CandidatesAt(const BinnedCurve& binned, double halfWidth, double share,
                                        double& noise) {
    std::vector<PeakCandidate> found;
    const SmoothedCurve s = SmoothCurve(binned.T, binned.y, halfWidth, share);
    const std::size_t n = binned.T.size();
    const double top = *std::max_element(s.value.begin(), s.value.end());
    if (!(top > 0)) return found;
    // Rounded or noiseless data still carry the noise of their last digits.
    noise = std::max(s.noise, kLeastRelativeNoise * top);

    for (std::size_t i = 1; i + 1 < n; ++i) {
        const double c = s.curvature[i];
        if (!(c < 0 && c <= s.curvature[i - 1] && c < s.curvature[i + 1])) continue;
        const double local = std::max(s.localNoise[i], kLeastRelativeNoise * top);
        const double significance = -c / (local * s.curvatureSpread[i]);
        if (!(significance > kSignificance && s.value[i] > kSmallestShare * top)) continue;
        // The stretch of negative curvature around it, and a maximum in it.
        std::size_t left = i, right = i;
        while (left > 0 && s.curvature[left - 1] < 0) --left;
        while (right + 1 < n && s.curvature[right + 1] < 0) ++right;
        PeakCandidate candidate;
        candidate.Tm = binned.T[i];
        candidate.height = s.value[i];
        candidate.curvature = c;
        candidate.significance = significance;
        candidate.shoulder = true;
        for (std::size_t j = std::max<std::size_t>(left, 1); j <= right && j + 1 < n; ++j) {
            if (s.slope[j - 1] > 0 && s.slope[j] <= 0) {
                // The slope's zero between j-1 and j.
                const double w = s.slope[j - 1] / (s.slope[j - 1] - s.slope[j]);
                candidate.Tm = binned.T[j - 1] + w * (binned.T[j] - binned.T[j - 1]);
                candidate.height = s.value[j - 1] + w * (s.value[j] - s.value[j - 1]);
                candidate.curvature =
                    s.curvature[j - 1] + w * (s.curvature[j] - s.curvature[j - 1]);
                candidate.shoulder = false;
                break;
            }
        }
        // Two bends in one stretch of a maximum are one peak.
        if (!found.empty() && !candidate.shoulder && !found.back().shoulder &&
            std::fabs(found.back().Tm - candidate.Tm) < 1e-9) {
            continue;
        }
        found.push_back(candidate);
    }
    return found;
}

}  // namespace

PeakSearch SearchPeaks(std::span<const double> T, std::span<const double> y) {
    PeakSearch search;
    if (T.size() < 5) return search;
    const BinnedCurve binned = Binned(T, y, kSearchBins);
    search.halfWidth = HalfWidthFor(binned.T, binned.y);
    // Finely first, where peaks lie close together, then wider, in
    // proportion to the temperature as peaks widen, for broad peaks in
    // noise; a wider view adds only peaks the finer ones did not see.
    double noise = 0;
    for (const double share : {0.0, 1.0 / 60, 1.0 / 30}) {
        // Each smoothing on bins of about a twelfth of its half-width: finer
        // bins add time, not information.
        const double middle = (binned.T.front() + binned.T.back()) / 2;
        const double width = std::max(search.halfWidth, share * middle);
        const double span = binned.T.back() - binned.T.front();
        const std::size_t bins = static_cast<std::size_t>(std::min<double>(
            static_cast<double>(binned.T.size()), std::max(64.0, 12 * span / width)));
        const BinnedCurve coarse = Binned(binned.T, binned.y, bins);
        double found = 0;
        for (const PeakCandidate& c : CandidatesAt(coarse, search.halfWidth, share, found)) {
            const double near = std::max(search.halfWidth, share * c.Tm);
            const bool seen = std::any_of(
                search.candidates.begin(), search.candidates.end(),
                [&](const PeakCandidate& o) { return std::fabs(o.Tm - c.Tm) < 2 * near; });
            if (!seen) search.candidates.push_back(c);
        }
        if (share == 0) noise = found;
    }
    search.noise = noise;
    std::sort(search.candidates.begin(), search.candidates.end(),
              [](const PeakCandidate& a, const PeakCandidate& b) { return a.Tm < b.Tm; });
    return search;
}

}  // namespace tsc::analysis
