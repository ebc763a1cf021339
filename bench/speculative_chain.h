#pragma once

#include <cstddef>
#include <vector>

#include "calc_state.h"
#include "trapezoid_sum.h"

// The running sum as the calculation did it before it summed whole binades:
// the chain replayed at every outer step, speculatively in binary64 and
// checked exactly. Kept to be timed beside the production calculation.
class SpeculativeChain {
  public:
    // Takes over the trapezoids of `trapezoids` not yet taken.
    void Follow(const tsc::TrapezoidSum& trapezoids);

    double Accumulate(double sum, std::size_t count) const;

  private:
    void Append(tsc::Extended trapezoid);
    std::size_t AccumulateBlock(double& sum, std::size_t first, std::size_t count) const;

    std::vector<tsc::Extended> whole_;
    std::vector<double> high_;
    std::vector<double> low_;
};

// The whole calculation with that chain.
void SpeculativeChainCalculation(CalcState& state, const RowSink& sink);
