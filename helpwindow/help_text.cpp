#include "help_text.h"

QStringList HelpLines() {
    // Lines 2 to 6 and 16 to 17 are broken after 46 full-width characters, as
    // the window shows them; the sample values mix full-width digits with the
    // half-width e and a, and the peak uses a full-width comma as decimal mark.
    return {
        QStringLiteral("このアプリケーションの使い方"),
        QStringLiteral("このアプリケーションはＴＳＣ法を用いて温度変化に対する熱刺激放出電流の変化"
                       "を表とグラフに表し"),
        QStringLiteral("そこからピーク電流とそのときの温度を読み取り、トラップの評価を行うことを目"
                       "的として作製しまし"),
        QStringLiteral("た。原則としてＴＳＣ法は複数の順位にトラップがある場合の評価は困難なので一"
                       "つの順位にのみトラ"),
        QStringLiteral("ップが存在することを前提としています。なおこのアプリケーションでは積分間隔"
                       "が０．２のときに最"),
        QStringLiteral("も精度が高くなるように設定しています。"),
        QStringLiteral("”サンプル値”"),
        QStringLiteral("Ｅｔ＝０．８（eＶ）"),
        QStringLiteral("νｔ＝１e８（Ｈｚ）"),
        QStringLiteral("Ｎｔ＝１e１３（ｃｍ＾－２）"),
        QStringLiteral("Ｔｏ＝２００（Ｋ）"),
        QStringLiteral("Ｔｅｎｄ＝４００（Ｋ）"),
        QStringLiteral("β＝２（Ｋ／ｍｉｎ）"),
        QStringLiteral("Ｓ＝１（ｍｍ＾２）"),
        QStringLiteral("a＝０．２（Ｋ）"),
        QStringLiteral("以上の値を用いた場合ピーク温度は３７５，７９９９９９（Ｋ）、ピーク電流は１"
                       "，２６３４４５８３"),
        QStringLiteral("９４６７７Ｅ－１１となります。"),
    };
}
