#include "number_text.h"
#include "run_calculation.h"
#include "subcommands.h"

std::string CsvCurve(CalcState& state) {
    std::string text = "T_K,Itsc_A\n";
    RunCalculation(state, [&](const ResultRow& row) {
        text += FloatToStr(row.T) + "," + FloatToStr(row.Itsc) + "\n";
    });
    return text;
}
