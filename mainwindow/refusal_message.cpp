#include "refusal_message.h"

#include "form1.h"

QString RefusalMessage(const Refusal& refusal) {
    const QString name = TForm1::ParameterName(refusal.parameter);
    switch (refusal.kind) {
        case RefusalKind::NotFinite:
            return name + QStringLiteral(" の値が数として大きすぎるか、有限ではありません。");
        case RefusalKind::Negative:
            return name + QStringLiteral(" は 0 以上の値にしてください。");
        case RefusalKind::NotPositive:
            return name + QStringLiteral(" は 0 より大きい値にしてください。");
        case RefusalKind::StepTooSmall:
            return name + QStringLiteral(" が%1 に比べて小さすぎ、温度が進みません。")
                              .arg(TForm1::ParameterName(Parameter::To));
        case RefusalKind::TooManySteps:
            return QStringLiteral(
                       "温度の刻みが多すぎます (上限 %1 ステップ。"
                       "これより多いと、結果の一覧とグラフの表示に時間がかかりすぎます)。"
                       "%2 を大きくするか、温度範囲を狭めてください。")
                .arg(refusal.limit)
                .arg(name);
        case RefusalKind::CurrentNotFinite:
            return name + QStringLiteral(" の値では電流が有限の数になりません。");
        case RefusalKind::IntegralNotFinite:
            return name + QStringLiteral(
                              " の値では %1 が 0 のとき積分があふれ、電流が有限の数になりません。"
                              "計算結果を消去するか、値を小さくしてください。")
                              .arg(TForm1::ParameterName(Parameter::Vt));
    }
    return name + QStringLiteral(" の値は使えません。");
}
