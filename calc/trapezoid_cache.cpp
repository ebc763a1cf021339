#include "trapezoid_cache.h"

#include "extended.h"

namespace tsc {

std::size_t TrapezoidCache::CountFor(double T) {
    const Extended upper = Widen(T) - Widen(rule_.a);
    while (upper >= Widen(positions_[count_])) {
        if (count_ + 1 == positions_.size()) Extend();
        ++count_;
    }
    return count_;
}

void TrapezoidCache::Extend() {
    const double Tx = positions_.back();
    const Extended Et = Widen(rule_.Et);
    const Extended k = Widen(rule_.k);
    const Extended a = Widen(rule_.a);
    const double e1 = Narrow(ExpOf(-Et / (k * Widen(Tx))));
    const Extended e2 = ExpOf(-Et / ((Widen(Tx) + a) * k));
    trapezoids_.Append((e2 + Widen(e1)) * (Widen(rule_.Half) * a));
    positions_.push_back(Narrow(a + Widen(Tx)));
}

}  // namespace tsc
