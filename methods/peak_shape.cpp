#include "peak_shape.h"

#include <algorithm>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <exception>
#include <optional>
#include <vector>

#include "least_squares.h"
#include "peak_condition.h"

namespace tsc::analysis {
namespace {

constexpr double kBandLow = 0.4, kBandHigh = 0.6;
constexpr int kMinimumBandPoints = 5;

// The crossing of half the peak by a parabola fitted to the samples between
// 40 % and 60 % of the peak on one side: it passes within a thousandth of a
// kelvin of the noiseless curve's crossing and averages the noise of the
// samples, where a line through the two bracketing samples carries all of it.
std::optional<double> SmoothedCrossing(std::span<const double> temperature,
                                       std::span<const double> current,
                                       const std::vector<std::size_t>& band, double half) {
    const int count = static_cast<int>(band.size());
    if (count < kMinimumBandPoints) return std::nullopt;
    std::vector<double> bandTemperatures;
    for (std::size_t i : band) bandTemperatures.push_back(temperature[i]);
    // A parabola needs three temperatures.
    if (DistinctValues(bandTemperatures) < 3) return std::nullopt;
    const double first = temperature[band.front()], last = temperature[band.back()];
    const double mid = 0.5 * (first + last), halfSpan = 0.5 * (last - first);
    std::vector<double> u, relative;
    for (std::size_t i : band) {
        u.push_back((temperature[i] - mid) / halfSpan);
        relative.push_back(current[i] / half - 1);
    }
    const std::optional<LinearFit> fit = FitPolynomial(u, relative, 3);
    if (!fit) return std::nullopt;
    const Eigen::VectorXd& c = fit->coefficients;
    const auto parabola = [&](double u) { return c(0) + u * (c(1) + u * c(2)); };
    if ((parabola(-1) > 0) == (parabola(1) > 0)) return std::nullopt;
    std::uintmax_t iterations = 100;
    try {
        const auto [a, b] = boost::math::tools::toms748_solve(
            parabola, -1.0, 1.0, boost::math::tools::eps_tolerance<double>(), iterations);
        return mid + 0.5 * (a + b) * halfSpan;
    } catch (const std::exception&) {
        // Boost's refusal of an interval without a change of sign, which the
        // test above already excludes: the linear crossing stands in.
        return std::nullopt;
    }
}

// The samples from the peak outwards by `step` (−1 or +1), up to the data's end.
std::vector<std::size_t> Outwards(const PeakLocation& peak, std::size_t size, int step) {
    std::vector<std::size_t> indices;
    for (auto i = static_cast<std::ptrdiff_t>(peak.sampleIndex) + step;
         i >= 0 && i < static_cast<std::ptrdiff_t>(size); i += step) {
        indices.push_back(static_cast<std::size_t>(i));
    }
    return indices;
}

// Interpolates linearly between the first sample below half the peak and the
// one before it.
std::optional<double> LinearCrossing(std::span<const double> temperature,
                                     std::span<const double> current, const PeakLocation& peak,
                                     const std::vector<std::size_t>& path, double half) {
    std::size_t above = peak.sampleIndex;
    for (std::size_t i : path) {
        if (current[i] < half) {
            const double along = (current[above] - half) / (current[above] - current[i]);
            return temperature[above] + along * (temperature[i] - temperature[above]);
        }
        above = i;
    }
    return std::nullopt;
}

// The samples inside the band on the way out, up to the first one below it,
// in increasing temperature.
std::vector<std::size_t> BandOnTheWay(std::span<const double> current, double peakCurrent,
                                      const std::vector<std::size_t>& path) {
    std::vector<std::size_t> band;
    for (std::size_t i : path) {
        const double fraction = current[i] / peakCurrent;
        if (fraction < kBandLow) break;
        if (fraction <= kBandHigh) band.push_back(i);
    }
    std::sort(band.begin(), band.end());
    return band;
}

// Where the samples are too sparse for the parabola, the linear crossing.
// The crossing must lie on the side of Tm it was sought on: widths that are
// not positive would give a symmetry factor and energies without meaning.
Outcome<double> HalfCrossing(std::span<const double> temperature, std::span<const double> current,
                             const PeakLocation& peak, int step, RefusalReason missing) {
    const double half = 0.5 * peak.Im;
    const std::vector<std::size_t> path = Outwards(peak, current.size(), step);
    const std::optional<double> linear = LinearCrossing(temperature, current, peak, path, half);
    if (!linear) return MethodRefusal{missing};
    const std::vector<std::size_t> band = BandOnTheWay(current, peak.Im, path);
    const double crossing = SmoothedCrossing(temperature, current, band, half).value_or(*linear);
    const bool onItsSide = step < 0 ? crossing < peak.Tm : crossing > peak.Tm;
    if (!onItsSide) return MethodRefusal{RefusalReason::HalfIntensityNotAroundPeak};
    return crossing;
}

double WidthOf(Width width, const PeakWidths& shape) {
    switch (width) {
        case Width::Tau:
            return shape.tau;
        case Width::Delta:
            return shape.delta;
        case Width::Omega:
            break;
    }
    return shape.omega;
}

}  // namespace

HalfIntensity FindHalfIntensity(std::span<const double> temperature,
                                std::span<const double> current, const PeakLocation& peak) {
    return {HalfCrossing(temperature, current, peak, -1, RefusalReason::NoHalfMaximumBelow),
            HalfCrossing(temperature, current, peak, +1, RefusalReason::NoHalfMaximumAbove)};
}

KineticOrder OrderFromSymmetry(double muG) {
    if (muG < 0.445) return KineticOrder::First;
    if (muG > 0.495) return KineticOrder::Second;
    return KineticOrder::General;
}

PeakWidths WidthsOfPeak(double Tm, double T1, double T2) {
    PeakWidths shape;
    shape.tau = Tm - T1;
    shape.delta = T2 - Tm;
    shape.omega = T2 - T1;
    shape.muG = shape.delta / shape.omega;
    shape.order = OrderFromSymmetry(shape.muG);
    return shape;
}

Outcome<TrapEstimate> ChenShapeEnergy(Width width, const PeakWidths& shape, double Tm,
                                      double betaKPerMin) {
    if (!(betaKPerMin > 0) || !std::isfinite(betaKPerMin))
        return MethodRefusal{RefusalReason::InvalidHeatingRate};
    const double energy = ChenWidthEnergy(width, WidthOf(width, shape), shape.muG, Tm);
    if (!std::isfinite(energy)) return MethodRefusal{RefusalReason::OutOfRange};
    if (!(energy > 0)) return MethodRefusal{RefusalReason::NonPositiveEnergy};
    const double frequency = FrequencyFromPeakCondition(energy, Tm, betaKPerMin);
    if (!std::isfinite(frequency)) return MethodRefusal{RefusalReason::FrequencyOverflow};
    if (!(frequency > 0)) return MethodRefusal{RefusalReason::OutOfRange};
    return TrapEstimate{energy, frequency};
}

}  // namespace tsc::analysis
