#include "methods_plot.h"

std::optional<std::string> WriteMethodsPlot(const std::string&, std::span<const double>,
                                            std::span<const double>,
                                            const tsc::analysis::CurveMethods&,
                                            tsc::analysis::RiseWindow) {
    return "--plot needs the program built with Qt Charts";
}
