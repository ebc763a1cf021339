#include "calc_test_support.h"

CalcState WithParameters(double Et, double Vt, double Nt, double To, double Tend, double Beta,
                         double S, double a) {
    CalcState state;
    state.Et = Et;
    state.Vt = Vt;
    state.Nt = Nt;
    state.To = To;
    state.Tend = Tend;
    state.Beta = Beta;
    state.S = S;
    state.a = a;
    return state;
}

CalcState SampleParameters() { return SampleWithStep(0.2); }

CalcState SampleWithStep(double a) { return WithParameters(0.8, 1e8, 1e13, 200, 400, 2, 1, a); }

std::vector<ResultRow> Rows(void (*calculation)(CalcState&, const RowSink&), CalcState& state) {
    std::vector<ResultRow> rows;
    calculation(state, [&](const ResultRow& row) { rows.push_back(row); });
    return rows;
}
