#include "evaluation_text.h"

#include <cmath>

#include "number_text.h"

using namespace tsc::analysis;

QString MeasurementFilter() {
    return Ja("測定データ(*.txt *.csv *.dat)|*.txt;*.csv;*.dat|すべてのファイル(*)|*");
}

double StartTemperature(double T) {
    if (!std::isfinite(T)) return T;
    return StrToFloat(QString::number(T, 'f', 1).toStdString());
}

QString Significant(double value, int digits) {
    if (!std::isfinite(value)) return Ja("—");
    return QString::number(value, 'g', digits);
}

QString WithError(const Estimate& e, double scale) {
    QString text = Significant(e.value * scale, 6);
    if (e.fitted && std::isfinite(e.stderr_)) {
        text += Ja(" ± ") + Significant(e.stderr_ * scale, 2);
    }
    if (e.undetermined) text += Ja(" (未決定)");
    if (e.atBound) text += Ja(" (境界)");
    return text;
}

QString FitStatisticsText(const SpectrumFit& fit) {
    const FitStatistics& s = fit.statistics;
    const QString unit = Ja(" A²");
    return Ja("FOM ") + Significant(s.fomPercent, 3) + Ja(" %　R² ") + Significant(s.r2, 6) +
           Ja("　換算 χ² ") + Significant(s.reducedChi2, 3) + unit + Ja("　AIC ") +
           Significant(s.aic, 6) + Ja("　BIC ") + Significant(s.bic, 6) + Ja("　反復 ") +
           QString::number(fit.iterations) + Ja(" 回　") +
           (fit.converged ? Ja("収束しました") : Ja("収束しませんでした"));
}
