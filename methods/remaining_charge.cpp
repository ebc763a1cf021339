#include "remaining_charge.h"

#include <cstddef>

namespace tsc::analysis {

std::vector<double> IntegralToEnd(std::span<const double> temperature, std::span<const double> y) {
    std::vector<double> integral(y.size(), 0.0);
    for (std::size_t i = y.size(); i-- > 1;) {
        const double step = temperature[i] - temperature[i - 1];
        integral[i - 1] = integral[i] + 0.5 * (y[i] + y[i - 1]) * step;
    }
    return integral;
}

}  // namespace tsc::analysis
