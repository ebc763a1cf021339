#include <optional>

#include "number_text.h"
#include "run_calculation.h"
#include "subcommands.h"

std::string PeakLine(CalcState& state) {
    // The last row carries the peak of the whole run, so only it is written
    // out (writing each row's would cost more than the calculation); without
    // rows there is no peak and nothing is printed.
    std::optional<ResultRow> last;
    RunCalculation(state, [&](const ResultRow& row) { last = row; });
    if (!last) return "";
    return FloatToStr(last->Tpeak) + " " + FloatToStr(last->Ipeak) + "\n";
}
