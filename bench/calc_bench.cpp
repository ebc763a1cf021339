// The calculation per inner iteration: the literal loop against the
// production one, and the running-sum chain on its own (step by step in
// extended, the fast chain, and a plain binary64 chain of the same length as
// the floor any sequential sum has to pay).
#include <benchmark/benchmark.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "calc_test_support.h"
#include "extended.h"
#include "reference_calculation.h"
#include "run_calculation.h"
#include "trapezoid_cache.h"

namespace {

using tsc::Narrow;
using tsc::Widen;

void Calculate(benchmark::State& bench, void (*calculation)(CalcState&, const RowSink&), double a) {
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
BENCHMARK_CAPTURE(BM_Literal, a0_01_20001_rows, 0.01)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK_CAPTURE(BM_Production, a0_01_20001_rows, 0.01)->Unit(benchmark::kMillisecond);

// The trapezoids of the 200-400 K run with step a, built by the production
// cache, and how many of them each outer step adds.
struct Chain {
    // The cache reads the converted constants from the state, so both stay
    // where they are when the chain moves.
    std::unique_ptr<CalcState> state;
    std::unique_ptr<tsc::TrapezoidCache> cache;
    std::vector<std::size_t> counts;
    std::size_t total = 0;

    const tsc::TrapezoidSum& trapezoids() const { return cache->Trapezoids(); }
};

Chain MakeChain(double a) {
    Chain chain;
    chain.state = std::make_unique<CalcState>(WithParameters(0.8, 1e8, 1e13, 200, 400, 2, 1, a));
    RunCalculation(*chain.state, [](const ResultRow&) {});  // leaves the converted constants
    const CalcState& s = *chain.state;
    chain.cache = std::make_unique<tsc::TrapezoidCache>(s);
    for (double T = s.To; T <= s.Tend; T = Narrow(Widen(s.a) + Widen(T))) {
        chain.counts.push_back(chain.cache->CountFor(T));
        chain.total += chain.counts.back();
    }
    return chain;
}

const Chain& ChainFor(double a) {
    static const Chain sample = MakeChain(0.2);
    static const Chain fine = MakeChain(0.01);
    return a == 0.2 ? sample : fine;
}

template <typename Accumulate>
void RunChain(benchmark::State& bench, double a, Accumulate accumulate) {
    const Chain& chain = ChainFor(a);
    for (auto _ : bench) {
        double sum = 0;
        for (std::size_t count : chain.counts) sum = accumulate(chain, sum, count);
        benchmark::DoNotOptimize(sum);
    }
    bench.counters["rows"] = static_cast<double>(chain.counts.size());
    bench.counters["per_inner"] = benchmark::Counter(
        static_cast<double>(chain.total),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The chain as it was: widen, add in extended, round to binary64, every step.
void BM_ChainStepByStep(benchmark::State& bench, double a) {
    RunChain(bench, a, [](const Chain& c, double sum, std::size_t count) {
        return c.trapezoids().AccumulateStepByStep(sum, count);
    });
}

// The production chain.
void BM_ChainFast(benchmark::State& bench, double a) {
    RunChain(bench, a, [](const Chain& c, double sum, std::size_t count) {
        return c.trapezoids().Accumulate(sum, count);
    });
}

// Plain binary64 additions of the same trapezoids, one after another: a
// different (wrong) result, but the speed limit of a sequential sum.
void BM_ChainPlainBinary64(benchmark::State& bench, double a) {
    RunChain(bench, a, [](const Chain& c, double sum, std::size_t count) {
        const double* high = c.trapezoids().High();
        for (std::size_t j = 0; j < count; ++j) sum = sum + high[j];
        return sum;
    });
}

BENCHMARK_CAPTURE(BM_ChainStepByStep, sample_1001_rows, 0.2);
BENCHMARK_CAPTURE(BM_ChainFast, sample_1001_rows, 0.2);
BENCHMARK_CAPTURE(BM_ChainPlainBinary64, sample_1001_rows, 0.2);
BENCHMARK_CAPTURE(BM_ChainStepByStep, a0_01_20001_rows, 0.01)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ChainFast, a0_01_20001_rows, 0.01)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_ChainPlainBinary64, a0_01_20001_rows, 0.01)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
