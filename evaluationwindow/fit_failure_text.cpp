// Why a fit did not converge, in the window's language; the command line
// says the same in English.
#include "evaluation_text.h"

using namespace tsc::analysis;

namespace {

QString Reason(const SpectrumFit& fit) {
    switch (fit.problem) {
        case FitProblem::None:
            break;
        case FitProblem::Undefined:
            return Ja("フィットが止まった点でモデルが定義されません");
        case FitProblem::OutOfEvaluations:
            return Ja("決められた回数の評価で収束しませんでした");
        case FitProblem::Cancelled:
            return Ja("中止しました");
        case FitProblem::OutOfTime:
            return Ja("決められた時間内に収束しませんでした");
        case FitProblem::CannotStart:
            return Ja("フィットする値の数に対して点が足りません");
        case FitProblem::NoStart:
            return Ja("初期値から最初の温度より上にピークができません");
        case FitProblem::Undetermined:
            return Ja("止まった点ではデータから値が決まりません (共分散行列が特異)");
        case FitProblem::NoPositiveArea:
            return Ja("フィット曲線の面積が正でなく、測定を表していません");
        case FitProblem::MissesCurve:
            return Ja("フィット曲線と測定の差が曲線の面積を超えます (FOM ") +
                   Significant(fit.statistics.fomPercent, 3) + Ja(" %)");
        case FitProblem::WorseThanMean:
            return Ja("フィットが測定の平均値より悪くなりました (R² ≤ 0)");
        case FitProblem::EveryPeakRanAway:
            return Ja(
                "すべてのピークが外れました (境界に達したか、高さが 0 になったか、"
                "データの外に出ました)");
    }
    return QString::fromStdString(fit.failure);
}

}  // namespace

QString FitFailureText(const QString& file, const SpectrumFit& fit) {
    QString why = Reason(fit);
    if (fit.heldValuesSuspect) why += Ja("。固定した値がデータと合わない可能性があります");
    return Ja("フィットが収束しませんでした。前の結果をそのまま表示しています。\nファイル: ") +
           file + Ja("\n理由: ") + why;
}
