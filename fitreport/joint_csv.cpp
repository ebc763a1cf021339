#include "joint_csv.h"

#include <algorithm>
#include <cmath>

#include "value_text.h"

namespace tsc::analysis {

std::string JointCsv(const JointFit& fit, bool amperes) {
    const std::string unit = amperes ? "_A" : "";
    std::string text;
    std::size_t rows = 0;
    for (std::size_t c = 0; c < fit.curves.size(); ++c) {
        const std::string n = "_" + std::to_string(c + 1);
        text += (c == 0 ? "" : ",") + ("T_K" + n) + ",I_measured" + unit + n + ",I_fitted" + unit +
                n + ",residual" + unit + n;
        rows = std::max(rows, fit.curves[c].T.size());
    }
    text += "\n";
    for (std::size_t i = 0; i < rows; ++i) {
        for (std::size_t c = 0; c < fit.curves.size(); ++c) {
            if (c > 0) text += ",";
            const SpectrumFit& curve = fit.curves[c];
            if (i >= curve.T.size() || c >= fit.measured.size()) {
                text += ",,,";
                continue;
            }
            const double y = fit.measured[c][i], f = curve.fitted[i];
            text += CsvNumber(curve.T[i]) + "," + CsvNumber(y) + "," + CsvNumber(f) + "," +
                    CsvNumber(y - f);
        }
        text += "\n";
    }
    return text;
}

}  // namespace tsc::analysis
