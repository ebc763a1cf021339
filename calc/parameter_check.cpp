#include "parameter_check.h"

#include <cmath>

#include "extended.h"

namespace {

struct NamedValue {
    const char* name;
    double value;
};

std::string NotFiniteMessage(const char* name) {
    return std::string(name) + " の値が数として大きすぎるか、有限ではありません。";
}

}  // namespace

std::size_t CountSteps(const CalcState& s) {
    std::size_t steps = 0;
    for (double T = s.To; T <= s.Tend && steps <= kMaxSteps;
         T = tsc::Narrow(tsc::Widen(s.a) + tsc::Widen(T))) {
        ++steps;
    }
    return steps;
}

std::optional<std::string> CheckParameters(const CalcState& s) {
    const NamedValue parameters[] = {
        {"活性化エネルギーＥｔ", s.Et},
        {"脱出周波数νｔ", s.Vt},
        {"全トラップ数Ｎｔ", s.Nt},
        {"測定開始温度Ｔｏ", s.To},
        {"測定修了温度Ｔｅｎｄ", s.Tend},
        {"温度上昇率β", s.Beta},
        {"試料断面積Ｓ", s.S},
        {"積分間隔ａ", s.a},
    };
    for (const NamedValue& p : parameters) {
        if (!std::isfinite(p.value)) return NotFiniteMessage(p.name);
    }
    for (const NamedValue& p : {parameters[0], parameters[1], parameters[2], parameters[6]}) {
        if (p.value < 0) return std::string(p.name) + " は 0 以上の値にしてください。";
    }
    if (s.To <= 0) return std::string("測定開始温度Ｔｏ は 0 K より大きい値にしてください。");
    if (s.Beta <= 0) return std::string("温度上昇率β は 0 より大きい値にしてください。");
    if (s.a <= 0) return std::string("積分間隔ａ は 0 より大きい値にしてください。");
    if (tsc::Narrow(tsc::Widen(s.a) + tsc::Widen(s.To)) <= s.To) {
        return std::string("積分間隔ａ が測定開始温度Ｔｏ に比べて小さすぎ、温度が進みません。");
    }
    if (CountSteps(s) > kMaxSteps) {
        return std::string(
            "温度の刻みが多すぎます (上限 50000 ステップ)。"
            "積分間隔ａ を大きくするか、温度範囲を狭めてください。");
    }
    return std::nullopt;
}
