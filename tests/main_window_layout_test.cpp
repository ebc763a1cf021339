// The main window as start-up builds it: every control where the design puts
// it, with its caption, font and tab order; the chart and the menu.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRawFont>
#include <QTest>

#include "chart.h"
#include "font_substitutes.h"
#include "form1_test_support.h"
#include "memo.h"

namespace {

enum class Look { Window, Heading, Results, Unit };

struct ControlLayout {
    const char* name;
    QRect rect;
    const char* caption;  // nullptr: a control without a caption
    Look look;
};

const ControlLayout kControls[] = {
    {"Edit1", {136, 56, 89, 20}, nullptr, Look::Window},
    {"Edit2", {136, 72, 89, 20}, nullptr, Look::Window},
    {"Edit3", {136, 88, 89, 20}, nullptr, Look::Window},
    {"Edit4", {136, 104, 89, 20}, nullptr, Look::Window},
    {"Edit5", {136, 120, 89, 20}, nullptr, Look::Window},
    {"Edit6", {136, 136, 89, 20}, nullptr, Look::Window},
    {"Edit7", {136, 152, 89, 20}, nullptr, Look::Window},
    {"Edit8", {136, 168, 89, 20}, nullptr, Look::Window},
    {"Label1", {16, 56, 119, 12}, "活性化エネルギーＥｔ＝", Look::Window},
    {"Label2", {48, 72, 88, 12}, "脱出周波数νｔ＝", Look::Window},
    {"Label3", {48, 88, 87, 12}, "全トラップ数Ｎｔ＝", Look::Window},
    {"Label4", {40, 104, 98, 12}, "測定開始温度Ｔｏ＝", Look::Window},
    {"Label5", {24, 120, 112, 12}, "測定修了温度Ｔｅｎｄ＝", Look::Window},
    {"Label6", {56, 136, 84, 12}, "温度上昇率β＝", Look::Window},
    {"Label7", {56, 152, 81, 12}, "試料断面積Ｓ＝", Look::Window},
    {"Label8", {72, 168, 66, 12}, "積分間隔a＝", Look::Window},
    {"Label9",
     {16, 32, 294, 13},
     "ＴＳＣ法を用いた表とグラフの作成アプリケーション",
     Look::Heading},
    {"Bevel1", {8, 48, 305, 201}, nullptr, Look::Window},
    {"Bevel2", {8, 24, 305, 25}, nullptr, Look::Window},
    {"Label10", {32, 256, 198, 16}, "測定結果 （上：Ｔ　下：Ｉｔｓｃ）", Look::Results},
    {"Button1", {40, 208, 75, 25}, "計算開始", Look::Window},
    {"Button2", {152, 208, 83, 25}, "計算結果消去", Look::Window},
    {"Memo1", {16, 280, 281, 129}, nullptr, Look::Window},
    {"Chart1", {312, 24, 345, 329}, nullptr, Look::Window},
    {"Label11", {232, 56, 30, 13}, "（eV)", Look::Unit},
    {"Label12", {232, 72, 26, 13}, "(Hz)", Look::Unit},
    {"Label13", {232, 88, 51, 13}, "(cm^-2)", Look::Unit},
    {"Label14", {232, 104, 19, 13}, "(K)", Look::Unit},
    {"Label15", {232, 120, 19, 13}, "(K)", Look::Unit},
    {"Label16", {232, 136, 50, 13}, "(K/min)", Look::Unit},
    {"Label17", {232, 152, 46, 13}, "(mm^2)", Look::Unit},
    {"Label18", {232, 168, 19, 13}, "(K)", Look::Unit},
    {"Bevel3", {0, 0, 681, 1}, nullptr, Look::Window},
    {"Edit9", {448, 360, 145, 20}, nullptr, Look::Window},
    {"Edit10", {448, 392, 145, 20}, nullptr, Look::Window},
    {"Label19", {344, 360, 103, 12}, "ピーク温度Ｔｐｅａｋ＝", Look::Window},
    {"Label20", {352, 392, 99, 12}, "ピーク電流Ｉｐｅａｋ＝", Look::Window},
    {"Label21", {608, 360, 19, 13}, "(K)", Look::Unit},
    {"Label22", {608, 392, 19, 13}, "(A)", Look::Unit},
};

QString Caption(QWidget* control) {
    if (auto* label = qobject_cast<QLabel*>(control)) return label->text();
    if (auto* button = qobject_cast<QAbstractButton*>(control)) return button->text();
    return {};
}

// Every character of the text has a glyph in the face the font resolves to,
// without falling back to other faces.
void ExpectNoMissingGlyphs(const QFont& font, const QString& text) {
    const QRawFont face = QRawFont::fromFont(font);
    for (const char32_t c : text.toUcs4()) {
        EXPECT_TRUE(face.supportsCharacter(c))
            << "U+" << std::hex << static_cast<unsigned>(c) << " in " << text.toStdString();
    }
}

void ExpectFont(const QFont& font, const char* family, int pixels, bool bold) {
    EXPECT_EQ(font.family(), QString::fromUtf8(family));
    EXPECT_EQ(font.pixelSize(), pixels);
    EXPECT_EQ(font.bold(), bold);
}

// The rightmost pixel column, from the field's left edge in device pixels,
// where the field shows ink of its text; the frame is left out.
int RightmostInk(QLineEdit* field) {
    const QImage image = field->grab().toImage();
    const int edge = qCeil(2 * image.devicePixelRatio());
    int rightmost = -1;
    for (int y = edge; y < image.height() - edge; ++y) {
        for (int x = edge; x < image.width() - edge; ++x) {
            if (qGray(image.pixel(x, y)) < 128) rightmost = std::max(rightmost, x);
        }
    }
    return rightmost;
}

// Shows the text from its start, as the commands do, and checks that the
// field shows all of it: the text ends where it ends in a field wide enough
// for any number.
void ExpectWholeTextShown(QLineEdit* field, const QString& text) {
    field->setText(text);
    field->setCursorPosition(0);
    const int shown = RightmostInk(field);
    const QRect designed = field->geometry();
    field->resize(400, designed.height());
    const int whole = RightmostInk(field);
    field->setGeometry(designed);
    EXPECT_EQ(shown, whole) << field->objectName().toStdString() << " cuts off "
                            << text.toStdString();
}

QChar WidestDigit(const QFont& font) {
    const QFontMetricsF metrics(font);
    QChar widest = u'0';
    for (QChar digit = u'1'; digit <= u'9'; digit = QChar(digit.unicode() + 1)) {
        if (metrics.horizontalAdvance(digit) > metrics.horizontalAdvance(widest)) widest = digit;
    }
    return widest;
}

class MainWindowLayout : public ::testing::Test {
  protected:
    void SetUp() override { form_ = ShowFreshForm(); }
    QWidget* Control(const char* name) const {
        return form_->centralWidget()->findChild<QWidget*>(QString::fromLatin1(name));
    }
    std::unique_ptr<TForm1> form_;
};

TEST_F(MainWindowLayout, EveryControlHasItsPositionCaptionAndFont) {
    for (const ControlLayout& expected : kControls) {
        SCOPED_TRACE(expected.name);
        QWidget* control = Control(expected.name);
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(control->parentWidget(), form_->centralWidget());
        EXPECT_EQ(control->geometry(), expected.rect);
        if (expected.caption != nullptr) {
            EXPECT_EQ(Caption(control), QString::fromUtf8(expected.caption));
        }
        const QFont font = control->font();
        switch (expected.look) {
            case Look::Window:
                ExpectFont(font, kWindowFontFamily, 12, false);
                break;
            case Look::Heading:
                ExpectFont(font, kWindowFontFamily, 13, true);
                EXPECT_EQ(control->palette().color(QPalette::WindowText), QColor(Qt::red));
                break;
            case Look::Results:
                ExpectFont(font, kWindowFontFamily, 16, true);
                EXPECT_EQ(control->palette().color(QPalette::WindowText), QColor(Qt::black));
                break;
            case Look::Unit:
                ExpectFont(font, kWindowFontFamily, 13, true);
                break;
        }
        ExpectNoMissingGlyphs(font, Caption(control));
    }
}

// Also run at twice the scale, where the text is drawn with other pixels.
TEST_F(MainWindowLayout, FieldsShowTheWholeNumber) {
    ASSERT_EQ(form_->devicePixelRatioF(), qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble());
    // The longest texts the peak fields get, 20 characters, in the widest digit.
    const QString w(WidestDigit(form_->Edit10->font()));
    const QStringList longestPeaks = {
        "1.26344583984677E-11",  // the sample's peak current
        "9.73531415421521E-14",
        "0.000" + w.repeated(15),                         // fixed notation
        w + "." + w.repeated(14) + "E-" + w.repeated(2),  // scientific
        "-" + w + "." + w.repeated(13) + "E-" + w.repeated(2),
    };
    for (QLineEdit* field : {form_->Edit9, form_->Edit10}) {
        for (const QString& text : longestPeaks) ExpectWholeTextShown(field, text);
    }
    QLineEdit* const parameterFields[] = {form_->Edit1, form_->Edit2, form_->Edit3, form_->Edit4,
                                          form_->Edit5, form_->Edit6, form_->Edit7, form_->Edit8};
    for (QLineEdit* field : parameterFields) {
        for (const char* typed : {"1.23456789e13", "-1.2345678e-13", "0.00012345678"}) {
            ExpectWholeTextShown(field, QString::fromLatin1(typed));
        }
    }
}

TEST_F(MainWindowLayout, WindowFontsAreDrawnInAJapaneseGothicAndTheChartInAMincho) {
    const QStringList gothic = {"IPAPGothic", "Noto Sans CJK JP"};
    const QStringList mincho = {"IPAPMincho", "Noto Serif CJK JP"};
    EXPECT_TRUE(gothic.contains(QFontInfo(form_->Label1->font()).family()))
        << QFontInfo(form_->Label1->font()).family().toStdString();
    EXPECT_TRUE(mincho.contains(QFontInfo(form_->Chart1->chart()->titleFont()).family()))
        << QFontInfo(form_->Chart1->chart()->titleFont()).family().toStdString();
}

TEST_F(MainWindowLayout, ControlsNeedTheClientAreaBelowTheMenuBar) {
    EXPECT_EQ(form_->windowTitle(), "Form1");
    EXPECT_EQ(form_->pos(), QPoint(211, 129));
    EXPECT_EQ(form_->centralWidget()->size(), QSize(681, 412));
    EXPECT_EQ(form_->centralWidget()->y(), form_->MainMenu1->geometry().bottom() + 1);
}

TEST_F(MainWindowLayout, ResizingTheWindowMovesNothing) {
    const QList<QWidget*> controls =
        form_->centralWidget()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    QList<QRect> before;
    for (QWidget* control : controls) before.append(control->geometry());
    for (const QSize size : {QSize(300, 200), QSize(1000, 800)}) {
        form_->resize(size);
        QCoreApplication::processEvents();
        for (qsizetype i = 0; i < controls.size(); ++i) {
            EXPECT_EQ(controls[i]->geometry(), before[i])
                << controls[i]->objectName().toStdString();
        }
    }
}

TEST_F(MainWindowLayout, FocusStartsInEdit1AndTabVisitsTheControlsInOrder) {
    EXPECT_EQ(QApplication::focusWidget(), form_->Edit1);
    const QWidget* const order[] = {form_->Edit2,   form_->Edit3, form_->Edit4,  form_->Edit5,
                                    form_->Edit6,   form_->Edit7, form_->Edit8,  form_->Button1,
                                    form_->Button2, form_->Memo1, form_->Chart1, form_->Edit9,
                                    form_->Edit10,  form_->Edit1};
    for (const QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next)
            << "expected " << next->objectName().toStdString() << ", got "
            << QApplication::focusWidget()->objectName().toStdString();
    }
}

