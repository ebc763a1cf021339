#pragma once

#include <cstddef>
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

    // Sum after adding the first `count` trapezoids, one rounding after
    // another exactly as above. Runs at nearly the speed of a plain binary64
    // chain: see the .cpp for how.
    double Accumulate(double sum, std::size_t count) const;

    // The same result, one extended addition after another.
    double AccumulateStepByStep(double sum, std::size_t count) const;

    // Each trapezoid rounded to binary64 (NaN where the two parts would not
    // hold it exactly) and the exact remainder.
    const double* High() const { return high_.data(); }
    const double* Low() const { return low_.data(); }

  private:
    // Adds from trapezoid `first` on, at most one block; returns how many
    // were added, with `sum` updated.
    std::size_t AccumulateBlock(double& sum, std::size_t first, std::size_t count) const;

    std::vector<Extended> whole_;
    std::vector<double> high_;
    std::vector<double> low_;
};

}  // namespace tsc
