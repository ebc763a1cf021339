#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <memory>

#include "evaluation_form.h"
#include "form1.h"

// The three trap levels of the synthetic measurement the evaluation tests
// open: first-order peaks at 5 K/min, written down by glow_curve.h,
// independently of the fit engine.
struct SyntheticLevel {
    double Et;      // eV
    double Tm;      // K
    double height;  // A
};
inline constexpr double kSyntheticBeta = 5;  // K/min
inline constexpr std::array<SyntheticLevel, 3> kSyntheticLevels = {
    {{0.42, 193, 4e-12}, {0.55, 231, 6e-12}, {0.70, 262, 5e-12}}};

// Writes the measurement, 120 K to 330 K every 0.25 K with 0.5 % noise, as
// two columns under a header line.
void WriteSyntheticMeasurement(const QString& path);

// Writes `points` samples of three broad peaks with noise (for size, not
// for values).
void WriteLargeMeasurement(const QString& path, int points);

// A main window with β and S typed in, and its evaluation window with the
// file opened through the main window's menu and the real file dialog.
struct EvaluationSession {
    std::unique_ptr<TForm1> main;
    TEvaluationForm* evaluation = nullptr;
    QStringList boxes;  // the message boxes shown while opening
};
EvaluationSession OpenInEvaluation(const QString& path, const QString& beta = "5",
                                   const QString& area = "1");

// Waits until the window's work has ended (at most `patienceMs`) and
// returns the texts of the message boxes shown meanwhile, each dismissed.
QStringList WaitForWork(TEvaluationForm& form, int patienceMs = 30000);

// Drops the file on the widget as a file manager does: the drag enters the
// widget's window there, then the file is dropped.
void DropFile(QWidget* target, const QString& path);

// Clicks the button (or triggers the action) and waits for the work it
// starts.
QStringList ClickAndWait(TEvaluationForm& form, class QAbstractButton* button);
