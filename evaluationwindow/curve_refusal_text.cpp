// Why a measurement was not taken, in the window's language; the command
// line says the same in English.
#include "evaluation_text.h"

using namespace tsc::analysis;

namespace {

QString Reason(const CurveRefusal& r) {
    switch (r.problem) {
        case CurveProblem::NotTwoNumbers:
            return Ja("温度と電流の 2 つの数値になっていません");
        case CurveProblem::NotFinite:
            return Ja("有限でない値があります");
        case CurveProblem::NotOneNumber:
            return Ja("結果ファイルの形式 (1 行に 1 つの数値) になっていません");
        case CurveProblem::TemperatureWithoutCurrent:
            return Ja("温度に対応する電流がありません");
        case CurveProblem::TemperatureNotAboveZero:
            return Ja("温度が 0 K より高くありません");
        case CurveProblem::Folder:
            return Ja("フォルダーは開けません");
        case CurveProblem::TooLarge:
            return Ja("ファイルが 256 MiB を超えています");
        case CurveProblem::CannotOpen:
            return Ja("ファイルを開けません");
        case CurveProblem::CannotRead:
            return Ja("ファイルを読み取れません");
        case CurveProblem::NoPoints:
            return Ja("データ点がありません");
        case CurveProblem::TooFewPoints:
            return Ja("データ点が ") + QString::number(r.points) + Ja(" 点しかありません。") +
                   QString::number(r.values) + Ja(" 個の値のフィットには ") +
                   QString::number(kPointsPerFittedValue * r.values) + Ja(" 点以上が必要です");
    }
    return QString::fromStdString(r.reason);
}

}  // namespace

QString CurveRefusalText(const QString& file, const CurveRefusal& refusal) {
    QString text = Ja("測定データを読み込めませんでした。\nファイル: ") + file;
    if (refusal.line > 0) text += Ja("\n行: ") + QString::number(refusal.line);
    return text + Ja("\n理由: ") + Reason(refusal);
}
