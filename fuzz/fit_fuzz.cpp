// The fit on any small curve with any options: no crash, no sanitizer
// report, no fit that runs past the time it allows itself, and a fit that
// says it converged has finite statistics and peaks that are results or
// marked as run away.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "bounded_least_squares.h"
#include "deconvolution.h"
#include "legacy_model.h"

namespace {

using namespace tsc::analysis;

// How far past its time allowance a fit may go: the step it was taking and
// the result's errors, under the sanitizers' slowdown.
constexpr double kLastStep = 1.5;  // s

class Bytes {
  public:
    Bytes(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    double Double() {
        double value = 0;
        if (at_ + sizeof value <= size_) std::memcpy(&value, data_ + at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    bool Left() const { return at_ < size_; }

  private:
    const std::uint8_t* data_;
    std::size_t size_, at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes in(data, size);
    const std::uint8_t flags = in.Byte(), more = in.Byte();
    DeconvolutionRequest r;
    r.kinetics = static_cast<Kinetics>(flags & 3);
    r.background = static_cast<BackgroundKind>((flags >> 2) & 3);
    r.weighting = flags & 16 ? Weighting::Poisson : Weighting::None;
    r.peaks.count = static_cast<PeakCount>((flags >> 5) & 3);
    r.peaks.number = 1 + more % 4;
    // Heating rates from 1e-6 to 1e6 K/min, as the command line takes them.
    r.betaPerSecond = std::pow(10.0, (in.Byte() % 13) - 6.0) / 60;
    if (more & 16) {
        const double held = in.Double();
        if (std::isfinite(held) && held > 0) {
            r.fixed.push_back({0, static_cast<PeakParameter>((more >> 5) & 3), held, ""});
        }
    }

    // Temperatures from a start in steps of whole hundredths (0 repeats a
    // temperature), currents of any finite value.
    std::vector<double> T, y;
    double t = 1 + in.Byte() * 4.0;
    while (in.Left() && T.size() < 64) {
        t += in.Byte() / 100.0;
        const double value = in.Double();
        T.push_back(t);
        y.push_back(std::isfinite(value) ? value : 0);
    }
    if (T.size() < 2) return 0;
    if (r.peaks.count == PeakCount::AtTemperatures) {
        for (int k = 0; k < r.peaks.number; ++k) {
            r.peaks.temperatures.push_back(T.front() +
                                           (T.back() - T.front()) * (k + 1) / (r.peaks.number + 1));
        }
    }
    // The window's model refuses grids it cannot cover in a fit's time, as
    // the command line does.
    if (r.kinetics == Kinetics::Window && CheckLegacyGrid(T, r.windowStep)) return 0;

    // Under the sanitizers a fit runs tens of times slower than in a release
    // build (a fit of 40 ms takes 2 s), so it may use up the time it allows
    // itself here; what must not happen is a fit that goes on past it.
    const double started = ThreadSeconds();
    const SpectrumFit fit = Deconvolve(T, y, r);
    const double allowed = FitTimeAllowance(T.size(), r.peaks.number) + kLastStep;
    if (ThreadSeconds() - started > allowed) __builtin_trap();
    if (!fit.converged) return 0;
    const FitStatistics& s = fit.statistics;
    if (!std::isfinite(s.fomPercent) || !(s.r2 > 0) || !std::isfinite(s.chi2)) __builtin_trap();
    for (const FittedPeak& p : fit.peaks) {
        if (p.verdict == PeakVerdict::RanAway) continue;
        if (!std::isfinite(p.Et.value) || !std::isfinite(p.Vt.value) ||
            !std::isfinite(p.charge.value) || !std::isfinite(p.Tm.value)) {
            __builtin_trap();
        }
    }
    return 0;
}
