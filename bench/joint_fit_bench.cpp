// The fit of several heating rates timed: three curves of 2,000 points at
// 0.25, 1 and 4 K/s, each with the same three overlapping first-order levels
// and 1 % noise, made by the tests' independent model (tests/glow_curve.*).
// The time includes each curve's own fit, which the start values come from.
#include <benchmark/benchmark.h>

#include "glow_curve.h"
#include "joint_fit.h"

namespace {

using namespace tsc::analysis;

constexpr double kRates[] = {0.25, 1, 4};

std::vector<GlowCurve> ThreeCurves() {
    const auto& rates = kRates;
    const struct {
        double Et, s, height;
    } levels[] = {{1.1, 1e11, 400}, {1.3, 1e12, 600}, {1.5, 1e13, 800}};
    std::vector<GlowCurve> curves;
    for (std::size_t r = 0; r < std::size(rates); ++r) {
        std::vector<GlowPeak> peaks;
        for (const auto& l : levels)
            peaks.push_back({l.Et, FirstOrderTop(l.Et, l.s, rates[r]), l.height});
        curves.push_back(MakeGlowCurve(peaks, rates[r], 330, 630, 300.0 / 1999));
        AddNoise(curves.back(), 0.01, 5 + static_cast<unsigned>(r));
    }
    return curves;
}

void BM_ThreeRatesThreePeaks(benchmark::State& bench) {
    const std::vector<GlowCurve> curves = ThreeCurves();
    std::vector<JointCurveData> data;
    for (std::size_t r = 0; r < curves.size(); ++r) {
        data.push_back({curves[r].T, curves[r].I, kRates[r]});
    }
    JointRequest request;
    request.curve.peaks = {PeakCount::Number, 3, {}};
    JointFit fit;
    for (auto _ : bench) fit = FitJointly(data, request);
    bench.counters["points"] = static_cast<double>(fit.statistics.points);
    bench.counters["iterations"] = fit.iterations;
    bench.counters["fom_percent"] = fit.statistics.fomPercent;
    if (!fit.converged) bench.SkipWithError(("not converged: " + fit.failure).c_str());
}

// The three curves' own fits alone, which the joint fit starts from: the
// difference is the joint solve.
void BM_ThreeOneCurveFits(benchmark::State& bench) {
    const std::vector<GlowCurve> curves = ThreeCurves();
    DeconvolutionRequest request;
    request.peaks = {PeakCount::Number, 3, {}};
    for (auto _ : bench) {
        for (std::size_t r = 0; r < curves.size(); ++r) {
            request.betaPerSecond = kRates[r];
            benchmark::DoNotOptimize(Deconvolve(curves[r].T, curves[r].I, request));
        }
    }
}

}  // namespace

BENCHMARK(BM_ThreeRatesThreePeaks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ThreeOneCurveFits)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
