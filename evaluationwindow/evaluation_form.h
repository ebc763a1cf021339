#pragma once

#include <QMainWindow>
#include <memory>

#include "calculation_link.h"

class QAction;
class QLabel;
class QCheckBox;
class QProgressBar;
class QPushButton;
class QTabWidget;
class TBackgroundWork;
class TCurvePlot;
class TEvaluationSettings;
class TMethodsPanel;
class TOpenDialog;
class TPeakTable;
class TResidualPlot;
class TSaveDialog;
struct FitOutcome;
struct Measurement;

// The evaluation window: one measured curve at a time, opened from a file,
// with its start peaks, its deconvolution into peaks and a background, the
// classic methods of a range, the reports, and a way to send a fitted trap
// to the main window's calculation. Long work runs off the UI thread and
// can be cancelled; closing the window cancels it.
class TEvaluationForm : public QMainWindow {
    Q_OBJECT

  public:
    explicit TEvaluationForm(TCalculationLink link = {}, QWidget* parent = nullptr);
    ~TEvaluationForm() override;

    // Reads the file off the UI thread and shows it, or says why not and
    // keeps what the window had.
    void OpenMeasurement(const QString& fileName);
    // β and S from the main window, where its fields hold numbers.
    void TakeMainSettings();
    // Whether work runs now (for the tests, which wait for it).
    bool Busy() const;

    // The commands, in the menus and on the buttons.
    void OpenClick(QObject* sender);
    void SaveClick(QObject* sender);
    void CopyTableClick(QObject* sender);
    void DetectClick(QObject* sender);
    void FitClick(QObject* sender);
    void MethodsClick(QObject* sender);
    void SendClick(QObject* sender);
    void ClearMarkersClick(QObject* sender);
    void CancelClick(QObject* sender);

    TEvaluationSettings* Settings;
    TCurvePlot* CurvePlot;
    TResidualPlot* ResidualPlot;
    TPeakTable* PeakTable;
    QLabel* Statistics;
    TMethodsPanel* MethodsPanel;
    QTabWidget* Tabs;
    QLabel* FileLabel;
    QCheckBox* LogarithmicCurrent;
    QProgressBar* BusyIndicator;
    QPushButton* CancelButton;
    QPushButton* DetectButton;
    QPushButton* FitButton;
    QPushButton* MethodsButton;
    QPushButton* SendButton;
    QPushButton* ClearMarkersButton;
    QAction* OpenAction;
    QAction* SaveAction;
    QAction* CopyTableAction;
    QAction* DetectAction;
    QAction* FitAction;
    QAction* MethodsAction;
    QAction* SendAction;
    QAction* CancelAction;
    QAction* ZoomBackAction;
    QAction* ZoomAllAction;
    TOpenDialog* OpenDialog;
    TSaveDialog* SaveDialog;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* CreateCommandPanel();
    QWidget* CreateFitPage();
    void CreateMenus();
    void CreateStatusBar();
    void WireCommands();

    void ShowMeasurement(std::shared_ptr<const Measurement> measurement);
    void ShowFit(std::shared_ptr<const FitOutcome> outcome);
    void ShowMarkers();
    void ShowRange();
    void ShowBusy(bool busy);
    const Measurement& NeedMeasurement() const;
    QString ShownName() const;

    TCalculationLink link_;
    TBackgroundWork* work_;
    std::shared_ptr<const Measurement> measurement_;
    std::shared_ptr<const FitOutcome> fit_;
};
