#include "number_text.h"
#include "run_calculation.h"
#include "subcommands.h"

std::string ResultsFileText(CalcState& state) {
    std::string text;
    RunCalculation(state, [&](const ResultRow& row) {
        text += FloatToStr(row.T) + "\r\n" + FloatToStr(row.Itsc) + "\r\n\r\n";
    });
    return text;
}
