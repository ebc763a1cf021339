#include "legacy_model.h"

#include <cmath>

#include "parameter_check.h"
#include "run_calculation.h"

namespace tsc::analysis {
namespace {

// The window's work grows with the square of its steps, and a fit runs it
// some hundred times: beyond this a fit would take minutes.
constexpr std::size_t kMaxFitSteps = 5000;

CalcState GridFor(const Trap& trap, double Beta, double S, double a, const std::vector<double>& T) {
    CalcState state;
    state.Et = trap.Et;
    state.Vt = trap.Vt;
    state.Nt = trap.Nt;
    state.To = T.front();
    state.Tend = T.back() + a;
    state.Beta = Beta;
    state.S = S;
    state.a = a;
    return state;
}

}  // namespace

LegacyCurve LegacyCurrentsAt(const Trap& trap, double Beta, double S, double a,
                             const std::vector<double>& T) {
    CalcState state = GridFor(trap, Beta, S, a, T);
    std::vector<ResultRow> rows;
    RunCalculation(state, [&rows](const ResultRow& row) { rows.push_back(row); });

    LegacyCurve curve{{}, state.Tpeak, state.Ipeak};
    curve.I.reserve(T.size());
    std::size_t next = 1;
    for (const double t : T) {
        while (next + 1 < rows.size() && rows[next].T < t) ++next;
        const ResultRow& low = rows[next - 1];
        const ResultRow& high = rows[std::min(next, rows.size() - 1)];
        const double span = high.T - low.T;
        const double w = span > 0 ? (t - low.T) / span : 0;
        curve.I.push_back(low.Itsc + w * (high.Itsc - low.Itsc));
    }
    return curve;
}

std::optional<std::string> CheckLegacyGrid(const std::vector<double>& T, double a) {
    if (!(std::isfinite(a) && a > 0)) return "the step must be a positive number";
    const CalcState state = GridFor({1, 1, 1}, 1, 1, a, T);
    if (!(state.To + a > state.To)) return "the step is too small to advance the temperature";
    if (CountSteps(state, kMaxFitSteps) > kMaxFitSteps) {
        return "the window's calculation would need more than " + std::to_string(kMaxFitSteps) +
               " steps over this range; use a larger step";
    }
    return std::nullopt;
}

}  // namespace tsc::analysis
