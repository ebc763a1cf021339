#pragma once

#include <cstddef>
#include <vector>

#include "calc_state.h"
#include "trapezoid_sum.h"

namespace tsc {

// Every outer step integrates from To again, through the same positions Tx_j
// (they are built by the same additions each time), so the trapezoid at
// position j never changes within a calculation. The cache computes each one
// once; the running Sum then replays the additions in the original order,
// which keeps every rounding of the literal loop.
//
// It reads Et, k, a and Half from `state` after the unit conversions, and
// expects the step temperatures in increasing order.
class TrapezoidCache {
  public:
    explicit TrapezoidCache(const CalcState& state) : state_(state) {
        positions_.push_back(state.To);
    }

    // Number of trapezoids the inner loop performs for step temperature T:
    // it runs while T - a, kept in extended precision, is >= Tx.
    std::size_t CountFor(double T);

    // Tx after `count` trapezoids.
    double Position(std::size_t count) const { return positions_[count]; }

    const TrapezoidSum& Trapezoids() const { return trapezoids_; }

  private:
    void Extend();

    const CalcState& state_;
    std::vector<double> positions_;
    TrapezoidSum trapezoids_;
    std::size_t count_ = 0;
};

}  // namespace tsc