TEST_F(MainWindowLayout, EnterAndEscapeInAFieldDoNothing) {
    TypeParameters(*form_, kSampleTexts);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QTest::keyClick(form_->Edit8, key);
    }
    EXPECT_EQ(form_->Memo1->Lines.GetStrings(), QStringList{""});
    EXPECT_TRUE(form_->isVisible());
    for (QPushButton* button : {form_->Button1, form_->Button2}) {
        EXPECT_FALSE(button->isDefault());
        EXPECT_FALSE(button->autoDefault());
    }
}

TEST_F(MainWindowLayout, ChartHasItsTitleFontsAndOneRedSeriesWithoutMarks) {
    QChart* chart = form_->Chart1->chart();
    EXPECT_EQ(chart->title(),
              QString::fromUtf8("温度Ｔの変化に対する熱刺激放出電流Ｉｔｓｃの変化"));
    ExpectFont(chart->titleFont(), kChartFontFamily, 12, true);
    EXPECT_EQ(chart->titleBrush().color(), QColor(Qt::blue));
    ExpectNoMissingGlyphs(chart->titleFont(), chart->title());
    EXPECT_FALSE(chart->isPlotAreaBackgroundVisible());  // the clear back wall
    for (QAbstractAxis* axis : chart->axes()) {
        ExpectFont(axis->labelsFont(), kChartFontFamily, 12, false);
        EXPECT_TRUE(axis->titleText().isEmpty());
    }
    ASSERT_EQ(chart->series().size(), 1);
    EXPECT_EQ(form_->Chart1->GetSeries(0), form_->Series1);
    EXPECT_EQ(form_->Series1->Curve()->pen().color(), QColor(Qt::red));
    EXPECT_FALSE(form_->Series1->Curve()->pointsVisible());
}

TEST_F(MainWindowLayout, MenuBarHasFileAndHelpWithoutShortcutsOrExit) {
    const auto captions = [](const QList<QAction*>& actions) {
        QStringList texts;
        for (const QAction* action : actions) {
            EXPECT_TRUE(action->shortcuts().isEmpty());
            EXPECT_FALSE(action->text().contains('&'));  // no accelerator letter
            texts.append(action->text());
        }
        return texts;
    };
    EXPECT_EQ(captions(form_->MainMenu1->actions()), (QStringList{"ファイル", "ヘルプ"}));
    // The measurement comes after the results list's two items, set apart.
    EXPECT_EQ(captions(form_->File1->actions()),
              (QStringList{"開く", "保存", "", "測定データを開く..."}));
    EXPECT_TRUE(form_->File1->actions()[2]->isSeparator());
    EXPECT_EQ(captions(form_->Help1->actions()), QStringList{"使い方"});
    EXPECT_EQ(form_->Help1->actions().front(), form_->Tutorial1);
    ExpectNoMissingGlyphs(form_->File1->font(), "ファイル開く保存測定データをヘルプ使い方");
}

}  // namespace
