// The evaluation window's commands that read and evaluate: opening a
// measurement, the peak search, the fit and the classic methods, each run
// off the UI thread; and what the window shows of their results.
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QTabWidget>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "background_work.h"
#include "curve_plot.h"
#include "deconvolution.h"
#include "evaluation_form.h"
#include "evaluation_settings.h"
#include "evaluation_text.h"
#include "exception.h"
#include "file_dialog.h"
#include "fit_outcome.h"
#include "measured_curve.h"
#include "measurement.h"
#include "methods_panel.h"
#include "peak_search.h"
#include "peak_table.h"
#include "physical_constants.h"
#include "remaining_charge.h"
#include "residual_plot.h"

using namespace tsc::analysis;

namespace {

using Range = std::optional<std::pair<double, double>>;

// The measurement's points within the range, or all of them. The range's
// copy is kept in `within`.
const MeasuredCurve& PointsWithin(const Measurement& m, const Range& range, MeasuredCurve& within) {
    if (!range) return m.curve;
    within = WithinRange(m.curve, range->first, range->second);
    within.reordered = m.curve.reordered;
    return within;
}

// Only a regular file is read: a FIFO or a device would keep the reader
// waiting for data that may never come.
void CheckReadable(const QString& fileName, const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    QString reason;
    if (error || !std::filesystem::exists(status)) {
        reason = Ja("ファイルがありません");
    } else if (std::filesystem::is_directory(status)) {
        reason = Ja("フォルダーは開けません");
    } else if (!std::filesystem::is_regular_file(status)) {
        reason = Ja("通常のファイルではありません（FIFO、デバイスなど）");
    }
    if (reason.isEmpty()) return;
    throw Exception(
        (Ja("測定データを読み込めませんでした。\nファイル: ") + fileName + Ja("\n理由: ") + reason)
            .toStdString());
}

struct FitWork {
    std::shared_ptr<const FitOutcome> outcome;
    std::optional<CurveRefusal> refusal;
};

}  // namespace

void TEvaluationForm::OpenClick(QObject* /*sender*/) {
    if (OpenDialog->Execute()) OpenMeasurement(OpenDialog->FileName());
}

void TEvaluationForm::OpenMeasurement(const QString& fileName) {
    const std::string path = QFile::encodeName(fileName).toStdString();
    CheckReadable(fileName, path);
    show();
    raise();
    activateWindow();
    statusBar()->showMessage(Ja("読み込み中: ") + fileName);
    work_->Start(
        [path](const std::atomic<bool>&) {
            auto measurement = std::make_shared<Measurement>();
            CurveReading reading = ReadMeasuredCurve(path, false);
            if (auto* curve = std::get_if<MeasuredCurve>(&reading)) {
                measurement->curve = std::move(*curve);
                return std::pair{std::shared_ptr<const Measurement>(std::move(measurement)),
                                 std::optional<CurveRefusal>()};
            }
            return std::pair{std::shared_ptr<const Measurement>(),
                             std::optional(std::get<CurveRefusal>(reading))};
        },
        [this, fileName,
         path](std::pair<std::shared_ptr<const Measurement>, std::optional<CurveRefusal>>&& read) {
            statusBar()->clearMessage();
            if (read.second)
                throw Exception(CurveRefusalText(fileName, *read.second).toStdString());
            if (read.first->curve.T.empty()) {
                throw Exception(
                    CurveRefusalText(fileName, RefusalOf(path, 0, CurveProblem::NoPoints))
                        .toStdString());
            }
            auto measurement = std::const_pointer_cast<Measurement>(read.first);
            measurement->fileName = fileName;
            measurement->path = path;
            ShowMeasurement(measurement);
        });
}

void TEvaluationForm::TakeMainSettings() {
    if (link_.betaText) Settings->TakeBeta(link_.betaText());
    if (link_.areaText) Settings->TakeArea(link_.areaText());
    PeakTable->SetArea(Settings->GivenArea());
}

const Measurement& TEvaluationForm::NeedMeasurement() const {
    if (!measurement_) throw Exception(Ja("先に測定データを開いてください。").toStdString());
    return *measurement_;
}

QString TEvaluationForm::ShownName() const {
    return measurement_ ? measurement_->fileName : QString();
}

