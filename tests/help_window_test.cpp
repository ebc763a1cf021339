#include "help_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QWindow>

#include "qt_printers.h"

namespace {

// The usage text as the user must see it, line for line.
const char* const kExpectedLines[] = {
    "このアプリケーションの使い方",
    "このアプリケーションはＴＳＣ法を用いて温度変化に対する熱刺激放出電流の変化を表とグラフに表し",
    "そこからピーク電流とそのときの温度を読み取り、トラップの評価を行うことを目的として作製しまし",
    "た。原則としてＴＳＣ法は複数の順位にトラップがある場合の評価は困難なので一つの順位にのみトラ",
    "ップが存在することを前提としています。なおこのアプリケーションでは積分間隔が０．２のときに最",
    "も精度が高くなるように設定しています。",
    "”サンプル値”",
    "Ｅｔ＝０．８（eＶ）",
    "νｔ＝１e８（Ｈｚ）",
    "Ｎｔ＝１e１３（ｃｍ＾－２）",
    "Ｔｏ＝２００（Ｋ）",
    "Ｔｅｎｄ＝４００（Ｋ）",
    "β＝２（Ｋ／ｍｉｎ）",
    "Ｓ＝１（ｍｍ＾２）",
    "a＝０．２（Ｋ）",
    "以上の値を用いた場合ピーク温度は３７５，７９９９９９（Ｋ）、ピーク電流は１，２６３４４５８３",
    "９４６７７Ｅ－１１となります。",
};

QStringList MemoLines(const TForm2& form) {
    QStringList lines;
    for (QTextBlock block = form.Memo1->document()->begin(); block.isValid();
         block = block.next()) {
        lines.append(block.text());
    }
    return lines;
}

TEST(HelpWindow, HoldsTheSeventeenUsageLinesExactly) {
    TForm2 form;
    const QStringList lines = MemoLines(form);
    ASSERT_EQ(lines.size(), int(std::size(kExpectedLines)));
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], QString::fromUtf8(kExpectedLines[i])) << "line " << i + 1;
    }
    // The paragraph and the closing sentence are broken after 46 characters.
    for (int line : {2, 3, 4, 5, 16}) EXPECT_EQ(lines[line - 1].size(), 46) << "line " << line;
}

TEST(HelpWindow, MatchesTheDesignedLayout) {
    TForm2 form;
    EXPECT_TRUE(form.isWindow());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), "Form2");
    EXPECT_EQ(form.Memo1->geometry(), QRect(0, 0, 681, 449));
    EXPECT_EQ(form.Memo1->parentWidget(), &form);
    EXPECT_FALSE(form.Memo1->isReadOnly());
    EXPECT_EQ(form.Memo1->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(form.Memo1->font().family(), QStringLiteral("ＭＳ Ｐゴシック"));
    EXPECT_EQ(form.Memo1->font().pixelSize(), 12);

    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // Frame and title bar included.
    EXPECT_EQ(form.frameGeometry(), QRect(192, 107, 696, 480));
    EXPECT_EQ(form.Memo1->geometry(), QRect(0, 0, 681, 449));
}

TEST(HelpWindow, EveryLineFitsInOneRow) {
    TForm2 form;
    form.show();
    QTextDocument* document = form.Memo1->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        document->documentLayout()->blockBoundingRect(block);  // lays the block out
        EXPECT_EQ(block.layout()->lineCount(), 1) << "line " << block.blockNumber() + 1;
    }
    const QRectF lastRow = document->documentLayout()->blockBoundingRect(document->lastBlock());
    EXPECT_LE(lastRow.bottom(), form.Memo1->viewport()->height()) << "text runs below the memo";
}

TEST(HelpWindow, ClosingOnlyHidesAndKeepsTheEdits) {
    TForm2 form;
    form.show();
    form.Memo1->appendPlainText("edited");
    EXPECT_TRUE(form.close());
    EXPECT_FALSE(form.isVisible());
    form.show();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(MemoLines(form).last(), "edited");
    EXPECT_EQ(MemoLines(form).size(), 18);
}

}  // namespace
