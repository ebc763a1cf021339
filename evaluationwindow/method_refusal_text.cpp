// Why a classic method does not apply, in the window's language; the
// command line says the same in English.
#include "evaluation_text.h"

using namespace tsc::analysis;

namespace {

QString Reason(const MethodRefusal& r) {
    const QString found = QString::number(r.found), needed = QString::number(r.needed);
    const QString counts = found + Ja(" 点 (") + needed + Ja(" 点必要)");
    switch (r.reason) {
        case RefusalReason::NoPeak:
            return Ja("ピークがありません: 最大電流が正でないか、データの端にあります");
        case RefusalReason::TooFewPointsInPeakTop:
            return Ja("最大値の 80 % を超える点が局所フィットには足りません (同じ温度の点は 1 "
                      "点): ") +
                   counts;
        case RefusalReason::NoHalfMaximumBelow:
            return Ja("データの始まりまでに電流がピーク値の半分まで下がりません");
        case RefusalReason::NoHalfMaximumAbove:
            return Ja("データの終わりまでに電流がピーク値の半分まで下がりません");
        case RefusalReason::TooFewPointsInRiseWindow:
            return Ja("初期立ち上がりの範囲 (Im の 1〜10 %) の点が足りません (同じ温度の点は 1 "
                      "点): ") +
                   counts;
        case RefusalReason::NonPositiveEnergy:
            return Ja("求めたエネルギーが正になりません");
        case RefusalReason::FrequencyOverflow:
            return Ja("このエネルギーの脱出頻度は大きすぎて表せません");
        case RefusalReason::TooFewCurves:
            return Ja("昇温速度法には 2 本以上の曲線が必要です: ") + found + Ja(" 本");
        case RefusalReason::CurveWithoutPeak:
            return Ja("ピークのない曲線があります");
        case RefusalReason::PeaksDoNotMove:
            return Ja("昇温速度を変えてもピーク温度が変わりません");
        case RefusalReason::NoDegreesOfFreedom:
            return Ja("2 本の曲線を通る直線には標準誤差がありません");
        case RefusalReason::InvalidCurve:
            return Ja("曲線が、温度が 0 K より高く昇順に並ぶ有限の数値の 2 列になっていません");
        case RefusalReason::InvalidHeatingRate:
            return Ja("昇温速度が 0 K/min より大きい有限の数値ではありません");
        case RefusalReason::InvalidRiseWindow:
            return Ja("初期立ち上がりの範囲が 0 < 下限 < 上限 になっていません");
        case RefusalReason::PeakTopNotSampled:
            return Ja(
                "局所フィットが最大の測定点を大きく超えます: ピークの頂点が測定点の間にあります");
        case RefusalReason::HalfIntensityNotAroundPeak:
            return Ja("半値温度がピークの両側にありません");
        case RefusalReason::OutOfRange:
            return Ja("結果が大きすぎるか小さすぎて表せません");
        case RefusalReason::TooFewPointsForWholeCurve:
            return Ja("全曲線法にはピーク上の点が足りません (同じ温度の点は 1 点): ") + counts;
        case RefusalReason::NoChargeTail:
            return Ja("ピークの後、電流がピーク値の ") + found + Ja(" % までしか下がらず (") +
                   needed + Ja(" % 未満が必要)、残りの電荷がわかりません");
        case RefusalReason::NonPositiveCharge:
            return Ja("ピーク後の電流の積分が正になりません");
        case RefusalReason::FrequencyErrorTooLarge:
            return Ja("脱出頻度の誤差が e 倍以上あります");
        case RefusalReason::RatesAreEqual:
            return Ja("昇温速度がすべて同じです: 異なる昇温速度の曲線が必要です");
    }
    return Ja("この方法は適用できません");
}

}  // namespace

QString MethodRefusalText(const MethodRefusal& refusal) {
    return Ja("適用できません: ") + Reason(refusal);
}
