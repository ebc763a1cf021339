#include "fit_csv.h"

#include <cmath>

#include "value_text.h"

namespace tsc::analysis {

std::string FitCsv(const SpectrumFit& fit, std::span<const double> measured, bool amperes) {
    const std::string unit = amperes ? "_A" : "";
    const bool background = fit.background.kind != BackgroundKind::None;
    // The components only where there is more than one: alone, a peak is the
    // fitted curve.
    const bool components = fit.peaks.size() + (background ? 1 : 0) > 1;
    std::string text = "T_K,I_measured" + unit + ",I_fitted" + unit + ",residual" + unit;
    if (components) {
        for (std::size_t k = 0; k < fit.peaks.size(); ++k) {
            text += ",peak_" + std::to_string(k + 1) + unit;
        }
        if (background) text += ",background" + unit;
    }
    text += "\n";
    for (std::size_t i = 0; i < fit.T.size() && i < measured.size(); ++i) {
        text += CsvNumber(fit.T[i]) + "," + CsvNumber(measured[i]) + "," +
                CsvNumber(fit.fitted[i]) + "," + CsvNumber(measured[i] - fit.fitted[i]);
        if (components) {
            for (const FittedPeak& p : fit.peaks) text += "," + CsvNumber(p.current[i]);
            if (background) text += "," + CsvNumber(fit.background.current[i]);
        }
        text += "\n";
    }
    return text;
}

}  // namespace tsc::analysis
