#include "run_calculation.h"

#include <cstddef>

#include "extended.h"
#include "trapezoid_cache.h"
#include "unit_constants.h"

namespace {

using tsc::ExpOf;
using tsc::Extended;
using tsc::Narrow;
using tsc::Widen;

using tsc::kBoltzmann;
using tsc::kCharge;
using tsc::kElectronVolt;
using tsc::kHalf;
using tsc::kMm2ToM2;
using tsc::kPerCm2ToPerM2;

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

    tsc::TrapezoidCache cache({.To = s.To, .a = s.a, .Et = s.Et, .k = s.k, .Half = s.Half});
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
