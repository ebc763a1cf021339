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
                       "温度の刻みが多すぎます (上限 %1 ステップ)。"
                       "%2 を大きくするか、温度範囲を狭めてください。")
                .arg(refusal.limit)
                .arg(name);
    }
    return name + QStringLiteral(" の値は使えません。");
}
