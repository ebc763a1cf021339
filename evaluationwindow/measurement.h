#pragma once

#include <QString>
#include <string>

#include "measured_curve.h"

// The measurement the window shows: its file and its curve, shared without
// change between the window and the work off the UI thread.
struct Measurement {
    QString fileName;  // as the user chose it
    std::string path;  // the same as the file system and the reports take it
    tsc::analysis::MeasuredCurve curve;
};
