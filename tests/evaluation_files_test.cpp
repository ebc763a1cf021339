// The evaluation window's files: every format it saves, files it must
// refuse without losing what it shows, and files dropped on the windows.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <nlohmann/json.hpp>

#include "evaluation_settings.h"
#include "evaluation_test_support.h"
#include "evaluation_text.h"
#include "file_dialog_driver.h"
#include "memo.h"
#include "message_box_catcher.h"
#include "peak_table.h"
#include "qt_printers.h"

namespace {

class EvaluationFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        file_ = Path("three-levels.txt");
        WriteSyntheticMeasurement(file_);
        session_ = OpenInEvaluation(file_);
        form_ = session_.evaluation;
        ASSERT_TRUE(ClickAndWait(*form_, form_->DetectButton).isEmpty());
        ASSERT_TRUE(ClickAndWait(*form_, form_->FitButton).isEmpty());
    }

    QString Path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }

    DialogSeen Save(const QString& path) {
        DialogUser user;
        user.name = path;
        return PickFile(form_->SaveAction, user);
    }

    QTemporaryDir dir_;
    QString file_;
    EvaluationSession session_;
    TEvaluationForm* form_ = nullptr;
};

QByteArray Bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST_F(EvaluationFiles, EachExtensionSavesItsFormat) {
    for (const char* name : {"fit.txt", "fit.json", "fit.csv", "fit.png"}) {
        EXPECT_TRUE(Save(Path(name)).boxes.isEmpty()) << name;
    }
    EXPECT_TRUE(Bytes(Path("fit.txt")).contains("three-levels.txt"));
    const nlohmann::json json = nlohmann::json::parse(Bytes(Path("fit.json")).toStdString());
    EXPECT_EQ(json.at("peaks").size(), 3u);
    const QList<QByteArray> rows = Bytes(Path("fit.csv")).trimmed().split('\n');
    ASSERT_EQ(rows.size(), 1 + 841);  // the header, then every point
    EXPECT_EQ(rows[1].count(','), rows[0].count(','));
    EXPECT_GE(rows[0].count(','), 3 + 3);  // T, measured, sum, residual and each peak
    const QImage picture(Path("fit.png"));
    EXPECT_GT(picture.width(), 300);
    EXPECT_GT(picture.height(), 200);
}

TEST_F(EvaluationFiles, UnknownExtensionIsRefusedAndWritesNothing) {
    const DialogSeen seen = Save(Path("fit.xyz"));
    ASSERT_EQ(seen.boxes.size(), 1);
    EXPECT_TRUE(seen.boxes.front().contains(QStringLiteral(".xyz")));
    EXPECT_FALSE(QFile::exists(Path("fit.xyz")));
}

TEST_F(EvaluationFiles, RefusedFilesNameFileAndLineAndKeepTheMeasurement) {
    QFile bad(Path("bad-line.txt"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("T I\n100 1e-12\n101 2e-12\n102 abc\n");
    bad.close();
    QFile(Path("empty.txt")).open(QIODevice::WriteOnly);
    ASSERT_EQ(mkfifo(Path("fifo.txt").toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir_.path()).mkdir(QStringLiteral("folder.txt")));
    struct Case {
        const char* name;
        const char* said;  // besides the file's name
    };
    const Case cases[] = {{"bad-line.txt", "行: 4\n理由: 温度と電流の 2 つの数値になっていません"},
                          {"empty.txt", "理由: データ点がありません"},
                          {"fifo.txt", "通常のファイルではありません"},
                          {"folder.txt", "フォルダー"},
                          {"missing.txt", "ファイルがありません"}};
    const QString shown = form_->FileLabel->text();
    const QString table = form_->PeakTable->TabSeparatedText();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const MessageBoxCatcher catcher;
        DropFile(form_->PeakTable, Path(c.name));
        const QStringList boxes = catcher.Texts() + WaitForWork(*form_);
        ASSERT_EQ(boxes.size(), 1);
        EXPECT_TRUE(boxes.front().contains(Path(c.name)));
        EXPECT_TRUE(boxes.front().contains(QString::fromUtf8(c.said)));
        EXPECT_EQ(form_->FileLabel->text(), shown);
        EXPECT_EQ(form_->PeakTable->TabSeparatedText(), table);
    }
    EXPECT_EQ(session_.main->Memo1->Lines.GetStrings(), QStringList{QString()});
}

// Every refusal and every failure is worded in Japanese: an English word
// in the reason means a problem the window has no words for.
TEST(EvaluationTexts, EveryReasonIsSaidInJapanese) {
    using namespace tsc::analysis;
    const QRegularExpression english(QStringLiteral("[a-z]{3}"));
    const auto reason = [](const QString& text) {
        return text.section(QStringLiteral("理由: "), 1);
    };
    for (int k = 0; k <= static_cast<int>(CurveProblem::TooFewPoints); ++k) {
        const QString text = CurveRefusalText(
            QStringLiteral("m.txt"), RefusalOf("m.txt", 2, static_cast<CurveProblem>(k), 3, 2));
        EXPECT_FALSE(reason(text).contains(english)) << text.toStdString();
    }
    for (int k = 1; k <= static_cast<int>(FitProblem::EveryPeakRanAway); ++k) {
        SpectrumFit fit;
        fit.failure = "in English";
        fit.problem = static_cast<FitProblem>(k);
        const QString text = FitFailureText(QStringLiteral("m.txt"), fit);
        EXPECT_FALSE(reason(text).contains(english)) << text.toStdString();
    }
}

TEST_F(EvaluationFiles, FileDroppedOnAMainWindowFieldOpensForEvaluation) {
    const QString other = Path("other.txt");
    WriteSyntheticMeasurement(other);
    QLineEdit* field = session_.main->Edit1;
    const QString before = field->text();
    DropFile(field, other);
    EXPECT_TRUE(WaitForWork(*form_).isEmpty());
    EXPECT_EQ(field->text(), before);
    EXPECT_TRUE(form_->FileLabel->text().contains(QStringLiteral("other.txt")));
    EXPECT_EQ(form_->PeakTable->rowCount(), 0);  // a new measurement starts afresh
}

}  // namespace
