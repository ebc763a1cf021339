// The evaluation window on a synthetic measurement of three trap levels,
// driven through its real widgets and dialogs: the peaks found and fitted,
// the same fit as tsccurve's, values held, start peaks placed on the chart,
// and a fitted trap sent to the main window's calculation.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <nlohmann/json.hpp>

#include "curve_plot.h"
#include "evaluation_form.h"
#include "evaluation_settings.h"
#include "evaluation_test_support.h"
#include "file_dialog_driver.h"
#include "form1_test_support.h"
#include "memo.h"
#include "methods_panel.h"
#include "number_text.h"
#include "peak_table.h"
#include "qt_printers.h"

namespace {

enum Column { kTm, kIm, kEt, kEtFixed, kVt, kVtFixed, kB, kBFixed, kNt, kNtFixed, kShare };

// The number a cell shows before any "±", and the one after it.
std::pair<double, double> CellNumbers(const TPeakTable& table, int row, int column) {
    const QStringList parts = table.item(row, column)->text().split(QStringLiteral("±"));
    const auto number = [](const QString& text) {
        return StrToFloat(text.section(u'(', 0, 0).trimmed().toStdString());
    };
    return {number(parts.value(0)), parts.size() > 1 ? number(parts[1]) : 0.0};
}

class EvaluationFit : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        file_ = dir_.filePath(QStringLiteral("three-levels.txt"));
        WriteSyntheticMeasurement(file_);
        session_ = OpenInEvaluation(file_);
        ASSERT_TRUE(session_.boxes.isEmpty()) << session_.boxes.join(u'\n').toStdString();
        form_ = session_.evaluation;
    }

    std::vector<double> Detect() {
        EXPECT_TRUE(ClickAndWait(*form_, form_->DetectButton).isEmpty());
        return form_->PeakTable->Markers();
    }

    void Fit() {
        const QStringList boxes = ClickAndWait(*form_, form_->FitButton);
        ASSERT_TRUE(boxes.isEmpty()) << boxes.join(u'\n').toStdString();
    }

    QByteArray SaveAs(const QString& name) {
        DialogUser user;
        user.name = dir_.filePath(name);
        EXPECT_TRUE(PickFile(form_->SaveAction, user).boxes.isEmpty());
        QFile file(user.name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir dir_;
    QString file_;
    EvaluationSession session_;
    TEvaluationForm* form_ = nullptr;
};

TEST_F(EvaluationFit, FindsTheThreeLevelsWithTheMainWindowsHeatingRate) {
    EXPECT_EQ(form_->Settings->Beta->text(), "5");
    EXPECT_EQ(form_->Settings->Area->text(), "1");
    const std::vector<double> markers = Detect();
    ASSERT_EQ(markers.size(), kSyntheticLevels.size());
    for (std::size_t k = 0; k < markers.size(); ++k) {
        EXPECT_NEAR(markers[k], kSyntheticLevels[k].Tm, 3);
    }
    Fit();
    ASSERT_EQ(form_->PeakTable->rowCount(), 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_NEAR(CellNumbers(*form_->PeakTable, k, kEt).first, kSyntheticLevels[k].Et,
                    0.03 * kSyntheticLevels[k].Et);
        EXPECT_NEAR(CellNumbers(*form_->PeakTable, k, kTm).first, kSyntheticLevels[k].Tm, 1);
    }
    EXPECT_TRUE(form_->Statistics->text().contains(QStringLiteral("収束しました")));
}

TEST_F(EvaluationFit, TableAndSavedJsonAreThoseOfTsccurveFit) {
    const std::vector<double> markers = Detect();
    Fit();
    const QByteArray saved = SaveAs(QStringLiteral("fit.json"));

    QStringList temperatures;
    for (const double T : markers) temperatures << QString::number(T, 'f', 1);
    QProcess tsccurve;
    tsccurve.start(QStringLiteral(TSCCURVE), {"fit", file_, "--beta", "5", "--area", "1", "--peaks",
                                              temperatures.join(u','), "--json"});
    ASSERT_TRUE(tsccurve.waitForFinished(60000));
    const QByteArray printed = tsccurve.readAllStandardOutput();
    const QByteArray said = tsccurve.readAllStandardError();
    ASSERT_EQ(tsccurve.exitCode(), 0) << said.toStdString();
    EXPECT_EQ(saved, printed);

    const nlohmann::json fit = nlohmann::json::parse(printed.toStdString());
    const auto& peaks = fit.at("peaks");
    ASSERT_EQ(form_->PeakTable->rowCount(), static_cast<int>(peaks.size()));
    for (int k = 0; k < form_->PeakTable->rowCount(); ++k) {
        SCOPED_TRACE(k);
        const auto& peak = peaks[k];
        const auto expectCell = [&](int column, const char* key, double digits) {
            const auto [value, error] = CellNumbers(*form_->PeakTable, k, column);
            const double json = peak.at(key).at("value").get<double>();
            EXPECT_NEAR(value, json, std::fabs(json) * digits) << key;
            if (peak.at(key).contains("stderr") && peak.at(key).at("stderr").is_number()) {
                const double sigma = peak.at(key).at("stderr").get<double>();
                if (sigma > 0) {
                    EXPECT_NEAR(error, sigma, sigma * 0.05) << key;
                }
            }
        };
        expectCell(kEt, "Et_eV", 1e-5);
        expectCell(kVt, "Vt_Hz", 1e-5);
        expectCell(kNt, "Nt_cm2", 1e-5);
        EXPECT_NEAR(CellNumbers(*form_->PeakTable, k, kTm).first,
                    peak.at("Tm_K").at("value").get<double>(), 0.006);
        EXPECT_NEAR(CellNumbers(*form_->PeakTable, k, kShare).first,
                    100 * peak.at("share").get<double>(), 0.06);
    }
}

TEST_F(EvaluationFit, TypedValueIsHeldInTheNextFit) {
    Detect();
    QTableWidgetItem* energy = form_->PeakTable->item(1, kEt);
    energy->setText(QStringLiteral("0.56"));  // as the editor commits it
    EXPECT_EQ(form_->PeakTable->item(1, kEtFixed)->checkState(), Qt::Checked);
    Fit();
    EXPECT_EQ(form_->PeakTable->item(1, kEt)->text(), "0.56");  // no error: not fitted
    EXPECT_EQ(form_->PeakTable->item(1, kEtFixed)->checkState(), Qt::Checked);
    EXPECT_NE(form_->PeakTable->item(0, kEt)->text().indexOf(QStringLiteral("±")), -1);
}

TEST_F(EvaluationFit, FailedFitSaysWhyInJapaneseAndNamesTheHeldValues) {
    Detect();
    for (int row = 0; row < form_->PeakTable->rowCount(); ++row) {
        form_->PeakTable->item(row, kVt)->setText(QStringLiteral("1e-20"));
    }
    const QStringList boxes = ClickAndWait(*form_, form_->FitButton);
    ASSERT_EQ(boxes.size(), 1);
    const QString why = boxes.front().section(QStringLiteral("理由: "), 1);
    EXPECT_TRUE(boxes.front().startsWith(QStringLiteral("フィットが収束しませんでした")));
    EXPECT_TRUE(why.contains(QStringLiteral("固定した値"))) << why.toStdString();
    EXPECT_FALSE(why.contains(QRegularExpression(QStringLiteral("[a-z]{3}")))) << why.toStdString();
}

TEST_F(EvaluationFit, ChartClicksPlaceAndRemoveStartsAndShiftDragSetsTheRange) {
    TCurvePlot* plot = form_->CurvePlot;
    QTest::mouseClick(plot->viewport(), Qt::LeftButton, {}, plot->PointOfTemperature(200));
    ASSERT_EQ(form_->PeakTable->Markers().size(), 1u);
    EXPECT_NEAR(form_->PeakTable->Markers().front(), 200, 1);
    const QPoint marker = plot->PointOfTemperature(form_->PeakTable->Markers().front());
    QTest::mouseClick(plot->viewport(), Qt::LeftButton, {}, marker);
    EXPECT_TRUE(form_->PeakTable->Markers().empty());

    const QPoint from = plot->PointOfTemperature(180), to = plot->PointOfTemperature(240);
    QTest::mousePress(plot->viewport(), Qt::LeftButton, Qt::ShiftModifier, from);
    QTest::mouseMove(plot->viewport(), (from + to) / 2);
    QTest::mouseMove(plot->viewport(), to);
    QTest::mouseRelease(plot->viewport(), Qt::LeftButton, Qt::ShiftModifier, to);
    EXPECT_NEAR(StrToFloat(form_->Settings->RangeLow->text().toStdString()), 180, 1);
    EXPECT_NEAR(StrToFloat(form_->Settings->RangeHigh->text().toStdString()), 240, 1);
    EXPECT_TRUE(form_->PeakTable->Markers().empty());  // a drag places nothing
}

TEST_F(EvaluationFit, TableCopiesAsTabSeparatedLines) {
    Detect();
    Fit();
    form_->CopyTableAction->trigger();
    const QStringList lines = QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);  // the header and a line per peak
    for (const QString& line : lines) EXPECT_EQ(line.count(u'\t'), lines.front().count(u'\t'));
    EXPECT_NEAR(lines[2].split(u'\t')[3].toDouble(), CellNumbers(*form_->PeakTable, 1, kEt).first,
                1e-5);
}

