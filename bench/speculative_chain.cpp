#include "speculative_chain.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "run_calculation.h"
#include "trapezoid_cache.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// The fast path tests binary64 results against binary64 rounding; extra
// precision in double arithmetic would break that test.
#if FLT_EVAL_METHOD != 0
#error "The speculative chain needs double arithmetic rounded to binary64 at every operation."
#endif

using tsc::Extended;
using tsc::Narrow;
using tsc::Widen;

namespace {

// Short blocks let the processor check one block while it already runs the
// next block's chain, which only needs the last sum; 32 steps measured best.
// The doubtful steps of a block are kept as bits of one 64-bit word.
constexpr std::size_t kBlock = 32;
static_assert(kBlock <= 64);

// Slightly above 1: a remainder r with s + r * kMargin == s in binary64 lies
// so far inside s's rounding interval that the extended rounding of s + r
// (at most 2^-11 of that interval) cannot carry it to the boundary.
constexpr double kMargin = 1.0 + 0x1p-10;

// Below this the binary64 spacing stops shrinking with the value (subnormals),
// and the relative error bounds of the test above no longer hold.
constexpr double kSmallestChecked = 0x1p-960;

// Whether the binary64 step before + high = after may differ from the exact
// step: the exact remainder of the step, recovered with TwoSum and low, must
// stay well inside half a binary64 step of `after`.
bool Doubtful(double before, double after, double high, double low) {
    const double highTaken = after - before;
    const double error = (before - (after - highTaken)) + (high - highTaken);
    const double rest = error + low;
    // A remainder of exactly zero means `after` is the exact sum, whatever its
    // size.
    return (after + rest * kMargin != after) |
           ((std::fabs(after) < kSmallestChecked) & (rest != 0));
}

// The doubtful steps among n (at most 64), as bit k for step k. partial[k]
// is the sum before step k.
std::uint64_t MarkDoubtful(const double* partial, const double* high, const double* low,
                           std::size_t n) {
    std::size_t k = 0;
    std::uint64_t doubtful = 0;
#if defined(__SSE2__)
    // The same test on two steps at a time.
    const __m128d margin = _mm_set1_pd(kMargin);
    const __m128d smallest = _mm_set1_pd(kSmallestChecked);
    const __m128d magnitudeBits = _mm_castsi128_pd(_mm_set1_epi64x(INT64_MAX));
    const __m128d zero = _mm_setzero_pd();
    for (; k + 2 <= n; k += 2) {
        const __m128d before = _mm_loadu_pd(partial + k);
        const __m128d after = _mm_loadu_pd(partial + k + 1);
        const __m128d highTaken = _mm_sub_pd(after, before);
        const __m128d error = _mm_add_pd(_mm_sub_pd(before, _mm_sub_pd(after, highTaken)),
                                         _mm_sub_pd(_mm_loadu_pd(high + k), highTaken));
        const __m128d rest = _mm_add_pd(error, _mm_loadu_pd(low + k));
        const __m128d moved = _mm_cmpneq_pd(_mm_add_pd(after, _mm_mul_pd(rest, margin)), after);
        const __m128d tiny = _mm_and_pd(_mm_cmplt_pd(_mm_and_pd(after, magnitudeBits), smallest),
                                        _mm_cmpneq_pd(rest, zero));
        const auto bits = static_cast<std::uint64_t>(_mm_movemask_pd(_mm_or_pd(moved, tiny)));
        doubtful |= bits << k;
    }
#endif
    for (; k < n; ++k) {
        doubtful |=
            static_cast<std::uint64_t>(Doubtful(partial[k], partial[k + 1], high[k], low[k])) << k;
    }
    return doubtful;
}

}  // namespace

void SpeculativeChain::Follow(const tsc::TrapezoidSum& trapezoids) {
    for (std::size_t j = whole_.size(); j < trapezoids.Size(); ++j) Append(trapezoids.At(j));
}

void SpeculativeChain::Append(Extended trapezoid) {
    whole_.push_back(trapezoid);
    double high = Narrow(trapezoid);
    const Extended rest = trapezoid - Widen(high);  // exact: high is the rounded trapezoid
    double low = Narrow(rest);
    if (!std::isfinite(high) || !(Widen(low) == rest)) {
        // Too small or too large to split: the fast path must never trust it.
        high = std::numeric_limits<double>::quiet_NaN();
        low = 0;
    }
    high_.push_back(high);
    low_.push_back(low);
}

// Widening a binary64 Sum, adding the trapezoid and rounding back costs a
// store and reload (or a software operation) per step, on the critical path.
// Instead the block runs the chain speculatively in binary64, s' = s + high,
// which is the right answer unless the exact sum lies near a binary64 rounding
// boundary. A second pass, off the critical path and two steps at a time,
// recovers the exact remainder of every step (TwoSum of s and high, plus low)
// and marks the steps whose remainder comes close to half a binary64 step.
// Only those are recomputed exactly; where that gives a different binary64
// value, the chain continues from the exact value in the next block.
std::size_t SpeculativeChain::AccumulateBlock(double& sum, std::size_t first,
                                              std::size_t count) const {
    const std::size_t n = std::min(kBlock, count - first);
    const double* high = high_.data() + first;
    const double* low = low_.data() + first;

    double partial[kBlock + 1];
    double s = sum;
    partial[0] = s;
    for (std::size_t k = 0; k < n; ++k) {
        s = s + high[k];
        partial[k + 1] = s;
    }

    for (std::uint64_t doubtful = MarkDoubtful(partial, high, low, n); doubtful != 0;
         doubtful &= doubtful - 1) {
        const auto k = static_cast<std::size_t>(std::countr_zero(doubtful));
        const double exact = Narrow(whole_[first + k] + Widen(partial[k]));
        if (std::bit_cast<std::uint64_t>(exact) != std::bit_cast<std::uint64_t>(partial[k + 1])) {
            sum = exact;
            return k + 1;
        }
    }
    sum = partial[n];
    return n;
}

double SpeculativeChain::Accumulate(double sum, std::size_t count) const {
    std::size_t done = 0;
    while (done < count) done += AccumulateBlock(sum, done, count);
    return sum;
}

// The production calculation's loop, with this chain in place of the sum by
// binades.
void SpeculativeChainCalculation(CalcState& s, const RowSink& sink) {
    // The production set-up, from a run that ends before its first step.
    const double Tend = s.Tend;
    s.Tend = -std::numeric_limits<double>::infinity();
    RunCalculation(s, [](const ResultRow&) {});
    s.Tend = Tend;

    tsc::TrapezoidCache cache({.To = s.To, .a = s.a, .Et = s.Et, .k = s.k, .Half = s.Half});
    SpeculativeChain chain;
    while (s.T <= s.Tend) {
        const std::size_t count = cache.CountFor(s.T);
        chain.Follow(cache.Trapezoids());
        s.Sum = chain.Accumulate(s.Sum, count);
        s.Tx = cache.Position(count);

        const Extended exponent =
            -Widen(s.Et) / (Widen(s.k) * Widen(s.T)) - Widen(s.Vt) / Widen(s.Beta) * Widen(s.Sum);
        s.Itsc = Narrow(tsc::ExpOf(exponent) * Widen(s.Pref));
        if (s.Itsc > s.Ipeak) {
            s.Ipeak = s.Itsc;
            s.Tpeak = s.T;
        }
        sink(ResultRow{s.T, s.Itsc, s.Tpeak, s.Ipeak});
        s.T = Narrow(Widen(s.a) + Widen(s.T));
    }
}
