#include "result_lines.h"
#include "run_calculation.h"
#include "subcommands.h"

std::string ResultsFileText(CalcState& state) {
    std::string text;
    RunCalculation(state, [&](const ResultRow& row) {
        for (const std::string& line : ResultLines(row)) text += line + "\r\n";
    });
    return text;
}
