#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class QImage;
struct FitOutcome;

// The formats a result is saved in, picked by the file's extension.
enum class ResultFormat { Report, Json, Csv, Picture };

// The format for a file name, or none for an extension the window does not
// write.
std::optional<ResultFormat> FormatOfName(const QString& fileName);

// The result's bytes in a format other than the picture: the report, the
// same JSON object as `tsccurve fit --json`, or the measured curve with its
// components, sum and residual.
QByteArray ResultBytes(const FitOutcome& outcome, ResultFormat format);

// Writes the bytes whole or not at all: the old file stays until the new
// one is complete. Throws the window's error naming the file.
void WriteWhole(const QString& fileName, const QByteArray& bytes);
void WritePicture(const QString& fileName, const QImage& picture);
