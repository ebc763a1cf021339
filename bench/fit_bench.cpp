// One fit of a measured curve of 2,000 points, for each model: the standard
// one with its analytic Jacobian, and the window's own calculation (step
// 0.2 K, the default) with central differences. Each curve carries 1 %
// noise, as a measurement would.
#include <benchmark/benchmark.h>

#include <random>

#include "calc_test_support.h"
#include "deconvolution.h"
#include "measured_curve.h"
#include "physical_constants.h"
#include "run_calculation.h"
#include "standard_model.h"

namespace {

using namespace tsc::analysis;

constexpr std::size_t kPoints = 2000;

void AddNoise(MeasuredCurve& curve) {
    std::mt19937_64 random(7);
    std::normal_distribution<double> gauss;
    double peak = 0;
    for (const double i : curve.I) peak = std::max(peak, i);
    for (double& i : curve.I) i += 0.01 * peak * gauss(random);
}

void Fit(benchmark::State& bench, const MeasuredCurve& curve, const DeconvolutionRequest& options) {
    int iterations = 0;
    bool converged = true;
    for (auto _ : bench) {
        const SpectrumFit fit = Deconvolve(curve.T, curve.I, options);
        iterations = fit.iterations;
        converged = converged && fit.converged;
    }
    bench.counters["points"] = static_cast<double>(curve.T.size());
    bench.counters["lm_iterations"] = iterations;
    if (!converged) bench.SkipWithError("the fit did not converge");
}

void BM_FitStandard(benchmark::State& bench) {
    // TSC-like: 0.5 eV, 1e10 Hz, 5 K/min, from 120 K to 260 K.
    const std::vector<CurvePoint> points =
        StandardCurve({0.5, 1e10, 1e12}, {120, 5, 1}, 260, 140.0 / (kPoints - 1));
    MeasuredCurve curve;
    for (const CurvePoint& p : points) {
        curve.T.push_back(p.T);
        curve.I.push_back(p.I);
    }
    AddNoise(curve);
    DeconvolutionRequest options;
    options.betaPerSecond = 5 / kSecondsPerMinute;
    Fit(bench, curve, options);
}

void BM_FitLegacy(benchmark::State& bench) {
    // The window's sample level from 250 K in steps of 0.1 K.
    CalcState state = WithParameters(0.8, 1e8, 1e13, 250, 250 + 0.1 * (kPoints - 0.5), 2, 1, 0.1);
    MeasuredCurve curve;
    for (const ResultRow& row : Rows(&RunCalculation, state)) {
        curve.T.push_back(row.T);
        curve.I.push_back(row.Itsc);
    }
    AddNoise(curve);
    DeconvolutionRequest options;
    options.kinetics = Kinetics::Window;
    options.betaPerSecond = 2 / kSecondsPerMinute;
    Fit(bench, curve, options);
}

}  // namespace

BENCHMARK(BM_FitStandard)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FitLegacy)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
