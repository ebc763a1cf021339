#include "run_calculation.h"

#include <cstddef>
#include <vector>

#include "extended.h"
#include "trapezoid_sum.h"

namespace {

using tsc::ExpOf;
using tsc::Extended;
using tsc::Narrow;
using tsc::Widen;

// The constants are binary64 values widened exactly; extended literals would
// be different numbers and change the currents.
constexpr double kElectronVolt = 1.602e-19;
constexpr float kPerCm2ToPerM2 = 10000.0f;
constexpr double kMm2ToM2 = 1e-6;
constexpr double kHalf = 0.5;
constexpr double kCharge = -1.602e-19;
constexpr double kBoltzmann = 1.3804e-23;

// Every outer step integrates from To again, through the same positions Tx_j
// (they are built by the same additions each time), so the trapezoid at
// position j never changes within a calculation. The cache computes each one
// once; the running Sum then replays the additions in the original order,
// which keeps every rounding of the literal loop.
class TrapezoidCache {
  public:
    explicit TrapezoidCache(const CalcState& state) : state_(state) {
        positions_.push_back(state.To);
    }

    // Number of trapezoids the inner loop performs for step temperature T:
    // it runs while T - a, kept in extended precision, is >= Tx.
    std::size_t CountFor(double T) {
        const Extended upper = Widen(T) - Widen(state_.a);
        while (upper >= Widen(positions_[count_])) {
            if (count_ + 1 == positions_.size()) Extend();
            ++count_;
        }
        return count_;
    }

    // Tx after `count` trapezoids.
    double Position(std::size_t count) const { return positions_[count]; }

    const tsc::TrapezoidSum& Trapezoids() const { return trapezoids_; }

  private:
    void Extend() {
        const double Tx = positions_.back();
        const Extended Et = Widen(state_.Et);
        const Extended k = Widen(state_.k);
        const Extended a = Widen(state_.a);
        const double e1 = Narrow(ExpOf(-Et / (k * Widen(Tx))));
        const Extended e2 = ExpOf(-Et / ((Widen(Tx) + a) * k));
        trapezoids_.Append((e2 + Widen(e1)) * (Widen(state_.Half) * a));
        positions_.push_back(Narrow(a + Widen(Tx)));
    }

    const CalcState& state_;
    std::vector<double> positions_;
    tsc::TrapezoidSum trapezoids_;
    std::size_t count_ = 0;
};

}  // namespace

void RunCalculation(CalcState& s, const RowSink& sink) {
    s.k = kBoltzmann;
    s.q = kCharge;
    s.Et = Narrow(Widen(s.Et) * Widen(kElectronVolt));
    s.Nt = Narrow(Widen(s.Nt) * Widen(kPerCm2ToPerM2));
    s.S = Narrow(Widen(s.S) * Widen(kMm2ToM2));
    s.Pref = Narrow(-Widen(s.q) * Widen(s.S) * Widen(s.Nt) * Widen(s.Vt));
    s.Half = kHalf;
    s.Ipeak = 0;
    s.T = s.To;

    TrapezoidCache cache(s);
    while (s.T <= s.Tend) {
        const std::size_t count = cache.CountFor(s.T);
        s.Sum = cache.Trapezoids().Accumulate(s.Sum, count);
        s.Tx = cache.Position(count);

        const Extended exponent =
            -Widen(s.Et) / (Widen(s.k) * Widen(s.T)) - Widen(s.Vt) / Widen(s.Beta) * Widen(s.Sum);
        s.Itsc = Narrow(ExpOf(exponent) * Widen(s.Pref));
        if (s.Itsc > s.Ipeak) {
            s.Ipeak = s.Itsc;
            s.Tpeak = s.T;
        }
        sink(ResultRow{s.T, s.Itsc, s.Tpeak, s.Ipeak});
        s.T = Narrow(Widen(s.a) + Widen(s.T));
    }
}

void ResetIntegral(CalcState& state) { state.Sum = 0; }
