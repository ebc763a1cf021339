// The whole calculation, side by side: the literal loop, the previous
// production loop (the running sum replayed at every outer step by a checked
// speculative binary64 chain) and the production one (the sum by whole
// binades). Then the running sum alone on the same trapezoids, against a plain
// binary64 chain of the same n(n-1)/2 additions, the floor for any replay.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <vector>

#include "calc_test_support.h"
#include "extended.h"
#include "reference_calculation.h"
#include "run_calculation.h"
#include "speculative_chain.h"
#include "trapezoid_cache.h"

namespace {

using tsc::Narrow;
using tsc::Widen;

using Calculation = void (*)(CalcState&, const RowSink&);

// The sample with step a (101 rows at 2, 1,001 at 0.2, 20,001 at 0.01, 50,001 at
// 0.004), and the two sets whose currents are so small that Sum starts among
// the subnormals, at 50,000 steps and at 20,000.
CalcState LowTemperature(double a) { return WithParameters(0.8, 1e8, 1e13, 12.5, 13.3, 2, 1, a); }
CalcState DeepTrap(double a) { return WithParameters(19, 1e8, 1e13, 300, 315, 2, 1, a); }

void Calculate(benchmark::State& bench, Calculation calculation, CalcState parameters) {
    std::size_t rows = 0;
    for (auto _ : bench) {
        CalcState state = parameters;
        rows = 0;
        calculation(state, [&](const ResultRow&) { ++rows; });
        benchmark::DoNotOptimize(state.Sum);
    }
    bench.counters["rows"] = static_cast<double>(rows);
}

void BM_Literal(benchmark::State& bench, CalcState parameters) {
    Calculate(bench, &ReferenceCalculation, parameters);
}
void BM_Previous(benchmark::State& bench, CalcState parameters) {
    Calculate(bench, &SpeculativeChainCalculation, parameters);
}
void BM_Production(benchmark::State& bench, CalcState parameters) {
    Calculate(bench, &RunCalculation, parameters);
}

#define SIDE_BY_SIDE(name, parameters)                                               \
    BENCHMARK_CAPTURE(BM_Previous, name, parameters)->Unit(benchmark::kMicrosecond); \
    BENCHMARK_CAPTURE(BM_Production, name, parameters)->Unit(benchmark::kMicrosecond)

BENCHMARK_CAPTURE(BM_Literal, sample_1001_rows, SampleWithStep(0.2))->Unit(benchmark::kMicrosecond);
SIDE_BY_SIDE(a2_101_rows, SampleWithStep(2));
SIDE_BY_SIDE(sample_1001_rows, SampleWithStep(0.2));
SIDE_BY_SIDE(a0_01_20001_rows, SampleWithStep(0.01));
SIDE_BY_SIDE(a0_004_50001_rows, SampleWithStep(0.004));
// The previous loop takes about a minute at 50,000 tiny-current steps.
SIDE_BY_SIDE(low_temperature_5001_rows, LowTemperature(0.00016));
SIDE_BY_SIDE(deep_trap_5001_rows, DeepTrap(0.003));
BENCHMARK_CAPTURE(BM_Production, low_temperature_20001_rows, LowTemperature(0.00004))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Production, deep_trap_20001_rows, DeepTrap(0.00075))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Production, low_temperature_50001_rows, LowTemperature(0.000016))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Production, deep_trap_49984_rows, DeepTrap(0.0003001))
    ->Unit(benchmark::kMicrosecond);

// Every trapezoid exactly 0.5 onto a Sum whose binary64 unit is 1: every
// addition a tie, which Sum's parity decides.
CalcState AllTies() {
    CalcState state = WithParameters(0, 1e8, 1e13, 10, 10010, 2, 1, 0.5);
    state.Sum = 0x1p52;
    return state;
}
BENCHMARK_CAPTURE(BM_Production, all_ties_20001_rows, AllTies())->Unit(benchmark::kMicrosecond);

// The trapezoids of a calculation, built by the production cache, and how
// many of them each outer step adds.
struct Chain {
    tsc::TrapezoidSum trapezoids;
    std::vector<double> rounded;  // each trapezoid rounded to binary64
    std::vector<std::size_t> counts;
    std::size_t total = 0;
};

