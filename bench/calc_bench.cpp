// Literal loop against the production calculation, per inner iteration.
#include <benchmark/benchmark.h>

#include "calc_test_support.h"
#include "reference_calculation.h"
#include "run_calculation.h"

namespace {

void Calculate(benchmark::State& bench, void (*calculation)(CalcState&, const RowSink&),
               double a) {
    std::size_t rows = 0;
    for (auto _ : bench) {
        CalcState state = WithParameters(0.8, 1e8, 1e13, 200, 400, 2, 1, a);
        rows = 0;
        calculation(state, [&](const ResultRow&) { ++rows; });
        benchmark::DoNotOptimize(state.Sum);
    }
    // With these steps every step after the first integrates one trapezoid
    // short of T, so the inner loop runs (n-1)(n-2)/2 times.
    const double inner = static_cast<double>(rows - 1) * static_cast<double>(rows - 2) / 2;
    bench.counters["rows"] = static_cast<double>(rows);
    // Shown in seconds with an SI prefix: "5.5n" is 5.5 ns per inner iteration.
    bench.counters["per_inner"] = benchmark::Counter(
        inner, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_Literal(benchmark::State& bench, double a) { Calculate(bench, &ReferenceCalculation, a); }
void BM_Production(benchmark::State& bench, double a) { Calculate(bench, &RunCalculation, a); }

BENCHMARK_CAPTURE(BM_Literal, sample_1001_rows, 0.2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Production, sample_1001_rows, 0.2)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Literal, a0_01_20001_rows, 0.01)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
BENCHMARK_CAPTURE(BM_Production, a0_01_20001_rows, 0.01)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
