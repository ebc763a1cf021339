#pragma once

#include <QMainWindow>
#include <memory>

#include "calc_state.h"

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class TChart;
class TEvaluationForm;
class TFastLineSeries;
class TMemo;
class TOpenDialog;
class TSaveDialog;

// The main window: the eight parameter fields, the two command buttons, the
// results list, the chart, the peak fields, the menu bar and the two file
// dialogs, laid out once at construction and never moved. It owns the
// calculation state, which carries the running integral from one calculation
// to the next.
class TForm1 : public QMainWindow {
    Q_OBJECT

  public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    QLineEdit* Edit1;  // Et, eV
    QLineEdit* Edit2;  // Vt, Hz
    QLineEdit* Edit3;  // Nt, cm^-2
    QLineEdit* Edit4;  // To, K
    QLineEdit* Edit5;  // Tend, K
    QLineEdit* Edit6;  // Beta, K/min
    QLineEdit* Edit7;  // S, mm^2
    QLineEdit* Edit8;  // a, K
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QLabel* Label5;
    QLabel* Label6;
    QLabel* Label7;
    QLabel* Label8;
    QLabel* Label9;
    QFrame* Bevel1;
    QFrame* Bevel2;
    QLabel* Label10;
    QPushButton* Button1;  // Calculate
    QPushButton* Button2;  // Clear
    TMemo* Memo1;          // results list
    TChart* Chart1;
    TFastLineSeries* Series1;
    QLabel* Label11;
    QLabel* Label12;
    QLabel* Label13;
    QLabel* Label14;
    QLabel* Label15;
    QLabel* Label16;
    QLabel* Label17;
    QLabel* Label18;
    QMenuBar* MainMenu1;
    QMenu* File1;
    QAction* Open1;
    QAction* Save1;
    QFrame* Bevel3;
    TSaveDialog* SaveDialog1;
    TOpenDialog* OpenDialog1;
    QMenu* Help1;
    QLineEdit* Edit9;   // peak temperature
    QLineEdit* Edit10;  // peak current
    QLabel* Label19;
    QLabel* Label20;
    QLabel* Label21;
    QLabel* Label22;
    QAction* Tutorial1;
    QAction* OpenMeasurement1;  // opens a measurement in the evaluation window

    CalcState State;

    // The field a parameter is typed into, and the name its label gives it:
    // the label's caption without the closing "＝".
    QLineEdit* ParameterField(Parameter parameter) const;
    static QString ParameterName(Parameter parameter);

    void Button1Click(QObject* Sender);
    void Button2Click(QObject* Sender);
    void Open1Click(QObject* Sender);
    void Save1Click(QObject* Sender);
    void Tutorial1Click(QObject* Sender);
    void OpenMeasurement1Click(QObject* Sender);

    // The evaluation window, made on first use so that the program starts
    // as fast as without it; it lives as long as the main window.
    TEvaluationForm* EvaluationForm();
    // Opens the file in the evaluation window, with β and S from here.
    void OpenInEvaluation(const QString& fileName);

  private:
    void CreateLabelsAndBevels(QWidget* client);
    void CreateParameterFieldsAndButtons(QWidget* client);
    void CreateResultsListAndChart(QWidget* client);
    void CreatePeakFields(QWidget* client);
    void CreateMenu();
    void CreateFileDialogs();
    void SetTabOrder();
    void WireCommands();

    std::unique_ptr<TEvaluationForm> evaluationForm_;
    TOpenDialog* measurementDialog_ = nullptr;
};

// The main window, created first at start-up.
extern TForm1* Form1;
