// The evaluation window's layout: the settings and commands on the left,
// the charts (or the classic methods) on the right, the peak table with
// the fit's statistics below, the menus and the status bar.
#include "evaluation_form.h"

#include <QAction>
#include <QChart>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cmath>

#include "background_work.h"
#include "command_wiring.h"
#include "curve_plot.h"
#include "evaluation_settings.h"
#include "evaluation_text.h"
#include "file_dialog.h"
#include "file_drop.h"
#include "font_substitutes.h"
#include "measurement.h"
#include "methods_panel.h"
#include "peak_table.h"
#include "residual_plot.h"

using tsc::analysis::MeasuredCurve;

namespace {

constexpr QSize kStartSize(1000, 700);

QPushButton* CommandButton(const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    return button;
}

}  // namespace

TEvaluationForm::TEvaluationForm(TCalculationLink link, QWidget* parent)
    : QMainWindow(parent), link_(std::move(link)) {
    setObjectName(QStringLiteral("EvaluationForm"));
    setWindowTitle(Ja("測定データの評価"));
    setFont(DesignFont(kWindowFontFamily, kWindowFontHeight));
    // The main window alone ends the program when closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    work_ = new TBackgroundWork(this);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    auto* top = new QWidget(splitter);
    auto* topLayout = new QHBoxLayout(top);
    topLayout->setContentsMargins(6, 6, 6, 0);
    topLayout->addWidget(CreateCommandPanel());
    Tabs = new QTabWidget(top);
    Tabs->addTab(CreateFitPage(), Ja("フィット"));
    MethodsPanel = new TMethodsPanel(Tabs);
    Tabs->addTab(MethodsPanel, Ja("古典的手法"));
    topLayout->addWidget(Tabs, 1);

    auto* bottom = new QWidget(splitter);
    auto* bottomLayout = new QVBoxLayout(bottom);
    bottomLayout->setContentsMargins(6, 0, 6, 4);
    PeakTable = new TPeakTable(bottom);
    PeakTable->setObjectName(QStringLiteral("PeakTable"));
    Statistics = new QLabel(bottom);
    Statistics->setObjectName(QStringLiteral("Statistics"));
    Statistics->setWordWrap(true);
    Statistics->setTextInteractionFlags(Qt::TextSelectableByMouse);
    bottomLayout->addWidget(PeakTable, 1);
    bottomLayout->addWidget(Statistics);
    splitter->addWidget(top);
    splitter->addWidget(bottom);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({470, 170});
    setCentralWidget(splitter);

    OpenDialog = new TOpenDialog(this);
    OpenDialog->SetFilter(MeasurementFilter());
    SaveDialog = new TSaveDialog(this);
    SaveDialog->SetFilter(
        Ja("レポート(*.txt)|*.txt|JSON(*.json)|*.json|CSV(*.csv)|*.csv|"
           "PNG 画像(*.png)|*.png"));
    // A name typed without an extension gets the one of the chosen type.
    SaveDialog->setDefaultSuffix(QStringLiteral("txt"));
    connect(SaveDialog, &QFileDialog::filterSelected, this, [this](const QString& filter) {
        const char* suffixes[] = {"txt", "json", "csv", "png"};
        const qsizetype type = SaveDialog->nameFilters().indexOf(filter);
        if (type >= 0 && type < 4)
            SaveDialog->setDefaultSuffix(QString::fromLatin1(suffixes[type]));
    });
    CreateMenus();
    CreateStatusBar();
    WireCommands();
    // A file dropped anywhere on the window is opened.
    new TFileDrop(this, [this](const QString& file) { OpenMeasurement(file); });

    resize(kStartSize);
    ShowMeasurement(nullptr);
}

TEvaluationForm::~TEvaluationForm() = default;

QWidget* TEvaluationForm::CreateCommandPanel() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    FileLabel = new QLabel(panel);
    FileLabel->setObjectName(QStringLiteral("FileLabel"));
    FileLabel->setWordWrap(true);
    FileLabel->setMaximumWidth(290);
    layout->addWidget(FileLabel);
    Settings = new TEvaluationSettings(panel);
    layout->addWidget(Settings);
    DetectButton = CommandButton(Ja("ピーク検出"), panel);
    FitButton = CommandButton(Ja("フィット (F5)"), panel);
    MethodsButton = CommandButton(Ja("古典的手法"), panel);
    ClearMarkersButton = CommandButton(Ja("マーカーを消去"), panel);
    SendButton = CommandButton(Ja("計算に反映"), panel);
    SendButton->setToolTip(
        Ja("表で選んだピークの Et, νt, Nt と温度範囲, β, S を"
           "メインウィンドウに書き込みます"));
    for (QPushButton* button :
         {DetectButton, FitButton, MethodsButton, ClearMarkersButton, SendButton}) {
        layout->addWidget(button);
    }
    layout->addStretch(1);
    panel->setMaximumWidth(290);
    return panel;
}