TEST_F(EvaluationFit, FittedTrapGoesToTheMainWindowsCalculation) {
    Detect();
    Fit();
    TForm1& main = *session_.main;
    main.Edit8->clear();
    form_->PeakTable->selectRow(1);
    EXPECT_TRUE(ClickAndWait(*form_, form_->SendButton).isEmpty());
    const auto field = [](QLineEdit* edit) { return StrToFloat(edit->text().toStdString()); };
    EXPECT_NEAR(field(main.Edit1), CellNumbers(*form_->PeakTable, 1, kEt).first, 1e-6);
    EXPECT_NEAR(field(main.Edit2) / CellNumbers(*form_->PeakTable, 1, kVt).first, 1, 1e-5);
    EXPECT_NEAR(field(main.Edit3) / CellNumbers(*form_->PeakTable, 1, kNt).first, 1, 1e-5);
    EXPECT_EQ(main.Edit4->text(), "120");
    EXPECT_EQ(main.Edit5->text(), "330");
    EXPECT_EQ(main.Edit6->text(), "5");
    EXPECT_EQ(main.Edit7->text(), "1");
    EXPECT_EQ(main.Edit8->text(), "0.2");
    EXPECT_TRUE(Click(main.Button1).isEmpty());
    EXPECT_GT(ListLines(main).size(), 100);
    EXPECT_NEAR(field(main.Edit9), 231, 30);  // the window's own model of that level
}