void TEvaluationForm::ShowMeasurement(std::shared_ptr<const Measurement> measurement) {
    measurement_ = std::move(measurement);
    fit_.reset();
    CurvePlot->SetMeasurement(
        measurement_ ? std::shared_ptr<const MeasuredCurve>(measurement_, &measurement_->curve)
                     : nullptr);
    ResidualPlot->SetFit(nullptr, CurvePlot->Unit());
    PeakTable->Clear();
    PeakTable->SetArea(Settings->GivenArea());
    PeakTable->SetKinetics(Settings->ChosenKinetics());
    MethodsPanel->Clear();
    Statistics->clear();
    Tabs->setCurrentIndex(0);
    if (!measurement_) {
        FileLabel->setText(
            Ja("測定データが開かれていません。「ファイル」→「測定データを開く...」"
               "か、ファイルをこのウィンドウにドロップしてください。"));
        return;
    }
    const MeasuredCurve& c = measurement_->curve;
    Settings->ShowWholeRange(c.T.front(), c.T.back());
    QString about = Ja("ファイル: ") + QFileInfo(measurement_->fileName).fileName() + Ja("\n") +
                    QString::number(c.T.size()) + Ja(" 点, ") +
                    QString::number(c.T.front(), 'f', 1) + Ja(" 〜 ") +
                    QString::number(c.T.back(), 'f', 1) + Ja(" K");
    if (c.reordered > 0) {
        about += Ja("\n温度順に並べ替えた点: ") + QString::number(c.reordered);
    }
    FileLabel->setText(about);
    FileLabel->setToolTip(measurement_->fileName);
    ShowMarkers();
    ShowRange();
    statusBar()->showMessage(Ja("読み込みました: ") + measurement_->fileName, 5000);
}

void TEvaluationForm::ShowMarkers() {
    CurvePlot->SetMarkers(PeakTable->Markers());
    Settings->ShowStartCount(static_cast<int>(PeakTable->Markers(Settings->Range()).size()));
}

void TEvaluationForm::ShowRange() {
    CurvePlot->SetRange(Settings->Range());
    ShowMarkers();
}

void TEvaluationForm::DetectClick(QObject* /*sender*/) {
    auto measurement = measurement_;
    NeedMeasurement();
    const Range range = Settings->ReadRange();
    statusBar()->showMessage(Ja("ピークを検出しています…"));
    work_->Start(
        [measurement, range](const std::atomic<bool>&) {
            MeasuredCurve within;
            const MeasuredCurve& curve = PointsWithin(*measurement, range, within);
            return SearchPeaks(curve.T, curve.I);
        },
        [this](PeakSearch&& search) {
            statusBar()->clearMessage();
            std::vector<double> starts;
            for (const PeakCandidate& c : search.candidates) {
                const double T = StartTemperature(c.Tm);
                if (starts.empty() || starts.back() != T) starts.push_back(T);
            }
            if (starts.empty()) {
                throw Exception(Ja("温度範囲にピークが見つかりませんでした。"
                                   "曲線をクリックして開始ピークを置くこともできます。")
                                    .toStdString());
            }
            PeakTable->SetStarts(starts);
            ShowMarkers();
            statusBar()->showMessage(QString::number(starts.size()) +
                                     Ja(" 個のピークを検出しました。"));
        });
}