QWidget* TEvaluationForm::CreateFitPage() {
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto* tools = new QHBoxLayout;
    LogarithmicCurrent = new QCheckBox(Ja("対数電流軸"), page);
    auto* zoomBack = CommandButton(Ja("ズームを戻す"), page);
    auto* zoomAll = CommandButton(Ja("全体を表示"), page);
    auto* hint = new QLabel(Ja("クリック: 開始ピークを追加（マーカーをクリックで削除）　"
                               "ドラッグ: 拡大　右クリック: 戻す　Shift+ドラッグ: 温度範囲"),
                            page);
    hint->setWordWrap(true);
    tools->addWidget(LogarithmicCurrent);
    tools->addWidget(zoomBack);
    tools->addWidget(zoomAll);
    tools->addWidget(hint, 1);
    layout->addLayout(tools);
    CurvePlot = new TCurvePlot(page);
    CurvePlot->setObjectName(QStringLiteral("CurvePlot"));
    ResidualPlot = new TResidualPlot(page);
    ResidualPlot->setObjectName(QStringLiteral("ResidualPlot"));
    layout->addWidget(CurvePlot, 3);
    layout->addWidget(ResidualPlot, 1);
    AlignPlotAreas(CurvePlot->chart(), ResidualPlot->chart());
    connect(zoomBack, &QPushButton::clicked, CurvePlot, &TCurvePlot::ZoomBack);
    connect(zoomAll, &QPushButton::clicked, CurvePlot, &TCurvePlot::ZoomAll);
    return page;
}

