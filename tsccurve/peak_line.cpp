#include "number_text.h"
#include "run_calculation.h"
#include "subcommands.h"

std::string PeakLine(CalcState& state) {
    // The last row carries the peak of the whole run; without rows the line
    // is empty.
    std::string peak;
    RunCalculation(state, [&](const ResultRow& row) {
        peak = FloatToStr(row.Tpeak) + " " + FloatToStr(row.Ipeak);
    });
    return peak + "\n";
}