void TEvaluationForm::FitClick(QObject* /*sender*/) {
    auto measurement = measurement_;
    NeedMeasurement();
    const EvaluationSettings s = Settings->Read();
    DeconvolutionRequest request;
    request.betaPerSecond = s.betaKPerMin / kSecondsPerMinute;
    request.kinetics = s.kinetics;
    request.background = s.background;
    const std::vector<double> markers = PeakTable->Markers(s.range);
    if (!markers.empty()) {
        // The user's start peaks, or those the search found.
        request.peaks = {PeakCount::AtTemperatures, static_cast<int>(markers.size()), markers};
        request.fixed = PeakTable->HeldValues(s.range);
    } else if (!s.peaks) {
        request.peaks.count = PeakCount::Automatic;
    } else {
        request.peaks = {*s.peaks == 1 ? PeakCount::One : PeakCount::Number, *s.peaks, {}};
    }
    FitDescription description;
    description.file = measurement->path;
    description.beta = {s.betaKPerMin, false};
    description.areaMm2 = s.areaMm2;
    description.kinetics = s.kinetics;
    description.background = s.background;
    description.reorderedPoints = measurement->curve.reordered;
    description.range = s.range;

    statusBar()->showMessage(Ja("フィットしています…"));
    work_->Start(
        [measurement, request, description, markers](const std::atomic<bool>& cancel) {
            FitWork done;
            MeasuredCurve within;
            const MeasuredCurve& curve = PointsWithin(*measurement, description.range, within);
            const int peaks =
                request.peaks.count == PeakCount::Automatic ? 1 : request.peaks.number;
            const auto values = static_cast<std::size_t>(FreeValueCount(request, peaks));
            if (auto refusal = CheckEnoughPoints(curve, values, measurement->path)) {
                done.refusal = std::move(refusal);
                return done;
            }
            DeconvolutionRequest engine = request;
            engine.cancel = &cancel;
            auto outcome = std::make_shared<FitOutcome>();
            outcome->fit = Deconvolve(curve.T, curve.I, engine);
            outcome->description = description;
            outcome->starts = markers;
            const SpectrumFit& fit = outcome->fit;
            if (fit.T.size() == curve.T.size() && fit.fitted.size() == curve.T.size()) {
                outcome->measured = curve.I;
                outcome->residual.resize(curve.I.size());
                for (std::size_t i = 0; i < curve.I.size(); ++i) {
                    outcome->residual[i] = curve.I[i] - fit.fitted[i];
                }
            }
            done.outcome = std::move(outcome);
            return done;
        },
        [this](FitWork&& done) {
            statusBar()->clearMessage();
            if (done.refusal) {
                throw Exception(
                    (CurveRefusalText(ShownName(), *done.refusal) +
                     Ja("\n（温度範囲を広げるか、ピーク数や固定する値を見直してください）"))
                        .toStdString());
            }
            const SpectrumFit& fit = done.outcome->fit;
            if (fit.cancelled) {
                statusBar()->showMessage(Ja("フィットを中止しました。表示は前のままです。"));
                return;
            }
            if (!fit.converged) {
                // No values, only why; the window keeps the result it had.
                statusBar()->showMessage(
                    Ja("最後のフィットは収束しませんでした。表示は前の結果のままです。"));
                throw Exception(FitFailureText(ShownName(), fit).toStdString());
            }
            ShowFit(done.outcome);
        });
}

void TEvaluationForm::ShowFit(std::shared_ptr<const FitOutcome> outcome) {
    fit_ = std::move(outcome);
    CurvePlot->SetFit(fit_);
    ResidualPlot->SetFit(fit_, CurvePlot->Unit());
    PeakTable->ShowFit(fit_);
    ShowMarkers();
    QString notes;
    for (const std::string& note : fit_->fit.notes) notes += QString::fromStdString(note) + u'\n';
    Statistics->setText(FitStatisticsText(fit_->fit));
    Statistics->setToolTip(notes.trimmed());
    Tabs->setCurrentIndex(0);
    statusBar()->showMessage(
        QString::number(fit_->fit.peaks.size()) + Ja(" 個のピークでフィットしました。"), 5000);
}

void TEvaluationForm::MethodsClick(QObject* /*sender*/) {
    auto measurement = measurement_;
    NeedMeasurement();
    const EvaluationSettings s = Settings->Read();
    statusBar()->showMessage(Ja("古典的手法で評価しています…"));
    work_->Start(
        [measurement, s](const std::atomic<bool>&) {
            auto outcome = std::make_shared<MethodsOutcome>();
            MeasuredCurve within;
            const MeasuredCurve& curve = PointsWithin(*measurement, s.range, within);
            outcome->methods = EvaluateCurve(curve.T, curve.I, s.betaKPerMin);
            outcome->T = curve.T;
            outcome->I = curve.I;
            outcome->integralToEnd = IntegralToEnd(curve.T, curve.I);
            outcome->betaKPerMin = s.betaKPerMin;
            return std::shared_ptr<const MethodsOutcome>(std::move(outcome));
        },
        [this](std::shared_ptr<const MethodsOutcome>&& outcome) {
            statusBar()->clearMessage();
            MethodsPanel->Show(outcome);
            Tabs->setCurrentWidget(MethodsPanel);
        });
}

void TEvaluationForm::ClearMarkersClick(QObject* /*sender*/) {
    PeakTable->SetStarts({});
    ShowMarkers();
}

void TEvaluationForm::CancelClick(QObject* /*sender*/) {
    if (!work_->Busy()) return;
    work_->Cancel();
    statusBar()->showMessage(Ja("中止しました。表示は前のままです。"), 5000);
}
