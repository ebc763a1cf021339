#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "extended.h"

namespace tsc {

// The trapezoids of one calculation in the order the inner loop adds them,
// and the running Sum over the first so many of them:
//     Sum <- binary64(trapezoid + Sum),
// the addition done with the extended significand. Each outer step replays
// this chain from the first trapezoid, so it is where the time goes.
class TrapezoidSum {
  public:
    void Append(Extended trapezoid);
    std::size_t Size() const { return whole_.size(); }
    Extended At(std::size_t index) const { return whole_[index]; }

    // Sum after adding the first `count` trapezoids, one rounding after
    // another exactly as above, without doing most of the additions: see the
    // .cpp for how. Fastest when called as a calculation calls it, with sums
    // and counts that never decrease; any other order gives the same result,
    // more slowly.
    double Accumulate(double sum, std::size_t count);

    // The same result, one extended addition after another.
    double AccumulateStepByStep(double sum, std::size_t count) const;

  private:
    // What one Sum binade needs to know of the trapezoids: the binary64 units
    // each adds while Sum stays in the binade, summed up to each trapezoid,
    // and the trapezoids whose unit count depends on Sum's parity.
    struct Tie {
        std::size_t index;
        std::uint64_t floor;  // units added when Sum plus floor is even
        std::uint64_t bonus;  // the extra unit when the previous tie of a run came first
    };
    struct BinadeTable {
        int binade = 0;           // Sum in [2^binade, 2^(binade+1)); below the smallest, Sum is +0
        int extendedGrid = 0;     // exponent of the extended spacing there
        int unitsShift = 0;       // log2 of binary64 spacing over extended spacing
        std::uint64_t limit = 0;  // 2^(binade+1) in binary64 units: Sum stays below it
        std::size_t firstUnit = 0;          // no trapezoid before this one adds a unit
        std::vector<std::uint64_t> prefix;  // units before trapezoid firstUnit + k
        std::vector<Tie> ties;
        std::uint64_t afterLastTie = 0;

        std::size_t Built() const { return firstUnit + prefix.size() - 1; }
        std::uint64_t UnitsBefore(std::size_t index) const {
            return index <= firstUnit ? 0 : prefix[index - firstUnit];
        }
    };

    BinadeTable& TableFor(int binade, std::size_t count);
    void Extend(BinadeTable& table, std::size_t count) const;
    static std::uint64_t UnitsIn(const BinadeTable& table, std::uint64_t significand, int exponent,
                                 bool& tie);
    std::size_t AccumulateInBinade(double& sum, std::size_t first, std::size_t count);
    std::size_t NextSpecial(std::size_t index) const;

    std::vector<Extended> whole_;
    // Each trapezoid as significand * 2^exponent, and the top bit of the
    // largest so far (for finding where a binade's units start).
    std::vector<std::uint64_t> significand_;
    std::vector<std::int32_t> exponent_;
    std::vector<std::int32_t> largestTopBit_;
    // Negative, infinite or NaN trapezoids: always added step by step.
    std::vector<std::size_t> specials_;
    BinadeTable table_;
};

}  // namespace tsc
