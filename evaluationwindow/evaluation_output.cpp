// The evaluation window's commands that give its results away: saving them
// in the format the file's extension names, the table to the clipboard,
// and a fitted trap to the main window's calculation.
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QStatusBar>

#include "curve_plot.h"
#include "evaluation_form.h"
#include "evaluation_settings.h"
#include "evaluation_text.h"
#include "exception.h"
#include "file_dialog.h"
#include "fit_outcome.h"
#include "number_text.h"
#include "peak_table.h"
#include "residual_plot.h"
#include "result_files.h"

using namespace tsc::analysis;

namespace {

QImage Stacked(const QPixmap& upper, const QPixmap& lower) {
    const qreal ratio = upper.devicePixelRatio();
    QImage image(std::max(upper.width(), lower.width()), upper.height() + lower.height(),
                 QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawPixmap(QPointF(0, 0), upper);
    painter.drawPixmap(QPointF(0, upper.height() / ratio), lower);
    return image;
}

}  // namespace

void TEvaluationForm::SaveClick(QObject* /*sender*/) {
    NeedMeasurement();
    if (!SaveDialog->Execute()) return;
    const QString name = SaveDialog->FileName();
    const std::optional<ResultFormat> format = FormatOfName(name);
    if (!format) {
        throw Exception((Ja("拡張子「.") + QFileInfo(name).suffix() +
                         Ja("」では保存できません。.txt（レポート）、.json、.csv、"
                            ".png（グラフ）のいずれかにしてください。\nファイル: ") +
                         name)
                            .toStdString());
    }
    if (*format == ResultFormat::Picture) {
        WritePicture(name, Stacked(CurvePlot->grab(), ResidualPlot->grab()));
    } else {
        if (!fit_) {
            throw Exception(Ja("保存するフィットの結果がありません。先に「フィット」を"
                               "実行してください（グラフだけなら .png で保存できます）。")
                                .toStdString());
        }
        WriteWhole(name, ResultBytes(*fit_, *format));
    }
    statusBar()->showMessage(Ja("保存しました: ") + name, 5000);
}

void TEvaluationForm::CopyTableClick(QObject* /*sender*/) {
    if (PeakTable->rowCount() == 0) {
        throw Exception(Ja("コピーする表がありません。").toStdString());
    }
    QGuiApplication::clipboard()->setText(PeakTable->TabSeparatedText());
    statusBar()->showMessage(Ja("表をコピーしました（タブ区切り）。"), 5000);
}

void TEvaluationForm::SendClick(QObject* /*sender*/) {
    if (!fit_)
        throw Exception(
            Ja("反映するフィットの結果がありません。先に「フィット」を実行してください。")
                .toStdString());
    const FittedPeak* peak = PeakTable->SelectedPeak();
    if (peak == nullptr) {
        throw Exception(
            Ja("表で、メインウィンドウに反映するフィット済みのピークの行を選んでください。")
                .toStdString());
    }
    if (peak->verdict == PeakVerdict::RanAway) {
        throw Exception(Ja("このピークは発散したため値がありません。別のピークを選んでください。")
                            .toStdString());
    }
    if (!link_.writeParameters) return;
    const FitDescription& d = fit_->description;
    // Nt is the charge over the area the settings give now (the table shows
    // the same); without one, Nt stays as it was.
    const std::optional<double> area = Settings->GivenArea();
    const std::pair<double, double> range =
        d.range ? *d.range : std::pair{fit_->fit.T.front(), fit_->fit.T.back()};
    const auto text = [](double value) { return QString::fromStdString(FloatToStr(value)); };
    const QString texts[7] = {text(peak->Et.value),
                              text(peak->Vt.value),
                              area ? text(DensityOfCharge(peak->charge.value, *area)) : QString(),
                              text(range.first),
                              text(range.second),
                              text(d.beta.kPerMin),
                              area ? text(*area) : QString()};
    link_.writeParameters(texts);
    QStringList remarks;
    if (!area) {
        remarks << Ja(
            "試料断面積 S が入力されていないため、Nt は書き込んでいません"
            "（電荷から Nt を求めるには S が必要です）。");
    }
    if (d.kinetics != Kinetics::First) {
        remarks << Ja("メインウィンドウの計算は一次反応のモデルです。");
    }
    statusBar()->showMessage(
        Ja("メインウィンドウに反映しました。「計算開始」でこのトラップの曲線を計算できます。"),
        8000);
    if (!remarks.isEmpty()) {
        QMessageBox::information(this, windowTitle(),
                                 Ja("メインウィンドウに反映しました。\n") + remarks.join(u'\n'));
    }
}
