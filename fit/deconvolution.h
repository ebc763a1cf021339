#pragma once

#include <atomic>
#include <cstddef>
#include <span>
#include <vector>

#include "spectrum_fit.h"
#include "start_model.h"

// A measured curve taken apart into the peaks of its trap levels and a
// background: where the peaks are and how many, their start values, the fit,
// and the retries when a fit fails.
namespace tsc::analysis {

// How many peaks: one (the largest); a given number; as many as the curve
// shows, chosen by the information criterion BIC together with the structure
// left in the residuals; or one near each given temperature.
enum class PeakCount { One, Number, Automatic, AtTemperatures };

// The most peaks a fit takes: at four points a value and four values a
// peak, fifteen peaks already want 240 points, well spread.
inline constexpr int kMostPeaks = 15;

// The processor time (s) a fit of `peaks` peaks on `points` points allows
// itself before it gives up: about 1.5 s, longer only for very large curves,
// so that no failing fit keeps a user waiting.
double FitTimeAllowance(std::size_t points, int peaks);

struct PeakRequest {
    PeakCount count = PeakCount::One;
    int number = 1;
    std::vector<double> temperatures;  // K
};

// Residuals unweighted, or weighted by 1/max(y, 1) in the sum of squares, as
// for counts.
enum class Weighting { None, Poisson };

struct DeconvolutionRequest {
    double betaPerSecond = 0;
    PeakRequest peaks;
    Kinetics kinetics = Kinetics::First;
    BackgroundKind background = BackgroundKind::None;
    Weighting weighting = Weighting::None;
    std::vector<FixedValue> fixed;  // peak numbers by ascending start temperature
    double windowStep = 0.2;        // K, for the window's kinetics
    const std::atomic<bool>* cancel = nullptr;
};

// T must not decrease, and there must be at least two points; the window's
// kinetics fits one level. The result's notes say how the peaks were found
// and, when the number was chosen, why that number.
SpectrumFit Deconvolve(std::span<const double> T, std::span<const double> y,
                       const DeconvolutionRequest& request);

// The values a request leaves to the fit for `peaks` peaks.
int FreeValueCount(const DeconvolutionRequest& request, int peaks);

}  // namespace tsc::analysis
