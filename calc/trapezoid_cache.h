#pragma once

#include <cstddef>
#include <vector>

#include "trapezoid_sum.h"

namespace tsc {

// What the trapezoids of one calculation depend on: the start of the
// integration, the step, and the converted constants of the integrand.
struct TrapezoidRule {
    double To;
    double a;
    double Et;
    double k;
    double Half;
};

// Every outer step integrates from To again, through the same positions Tx_j
// (they are built by the same additions each time), so the trapezoid at
// position j never changes within a calculation. The cache computes each one
// once; the running Sum then gives the result of replaying the additions in
// the original order, which keeps every rounding of the literal loop.
//
// It expects the step temperatures in increasing order.
class TrapezoidCache {
  public:
    explicit TrapezoidCache(const TrapezoidRule& rule) : rule_(rule) {
        positions_.push_back(rule.To);
    }

    // Number of trapezoids the inner loop performs for step temperature T:
    // it runs while T - a, kept in extended precision, is >= Tx.
    std::size_t CountFor(double T);

    // Tx after `count` trapezoids.
    double Position(std::size_t count) const { return positions_[count]; }

    TrapezoidSum& Trapezoids() { return trapezoids_; }
    const TrapezoidSum& Trapezoids() const { return trapezoids_; }

  private:
    void Extend();

    TrapezoidRule rule_;
    std::vector<double> positions_;
    TrapezoidSum trapezoids_;
    std::size_t count_ = 0;
};

}  // namespace tsc