Chain MakeChain(const CalcState& parameters) {
    CalcState s = parameters;
    RunCalculation(s, [](const ResultRow&) {});  // leaves the converted constants
    tsc::TrapezoidCache cache({.To = s.To, .a = s.a, .Et = s.Et, .k = s.k, .Half = s.Half});
    Chain chain;
    for (double T = s.To; T <= s.Tend; T = Narrow(Widen(s.a) + Widen(T))) {
        chain.counts.push_back(cache.CountFor(T));
        chain.total += chain.counts.back();
    }
    chain.trapezoids = cache.Trapezoids();
    for (std::size_t j = 0; j < chain.trapezoids.Size(); ++j) {
        chain.rounded.push_back(Narrow(chain.trapezoids.At(j)));
    }
    return chain;
}

const Chain& ChainFor(double a) {
    static const Chain coarse = MakeChain(SampleWithStep(2));
    static const Chain sample = MakeChain(SampleWithStep(0.2));
    static const Chain fine = MakeChain(SampleWithStep(0.01));
    static const Chain finest = MakeChain(SampleWithStep(0.004));
    return a == 2 ? coarse : a == 0.2 ? sample : a == 0.01 ? fine : finest;
}

// Runs the chain of every outer step from Sum = 0.
template <typename Accumulate>
void RunChain(benchmark::State& bench, double a, Accumulate accumulate) {
    const Chain& chain = ChainFor(a);
    for (auto _ : bench) {
        double sum = 0;
        for (std::size_t count : chain.counts) sum = accumulate(chain, sum, count);
        benchmark::DoNotOptimize(sum);
    }
    bench.counters["rows"] = static_cast<double>(chain.counts.size());
    // Shown in seconds with an SI prefix: "0.8n" is 0.8 ns per addition.
    bench.counters["per_addition"] = benchmark::Counter(
        static_cast<double>(chain.total),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Widen, add in extended, round to binary64, every step.
void BM_ChainStepByStep(benchmark::State& bench, double a) {
    RunChain(bench, a, [](const Chain& c, double sum, std::size_t count) {
        return c.trapezoids.AccumulateStepByStep(sum, count);
    });
}

void BM_ChainSpeculative(benchmark::State& bench, double a) {
    SpeculativeChain speculative;
    speculative.Follow(ChainFor(a).trapezoids);
    RunChain(bench, a, [&](const Chain&, double sum, std::size_t count) {
        return speculative.Accumulate(sum, count);
    });
}

// The production sum by binades; every run starts again from Sum = 0, so it
// builds its tables afresh.
void BM_ChainByBinades(benchmark::State& bench, double a) {
    tsc::TrapezoidSum trapezoids = ChainFor(a).trapezoids;
    RunChain(bench, a, [&](const Chain&, double sum, std::size_t count) {
        return trapezoids.Accumulate(sum, count);
    });
}

// Plain binary64 additions of the same trapezoids, one after another: a
// different (wrong) result, but the speed limit of a sequential sum.
void BM_ChainPlainBinary64(benchmark::State& bench, double a) {
    RunChain(bench, a, [](const Chain& c, double sum, std::size_t count) {
        const double* rounded = c.rounded.data();
        for (std::size_t j = 0; j < count; ++j) sum = sum + rounded[j];
        return sum;
    });
}

#define CHAINS(name, a)                                                             \
    BENCHMARK_CAPTURE(BM_ChainSpeculative, name, a)->Unit(benchmark::kMicrosecond); \
    BENCHMARK_CAPTURE(BM_ChainByBinades, name, a)->Unit(benchmark::kMicrosecond);   \
    BENCHMARK_CAPTURE(BM_ChainPlainBinary64, name, a)->Unit(benchmark::kMicrosecond)

BENCHMARK_CAPTURE(BM_ChainStepByStep, sample_1001_rows, 0.2)->Unit(benchmark::kMicrosecond);
CHAINS(a2_101_rows, 2);
CHAINS(sample_1001_rows, 0.2);
CHAINS(a0_01_20001_rows, 0.01);
CHAINS(a0_004_50001_rows, 0.004);

}  // namespace

BENCHMARK_MAIN();