TEST_F(EvaluationFit, WithoutAnAreaNtAndTheStepStay) {
    Detect();
    Fit();
    TForm1& main = *session_.main;
    main.Edit3->setText(QStringLiteral("1e13"));
    main.Edit8->setText(QStringLiteral("0.5"));
    form_->Settings->Area->clear();
    form_->PeakTable->selectRow(0);
    const QStringList boxes = ClickAndWait(*form_, form_->SendButton);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes.front().contains(QStringLiteral("Nt")));
    EXPECT_EQ(main.Edit3->text(), "1e13");
    EXPECT_EQ(main.Edit8->text(), "0.5");
    EXPECT_NEAR(StrToFloat(main.Edit1->text().toStdString()), 0.42, 0.02);
}

}  // namespace

TEST_F(EvaluationFit, ClassicMethodsOfTheWarmestPeakIncludeTheWholeCurve) {
    form_->Settings->RangeLow->setText(QStringLiteral("250"));
    form_->Settings->RangeHigh->setText(QStringLiteral("330"));
    ASSERT_TRUE(ClickAndWait(*form_, form_->MethodsButton).isEmpty());
    const QTableWidget& table = *form_->MethodsPanel->Table;
    QStringList energies;
    for (int row = 0; row < table.rowCount(); ++row) {
        const QString item = table.item(row, 0)->text();
        if (!item.endsWith(QStringLiteral(" Et"))) continue;
        const QString value = table.item(row, 1)->text();
        if (value == QStringLiteral("—")) {  // refused, with its reason beside, in Japanese
            const QString why = table.item(row, 2)->text();
            EXPECT_TRUE(why.startsWith(QStringLiteral("適用できません: ")) &&
                        !why.contains(QRegularExpression(QStringLiteral("[a-z]{4}"))))
                << why.toStdString();
            continue;
        }
        energies << item;
        const double Et = StrToFloat(value.section(u' ', 0, 0).toStdString());
        EXPECT_NEAR(Et, kSyntheticLevels[2].Et, 0.1 * kSyntheticLevels[2].Et) << item.toStdString();
    }
    EXPECT_TRUE(energies.contains(QStringLiteral("全曲線法 Et")))
        << energies.join(u',').toStdString();
}
