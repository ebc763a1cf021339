#include "reference_calculation.h"

#include "extended.h"

using tsc::ExpOf;
using tsc::Extended;
using tsc::Narrow;
using tsc::Widen;

void ReferenceCalculation(CalcState& s, const RowSink& sink) {
    s.k = 1.3804e-23;
    s.q = -1.602e-19;
    s.Et = Narrow(Widen(s.Et) * Widen(1.602e-19));
    s.Nt = Narrow(Widen(s.Nt) * Widen(static_cast<double>(10000.0f)));
    s.S = Narrow(Widen(s.S) * Widen(1e-6));
    s.Pref = Narrow(((-Widen(s.q)) * Widen(s.S)) * Widen(s.Nt) * Widen(s.Vt));
    s.Half = 0.5;
    s.Ipeak = 0;
    s.T = s.To;
    while (s.T <= s.Tend) {
        s.Tx = s.To;
        while (Widen(s.T) - Widen(s.a) >= Widen(s.Tx)) {
            const double e1 = Narrow(ExpOf(-Widen(s.Et) / (Widen(s.k) * Widen(s.Tx))));
            const Extended e2 = ExpOf(-Widen(s.Et) / ((Widen(s.Tx) + Widen(s.a)) * Widen(s.k)));
            s.Sum = Narrow(((e2 + Widen(e1)) * (Widen(s.Half) * Widen(s.a))) + Widen(s.Sum));
            s.Tx = Narrow(Widen(s.a) + Widen(s.Tx));
        }
        s.Itsc = Narrow(ExpOf((-Widen(s.Et) / (Widen(s.k) * Widen(s.T))) -
                              ((Widen(s.Vt) / Widen(s.Beta)) * Widen(s.Sum))) *
                        Widen(s.Pref));
        if (s.Itsc > s.Ipeak) {
            s.Ipeak = s.Itsc;
            s.Tpeak = s.T;
        }
        sink(ResultRow{s.T, s.Itsc, s.Tpeak, s.Ipeak});
        s.T = Narrow(Widen(s.a) + Widen(s.T));
    }
}
