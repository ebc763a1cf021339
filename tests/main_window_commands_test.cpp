// Calculate and Clear on a real main window, through clicks on its buttons.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <ostream>

#include "chart.h"
#include "form1_test_support.h"
#include "memo.h"
#include "number_text.h"
#include "qt_printers.h"
#include "refusal_message.h"

namespace {

bool AscendingX(const TFastLineSeries& series) {
    const QList<QPointF>& points = series.Points();
    return std::is_sorted(points.begin(), points.end(),
                          [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
}

// Lines of one calculation's first row onwards start at `first`; the rows
// are three lines each: temperature, current, empty.
void ExpectSampleBlock(const QStringList& lines, int first) {
    ASSERT_GE(lines.size(), first + 3003);
    EXPECT_EQ(lines[first], "200");
    EXPECT_EQ(lines[first + 1], "1.10697111127504E-20");
    EXPECT_EQ(lines[first + 2], "");
    EXPECT_EQ(lines[first + 3], "200.2");
    EXPECT_EQ(lines[first + 44 * 3], "208.799999999999");  // the 45th temperature
    EXPECT_EQ(lines[first + 1000 * 3], "399.999999999989");
    EXPECT_EQ(lines[first + 3002], "");
}

TEST(CalculateCommand, SampleOnAFreshWindowGivesThePublishedPeakListAndCurve) {
    auto form = ShowFreshForm();
    TypeParameters(*form, kSampleTexts);

    EXPECT_TRUE(Click(form->Button1).isEmpty());

    EXPECT_EQ(form->Edit9->text(), kSamplePeakT);
    EXPECT_EQ(form->Edit10->text(), kSamplePeakI);
    const QStringList lines = ListLines(*form);
    ASSERT_EQ(lines.size(), 3004);
    EXPECT_EQ(lines[0], "");  // the line the window starts with
    ExpectSampleBlock(lines, 1);
    // Every line the command appends is ended, the last one too.
    const QString lastRow =
        "399.999999999989\n" + QString::fromStdString(FloatToStr(form->State.Itsc)) + "\n\n";
    EXPECT_TRUE(form->Memo1->toPlainText().endsWith(lastRow));

    ASSERT_EQ(form->Series1->Count(), 1001);
    EXPECT_TRUE(AscendingX(*form->Series1));
    EXPECT_EQ(form->Series1->Points()[0], QPointF(200, 1.10697111127504e-20));
    EXPECT_EQ(form->Chart1->GetSeries(0), form->Series1);
    // The parameter fields keep what was typed.
    EXPECT_EQ(form->Edit8->text(), "0.2");
}

struct RejectedInput {
    const char* name;
    ParameterTexts texts;
    const char* message;  // the message box shows exactly this
};

void PrintTo(const RejectedInput& value, std::ostream* out) { *out << value.name; }

class CalculateRejects : public ::testing::TestWithParam<RejectedInput> {};

// Each is refused before anything is calculated: nothing is appended, the
// peak fields keep their texts, and the window carries on.
INSTANTIATE_TEST_SUITE_P(
    MainWindow, CalculateRejects,
    ::testing::Values(RejectedInput{"FreshWindowStopsAtEdit1",
                                    {"", "", "", "", "", "", "", ""},
                                    "'' は正しい浮動小数点数ではありません。"},
                      RejectedInput{"EmptyEdit8",
                                    {"0.8", "1e8", "1e13", "200", "400", "2", "1", ""},
                                    "'' は正しい浮動小数点数ではありません。"},
                      RejectedInput{"ZeroStep",
                                    {"0.8", "1e8", "1e13", "200", "400", "2", "1", "0"},
                                    "積分間隔a は 0 より大きい値にしてください。"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(CalculateRejects, WithItsMessageAppendingNothing) {
    auto form = ShowFreshForm();
    form->Edit9->setText("earlier T");
    form->Edit10->setText("earlier I");
    TypeParameters(*form, GetParam().texts);

    const QStringList messages = Click(form->Button1);

    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages.front(), QString::fromUtf8(GetParam().message));
    EXPECT_EQ(ListLines(*form), QStringList{""});
    EXPECT_EQ(form->Series1->Count(), 0);
    EXPECT_EQ(form->Edit9->text(), "earlier T");
    EXPECT_EQ(form->Edit10->text(), "earlier I");

    // Still usable: the sample now runs in full.
    TypeParameters(*form, kSampleTexts);
    EXPECT_TRUE(Click(form->Button1).isEmpty());
    EXPECT_EQ(form->Edit9->text(), kSamplePeakT);
    EXPECT_EQ(ListLines(*form).size(), 3004);
}

TEST(CalculateCommand, RefusalsNameTheParametersAsTheirLabels) {
    EXPECT_EQ(RefusalMessage({RefusalKind::NotFinite, Parameter::Et}),
              "活性化エネルギーＥｔ の値が数として大きすぎるか、有限ではありません。");
    EXPECT_EQ(RefusalMessage({RefusalKind::Negative, Parameter::S}),
              "試料断面積Ｓ は 0 以上の値にしてください。");
    EXPECT_EQ(RefusalMessage({RefusalKind::StepTooSmall, Parameter::a}),
              "積分間隔a が測定開始温度Ｔｏ に比べて小さすぎ、温度が進みません。");
    EXPECT_EQ(RefusalMessage({RefusalKind::TooManySteps, Parameter::a, 50000}),
              "温度の刻みが多すぎます (上限 50000 ステップ)。"
              "積分間隔a を大きくするか、温度範囲を狭めてください。");
}

TEST(CalculateCommand, StoresTheFieldsReadBeforeARejectedOne) {
    auto form = ShowFreshForm();
    TypeParameters(*form, {"0.8", "1e8", "1e13", "200", "x", "2", "1", "0.2"});
    ASSERT_EQ(Click(form->Button1).size(), 1);
    EXPECT_EQ(form->State.Et, 0.8);  // as entered, not yet converted to J
    EXPECT_EQ(form->State.Vt, 1e8);
    EXPECT_EQ(form->State.Nt, 1e13);
    EXPECT_EQ(form->State.To, 200.0);
    EXPECT_EQ(form->State.Tend, 0.0);
    EXPECT_EQ(form->State.Beta, 0.0);
}

TEST(CalculateCommand, EndBelowStartAppendsNothingAndKeepsThePeakFields) {
    auto form = ShowFreshForm();
    TypeParameters(*form, kSampleTexts);
    ASSERT_TRUE(Click(form->Button1).isEmpty());

    TypeParameters(*form, {"0.8", "1e8", "1e13", "400", "200", "2", "1", "0.2"});
    EXPECT_TRUE(Click(form->Button1).isEmpty());

    EXPECT_EQ(ListLines(*form).size(), 3004);
    EXPECT_EQ(form->Series1->Count(), 1001);
    EXPECT_EQ(form->Edit9->text(), kSamplePeakT);
    EXPECT_EQ(form->Edit10->text(), kSamplePeakI);
}

TEST(CalculateCommand, TwiceWithoutClearAppendsASecondBlockWithTheSmallerPeak) {
    auto form = ShowFreshForm();
    TypeParameters(*form, kSampleTexts);
    ASSERT_TRUE(Click(form->Button1).isEmpty());
    ASSERT_TRUE(Click(form->Button1).isEmpty());

    const QStringList lines = ListLines(*form);
    ASSERT_EQ(lines.size(), 6007);
    ExpectSampleBlock(lines, 1);
    EXPECT_EQ(lines[3004], "200");
    EXPECT_EQ(form->Edit9->text(), kSamplePeakT);
    EXPECT_NEAR(StrToFloat(form->Edit10->text().toStdString()), 9.7353e-14, 0.0001e-14);
    // The second run's points fall in among the first run's, by temperature.
    ASSERT_EQ(form->Series1->Count(), 2002);
    EXPECT_TRUE(AscendingX(*form->Series1));
    EXPECT_EQ(form->Series1->Points()[0].x(), 200.0);
    EXPECT_EQ(form->Series1->Points()[1].x(), 200.0);
    EXPECT_GT(form->Series1->Points()[0].y(), form->Series1->Points()[1].y());  // earlier run first
}

TEST(ClearCommand, OnAFreshWindowLeavesNoLinesSoTheSampleGives3003) {
    auto form = ShowFreshForm();
    EXPECT_TRUE(Click(form->Button2).isEmpty());
    EXPECT_EQ(form->Memo1->Lines.Count(), 0);
    EXPECT_EQ(form->Memo1->toPlainText(), "");

    TypeParameters(*form, kSampleTexts);
    ASSERT_TRUE(Click(form->Button1).isEmpty());
    const QStringList lines = ListLines(*form);
    ASSERT_EQ(lines.size(), 3003);
    ExpectSampleBlock(lines, 0);
}

TEST(ClearCommand, EmptiesTheResultsSoTheNextRunRepeatsTheFirst) {
    auto form = ShowFreshForm();
    TypeParameters(*form, kSampleTexts);
    ASSERT_TRUE(Click(form->Button1).isEmpty());

    EXPECT_TRUE(Click(form->Button2).isEmpty());
    EXPECT_EQ(form->Memo1->Lines.Count(), 0);
    EXPECT_EQ(form->Series1->Count(), 0);
    EXPECT_EQ(form->Edit9->text(), "");
    EXPECT_EQ(form->Edit10->text(), "");
    EXPECT_EQ(form->State.Sum, 0.0);
    EXPECT_EQ(form->Edit1->text(), "0.8");  // the parameters stay
    EXPECT_EQ(form->Edit8->text(), "0.2");

    ASSERT_TRUE(Click(form->Button1).isEmpty());
    EXPECT_EQ(form->Edit9->text(), kSamplePeakT);
    EXPECT_EQ(form->Edit10->text(), kSamplePeakI);
    EXPECT_EQ(ListLines(*form).size(), 3003);
    EXPECT_EQ(form->Series1->Count(), 1001);
}

TEST(CalculateCommand, AppendsAfterWhatTheUserTypedIntoTheList) {
    auto form = ShowFreshForm();
    ASSERT_TRUE(Click(form->Button2).isEmpty());
    QTest::keyClicks(form->Memo1, "note");  // no line end typed
    TypeParameters(*form, {"0.8", "1e8", "1e13", "200", "200.2", "2", "1", "0.2"});

    ASSERT_TRUE(Click(form->Button1).isEmpty());

    EXPECT_EQ(ListLines(*form),
              (QStringList{"note", "200", "1.10697111127504E-20", "", "200.2",
                           QString::fromStdString(FloatToStr(form->State.Itsc)), ""}));
}

}  // namespace
