#include "number_text.h"
#include "run_calculation.h"
#include "subcommands.h"

std::string PeakLine(CalcState& state) {
    // The last row carries the peak of the whole run; without rows there is
    // no peak and nothing is printed.
    std::string peak;
    RunCalculation(state, [&](const ResultRow& row) {
        peak = FloatToStr(row.Tpeak) + " " + FloatToStr(row.Ipeak) + "\n";
    });
    return peak;
}
