#include "result_lines.h"

#include "number_text.h"

std::array<std::string, 3> ResultLines(const ResultRow& row) {
    return {FloatToStr(row.T), FloatToStr(row.Itsc), std::string()};
}
