// Deconvolutions timed: one first-order peak with 1 % noise on 2,000 up to a
// million points (the cost should grow in proportion to the points), and the
// reference glow curves of the field's intercomparison where they are beside
// the project (../shared/glocanin/; skipped otherwise).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

#include "deconvolution.h"
#include "measured_curve.h"
#include "standard_model.h"

namespace {

using namespace tsc::analysis;

MeasuredCurve NoisyPeak(std::size_t points) {
    // TSC-like: 0.5 eV, 1e10 Hz, 5 K/min, from 120 K to 260 K.
    const std::vector<CurvePoint> curve =
        StandardCurve({0.5, 1e10, 1e12}, {120, 5, 1}, 260, 140.0 / (points - 1));
    std::mt19937_64 random(7);
    std::normal_distribution<double> gauss;
    double peak = 0;
    for (const CurvePoint& p : curve) peak = std::max(peak, p.I);
    MeasuredCurve measured;
    for (const CurvePoint& p : curve) {
        measured.T.push_back(p.T);
        measured.I.push_back(p.I + 0.01 * peak * gauss(random));
    }
    return measured;
}

void Run(benchmark::State& bench, const MeasuredCurve& curve, const DeconvolutionRequest& r) {
    SpectrumFit fit;
    for (auto _ : bench) fit = Deconvolve(curve.T, curve.I, r);
    bench.counters["points"] = static_cast<double>(curve.T.size());
    bench.counters["peaks"] = static_cast<double>(fit.peaks.size());
    bench.counters["fom_percent"] = fit.statistics.fomPercent;
    if (!fit.converged) bench.SkipWithError(("not converged: " + fit.failure).c_str());
}

void BM_OnePeak(benchmark::State& bench) {
    const MeasuredCurve curve = NoisyPeak(static_cast<std::size_t>(bench.range(0)));
    DeconvolutionRequest r;
    r.betaPerSecond = 5.0 / 60;
    Run(bench, curve, r);
}

// A reference curve, with the options of the README's table.
void Reference(benchmark::State& bench, const char* name, double betaPerSecond,
               DeconvolutionRequest r) {
    const std::filesystem::path file = std::filesystem::path(TSC_REFERENCE_CURVES) / name;
    if (!std::filesystem::exists(file)) {
        bench.SkipWithError("the reference curves are not beside the project");
        for (auto _ : bench) {
        }
        return;
    }
    const CurveReading reading = ReadMeasuredCurve(file.string(), false);
    r.betaPerSecond = betaPerSecond;
    Run(bench, std::get<MeasuredCurve>(reading), r);
}

void BM_Refglow002FourPeaks(benchmark::State& bench) {
    DeconvolutionRequest r;
    r.peaks = {PeakCount::Number, 4, {}};
    Reference(bench, "refglow002.txt", 8.4, r);
}

void BM_Refglow002Automatic(benchmark::State& bench) {
    DeconvolutionRequest r;
    r.peaks.count = PeakCount::Automatic;
    Reference(bench, "refglow002.txt", 8.4, r);
}

void BM_Refglow009NineGeneralOrder(benchmark::State& bench) {
    DeconvolutionRequest r;
    r.kinetics = Kinetics::General;
    r.peaks = {PeakCount::AtTemperatures, 9, {387, 428, 462, 488, 493, 528, 559, 585, 602}};
    Reference(bench, "refglow009.txt", 1, r);
}

// Curves on which a fit must fail, and give up soon: processor time per fit.
MeasuredCurve Flat(std::size_t points, double from, double step) {
    MeasuredCurve curve;
    for (std::size_t i = 0; i < points; ++i) {
        curve.T.push_back(from + step * static_cast<double>(i));
        curve.I.push_back(1e-12);
    }
    return curve;
}

void Failing(benchmark::State& bench, const MeasuredCurve& curve, const DeconvolutionRequest& r) {
    SpectrumFit fit;
    for (auto _ : bench) fit = Deconvolve(curve.T, curve.I, r);
    bench.counters["points"] = static_cast<double>(curve.T.size());
    bench.counters["converged"] = fit.converged;
}

void BM_FailingFlatWindowModel(benchmark::State& bench) {
    DeconvolutionRequest r;
    r.kinetics = Kinetics::Window;
    r.betaPerSecond = 5.0 / 60;
    Failing(bench, Flat(3000, 100, 0.05), r);
}

void BM_FailingTwoSpikes(benchmark::State& bench) {
    MeasuredCurve curve = Flat(16, 200, 1);
    curve.I[4] = curve.I[11] = 1e-9;
    DeconvolutionRequest r;
    r.kinetics = Kinetics::Window;
    r.background = BackgroundKind::Constant;
    r.betaPerSecond = 5.0 / 60;
    Failing(bench, curve, r);
}

void BM_FailingBelowOneKelvin(benchmark::State& bench) {
    MeasuredCurve curve = Flat(3000, 0.001, 0.0003);
    std::mt19937_64 random(3);
    std::normal_distribution<double> gauss;
    for (double& v : curve.I) v = 1e-12 * (1 + gauss(random));
    DeconvolutionRequest r;
    r.betaPerSecond = 5.0 / 60;
    Failing(bench, curve, r);
}

void BM_FailingHeldFrequency(benchmark::State& bench) {
    const MeasuredCurve curve = NoisyPeak(10000);
    DeconvolutionRequest r;
    r.betaPerSecond = 5.0 / 60;
    r.fixed.push_back({0, PeakParameter::Vt, 1e-20, ""});
    Failing(bench, curve, r);
}

void BM_FailingSmoothRandom(benchmark::State& bench) {
    // A random walk, smoothed: no peak of any kind.
    std::mt19937_64 random(static_cast<unsigned>(bench.range(0)));
    std::normal_distribution<double> gauss;
    MeasuredCurve curve = Flat(static_cast<std::size_t>(bench.range(0)), 100, 0.1);
    double level = 0;
    for (double& v : curve.I) v = level += gauss(random);
    DeconvolutionRequest r;
    r.betaPerSecond = 5.0 / 60;
    r.peaks.count = PeakCount::Automatic;
    Failing(bench, curve, r);
}

}  // namespace

BENCHMARK(BM_FailingFlatWindowModel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FailingTwoSpikes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FailingBelowOneKelvin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FailingHeldFrequency)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FailingSmoothRandom)->Arg(1600)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OnePeak)
    ->Arg(2000)
    ->Arg(20000)
    ->Arg(200000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Refglow002FourPeaks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Refglow002Automatic)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Refglow009NineGeneralOrder)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
