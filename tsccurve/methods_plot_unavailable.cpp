#include "methods_plot.h"

std::optional<std::string> WriteMethodsPlot(const std::string&, const tsc::analysis::MeasuredCurve&,
                                            const EvaluatedCurve&) {
    return "--plot needs the program built with Qt Charts";
}
