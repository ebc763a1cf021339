// The production calculation against the literal reference loop, bit for
// bit, on parameter sets the check accepts: eight binary64 values from the
// input, then a starting running sum. Runs of more than a few hundred steps
// are skipped to keep each input fast.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "parameter_check.h"
#include "reference_calculation.h"
#include "run_calculation.h"

namespace {

constexpr std::size_t kMostSteps = 300;

std::vector<ResultRow> Rows(CalcState& state, void (*calculate)(CalcState&, const RowSink&)) {
    std::vector<ResultRow> rows;
    calculate(state, [&](const ResultRow& row) { rows.push_back(row); });
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    double values[9] = {};
    if (size < 8 * sizeof(double)) return 0;
    std::memcpy(values, data, std::min(size, sizeof values));
    CalcState state;
    for (std::size_t i = 0; i < kParameters.size(); ++i) state.*kParameters[i].member = values[i];
    state.Sum = values[8] >= 0 ? values[8] : 0;  // a running sum is never negative
    if (CheckParameters(state, kMostSteps)) return 0;

    CalcState reference = state;
    const std::vector<ResultRow> production = Rows(state, RunCalculation);
    const std::vector<ResultRow> literal = Rows(reference, ReferenceCalculation);
    if (production.size() != literal.size()) __builtin_trap();
    const bool sameRows =
        production.empty() ||
        std::memcmp(production.data(), literal.data(), production.size() * sizeof(ResultRow)) == 0;
    if (!sameRows || std::memcmp(&state, &reference, sizeof state) != 0) {
        __builtin_trap();
    }
    return 0;
}