void TEvaluationForm::CreateMenus() {
    const auto add = [this](QMenu* menu, const char* caption, const QKeySequence& keys) {
        QAction* action = menu->addAction(Ja(caption));
        action->setShortcut(keys);
        return action;
    };
    QMenu* file = menuBar()->addMenu(Ja("ファイル(&F)"));
    OpenAction = add(file, "測定データを開く(&O)...", QKeySequence::Open);
    SaveAction = add(file, "結果を保存(&S)...", QKeySequence::Save);
    file->addSeparator();
    QAction* close = add(file, "閉じる(&C)", QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    QMenu* edit = menuBar()->addMenu(Ja("編集(&E)"));
    CopyTableAction = add(edit, "表をコピー(&C)", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    QMenu* evaluate = menuBar()->addMenu(Ja("評価(&V)"));
    DetectAction = add(evaluate, "ピーク検出(&D)", QKeySequence(Qt::CTRL | Qt::Key_D));
    FitAction = add(evaluate, "フィット(&F)", QKeySequence(Qt::Key_F5));
    MethodsAction = add(evaluate, "古典的手法(&M)", QKeySequence(Qt::Key_F6));
    evaluate->addSeparator();
    SendAction = add(evaluate, "計算に反映(&R)", QKeySequence(Qt::CTRL | Qt::Key_R));
    QAction* clearMarkers = add(evaluate, "マーカーを消去(&K)", QKeySequence());
    connect(clearMarkers, &QAction::triggered, ClearMarkersButton, &QPushButton::click);
    evaluate->addSeparator();
    CancelAction = add(evaluate, "中止(&A)", QKeySequence(Qt::Key_Escape));
    CancelAction->setEnabled(false);  // Escape stays the fields' and dialogs' until work runs
    QMenu* view = menuBar()->addMenu(Ja("表示(&W)"));
    QAction* logarithmic = add(view, "対数電流軸(&L)", QKeySequence(Qt::CTRL | Qt::Key_L));
    logarithmic->setCheckable(true);
    connect(logarithmic, &QAction::toggled, LogarithmicCurrent, &QCheckBox::setChecked);
    connect(LogarithmicCurrent, &QCheckBox::toggled, logarithmic, &QAction::setChecked);
    ZoomBackAction = add(view, "ズームを戻す(&B)", QKeySequence(Qt::Key_Backspace));
    ZoomAllAction = add(view, "全体を表示(&A)", QKeySequence(Qt::CTRL | Qt::Key_0));
    for (QMenu* menu : {file, edit, evaluate, view}) menu->setFont(font());
}

void TEvaluationForm::CreateStatusBar() {
    BusyIndicator = new QProgressBar(this);
    BusyIndicator->setRange(0, 0);  // no end known: it only moves
    BusyIndicator->setMaximumWidth(160);
    BusyIndicator->setTextVisible(false);
    CancelButton = CommandButton(Ja("中止"), this);
    statusBar()->addPermanentWidget(BusyIndicator);
    statusBar()->addPermanentWidget(CancelButton);
    BusyIndicator->hide();
    CancelButton->hide();
}

void TEvaluationForm::WireCommands() {
    WireClick(OpenAction, this, &TEvaluationForm::OpenClick);
    WireClick(SaveAction, this, &TEvaluationForm::SaveClick);
    WireClick(CopyTableAction, this, &TEvaluationForm::CopyTableClick);
    WireClick(DetectAction, this, &TEvaluationForm::DetectClick);
    WireClick(FitAction, this, &TEvaluationForm::FitClick);
    WireClick(MethodsAction, this, &TEvaluationForm::MethodsClick);
    WireClick(SendAction, this, &TEvaluationForm::SendClick);
    WireClick(CancelAction, this, &TEvaluationForm::CancelClick);
    WireClick(DetectButton, this, &TEvaluationForm::DetectClick);
    WireClick(FitButton, this, &TEvaluationForm::FitClick);
    WireClick(MethodsButton, this, &TEvaluationForm::MethodsClick);
    WireClick(SendButton, this, &TEvaluationForm::SendClick);
    WireClick(ClearMarkersButton, this, &TEvaluationForm::ClearMarkersClick);
    WireClick(CancelButton, this, &TEvaluationForm::CancelClick);
    connect(ZoomBackAction, &QAction::triggered, CurvePlot, &TCurvePlot::ZoomBack);
    connect(ZoomAllAction, &QAction::triggered, CurvePlot, &TCurvePlot::ZoomAll);
    connect(LogarithmicCurrent, &QCheckBox::toggled, CurvePlot, &TCurvePlot::SetLogarithmic);
    connect(CurvePlot, &TCurvePlot::temperaturesShown, ResidualPlot,
            &TResidualPlot::ShowTemperatures);
    connect(work_, &TBackgroundWork::busyChanged, this, &TEvaluationForm::ShowBusy);

    // The chart's clicks and drags are commands too: nothing they do may
    // throw through the toolkit.
    connect(CurvePlot, &TCurvePlot::markerAdded, this, [this](double T) {
        RunCommand([&] {
            const MeasuredCurve* curve = measurement_ ? &measurement_->curve : nullptr;
            if (!curve || !(T >= curve->T.front() && T <= curve->T.back())) return;
            PeakTable->AddStart(StartTemperature(T));
            ShowMarkers();
        });
    });
    connect(CurvePlot, &TCurvePlot::markerRemoved, this, [this](int marker) {
        RunCommand([&] {
            PeakTable->RemoveStart(marker);
            ShowMarkers();
        });
    });
    connect(PeakTable, &TPeakTable::startsChanged, this, &TEvaluationForm::ShowMarkers);
    connect(CurvePlot, &TCurvePlot::rangeDragged, this, [this](double low, double high) {
        RunCommand([&] {
            if (!measurement_ || !std::isfinite(low) || !std::isfinite(high)) return;
            Settings->SetRange(StartTemperature(low), StartTemperature(high));
            ShowRange();
        });
    });
    connect(Settings, &TEvaluationSettings::rangeEdited, this, &TEvaluationForm::ShowRange);
    connect(Settings, &TEvaluationSettings::areaEdited, this,
            [this] { PeakTable->SetArea(Settings->GivenArea()); });
    connect(Settings, &TEvaluationSettings::kineticsChanged, this,
            [this] { PeakTable->SetKinetics(Settings->ChosenKinetics()); });
}

void TEvaluationForm::closeEvent(QCloseEvent* event) {
    // No result reaches a closed window: what runs is cancelled and its
    // result dropped. The measurement and the last result stay for when the
    // window is opened again.
    work_->Cancel();
    QMainWindow::closeEvent(event);
}

bool TEvaluationForm::Busy() const { return work_->Busy(); }

void TEvaluationForm::ShowBusy(bool busy) {
    BusyIndicator->setVisible(busy);
    CancelButton->setVisible(busy);
    CancelAction->setEnabled(busy);
    if (busy) statusBar()->showMessage(Ja("計算中です…（中止するには「中止」または Esc）"));
}
