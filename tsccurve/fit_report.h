#pragma once

#include <string>
#include <vector>

#include "curve_fit.h"
#include "measured_curve.h"

// How `tsccurve fit` shows a fit: one JSON object for scripts, a report with
// units for a person, the caption of its picture, and the CSV of the curve.

// Exactly one JSON object on one line, keys as documented in the usage text.
std::string FitJson(const tsc::analysis::FitResult& fit, tsc::analysis::FitModel model);

// The same numbers for a person. A fit that did not converge says so and
// shows no values.
std::string FitText(const tsc::analysis::FitResult& fit, tsc::analysis::FitModel model,
                    const std::string& fileName, double To);

// The fitted values with their errors, one line each, for the picture.
std::vector<std::string> FitCaption(const tsc::analysis::FitResult& fit,
                                    tsc::analysis::FitModel model);

// T, the measured current, the fitted current and the residual per point.
std::string FitCurveCsv(const tsc::analysis::MeasuredCurve& curve,
                        const tsc::analysis::FitResult& fit);
