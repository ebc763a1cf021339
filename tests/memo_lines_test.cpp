// The results list's lines over the text field: the same count, lines and
// appending whether the text came from the commands, typing or a file.
#include <gtest/gtest.h>

#include <QTest>
#include <ostream>

#include "exception.h"
#include "memo.h"
#include "update_scope.h"

namespace {

struct LinesCase {
    const char* name;
    QString text;         // the field's text to start from
    QStringList lines;    // the lines it holds
    QString afterAdding;  // the text after adding the lines "x" and "" to it
};

void PrintTo(const LinesCase& value, std::ostream* out) { *out << value.name; }

class MemoLinesOverText : public ::testing::TestWithParam<LinesCase> {
  protected:
    TMemo memo_{nullptr};
};

INSTANTIATE_TEST_SUITE_P(
    Memo, MemoLinesOverText,
    ::testing::Values(LinesCase{"Empty", "", {}, "x\n\n"},
                      LinesCase{"OneEmptyLine", "\n", {""}, "\nx\n\n"},
                      LinesCase{"EndedLines", "a\nb\n", {"a", "b"}, "a\nb\nx\n\n"},
                      LinesCase{"LastLineNotEnded", "a\nb", {"a", "b"}, "a\nb\nx\n\n"},
                      LinesCase{"TwoLineEnds", "\n\n", {"", ""}, "\n\nx\n\n"},
                      LinesCase{"Blanks", " ", {" "}, " \nx\n\n"},
                      LinesCase{"Japanese", "測定\n結果", {"測定", "結果"}, "測定\n結果\nx\n\n"},
                      // A typed line separator already ends the line.
                      LinesCase{"TypedLineSeparator", "a\u2028", {"a"}, "a\nx\n\n"},
                      LinesCase{"NonBreakingSpace", "1\u00A0K\n", {"1\u00A0K"}, "1 K\nx\n\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(MemoLinesOverText, CountsReadsAndAppends) {
    memo_.setPlainText(GetParam().text);
    EXPECT_EQ(memo_.Lines.Count(), GetParam().lines.size());
    EXPECT_EQ(memo_.Lines.GetStrings(), GetParam().lines);
    for (int i = 0; i < memo_.Lines.Count(); ++i) {
        EXPECT_EQ(memo_.Lines.Strings(i), GetParam().lines[i]);
    }
    memo_.Lines.Add("x");
    memo_.Lines.Add("");
    EXPECT_EQ(memo_.toPlainText(), GetParam().afterAdding);
    EXPECT_EQ(memo_.Lines.Count(), GetParam().lines.size() + 2);
}

TEST_P(MemoLinesOverText, AppendsTheSameDuringAnUpdate) {
    memo_.setPlainText(GetParam().text);
    {
        const TUpdateScope update(memo_.Lines);
        memo_.Lines.Add("x");
        memo_.Lines.Add("");
        // The lines are there for the commands at once, the field gets them
        // when the update ends.
        EXPECT_EQ(memo_.Lines.Count(), GetParam().lines.size() + 2);
        EXPECT_EQ(memo_.Lines.Strings(memo_.Lines.Count() - 2), "x");
        EXPECT_EQ(memo_.toPlainText(),
                  QString(GetParam().text).replace(u'\u00A0', u' ').replace(u'\u2028', u'\n'));
    }
    EXPECT_EQ(memo_.toPlainText(), GetParam().afterAdding);
}

TEST_P(MemoLinesOverText, ClearLeavesNoLines) {
    memo_.setPlainText(GetParam().text);
    memo_.Lines.Clear();
    EXPECT_EQ(memo_.Lines.Count(), 0);
    EXPECT_EQ(memo_.toPlainText(), "");
}

TEST_P(MemoLinesOverText, SetStringsGivesBackTheSameLines) {
    memo_.Lines.SetStrings(GetParam().lines);
    EXPECT_EQ(memo_.Lines.GetStrings(), GetParam().lines);
    // Set lines are each ended, like appended ones.
    EXPECT_TRUE(GetParam().lines.isEmpty() ? memo_.toPlainText().isEmpty()
                                           : memo_.toPlainText().endsWith('\n'));
}

TEST(MemoLines, TypedTextCountsAsLinesAndIsEndedBeforeAnAppend) {
    TMemo memo(nullptr);
    QTest::keyClicks(&memo, "abc");
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClicks(&memo, "de");
    QTest::keyClick(&memo, Qt::Key_Return, Qt::ShiftModifier);  // a line break within the block
    QTest::keyClicks(&memo, "f");
    EXPECT_EQ(memo.Lines.GetStrings(), (QStringList{"abc", "de", "f"}));

    memo.Lines.Add("200");
    EXPECT_EQ(memo.Lines.GetStrings(), (QStringList{"abc", "de", "f", "200"}));

    // A line end typed after the appended line starts one more, empty line.
    QTest::keyClick(&memo, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(&memo, Qt::Key_Return);
    EXPECT_EQ(memo.Lines.GetStrings(), (QStringList{"abc", "de", "f", "200", ""}));
}

TEST(MemoLines, ManyLinesReachTheFieldInOneUndoStep) {
    TMemo memo(nullptr);
    memo.Lines.SetStrings({""});
    {
        const TUpdateScope update(memo.Lines);
        for (int i = 0; i < 3000; ++i) memo.Lines.Add(QString::number(i));
    }
    EXPECT_EQ(memo.Lines.Count(), 3001);
    memo.undo();
    EXPECT_EQ(memo.toPlainText(), "\n");
}

}  // namespace
