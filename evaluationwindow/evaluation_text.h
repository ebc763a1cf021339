#pragma once

#include <QString>
#include <string>

#include "measured_curve.h"
#include "method_refusal.h"
#include "spectrum_fit.h"

// What the evaluation window writes: its numbers and its sentences, in
// Japanese with the units written. The engine's reasons are English; they
// are quoted inside the window's own sentences.

// The text of a UTF-8 literal.
inline QString Ja(const char* utf8) { return QString::fromUtf8(utf8); }

// The file types a measurement is opened from, for TFileDialog::SetFilter.
QString MeasurementFilter();

// A temperature the window places (a start peak, a range's end), to 0.1 K
// as its text reads back: the same text given to tsccurve starts from the
// same temperature.
double StartTemperature(double T);

// `digits` significant digits, "—" for a value that is not finite.
QString Significant(double value, int digits);

// "value ± error": the value to 6 significant digits and its standard error
// to 2, both multiplied by `scale`. A value held fixed or without an error
// shows alone; one the data do not determine, or that ended on its bound,
// is marked.
QString WithError(const tsc::analysis::Estimate& estimate, double scale = 1);

// The reader's refusal of a file, naming the file and the line.
QString CurveRefusalText(const QString& file, const tsc::analysis::CurveRefusal& refusal);

// A fit that did not converge, and why.
QString FitFailureText(const QString& file, const tsc::analysis::SpectrumFit& fit);

// Why a classic method does not apply.
QString MethodRefusalText(const tsc::analysis::MethodRefusal& refusal);

// The statistics under the peak table: FOM, R², reduced χ², AIC, BIC, the
// iterations and whether the fit converged.
QString FitStatisticsText(const tsc::analysis::SpectrumFit& fit);
