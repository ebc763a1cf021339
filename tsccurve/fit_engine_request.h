#pragma once

#include <iosfwd>
#include <string>

#include "deconvolution.h"
#include "fit_description.h"
#include "fit_request.h"
#include "measured_curve.h"

// What `tsccurve fit` hands the engine, shared by the fit of one curve and
// the fit of several heating rates together.

// The engine's request for the command line's; throws Exception for what
// the window's model cannot do.
tsc::analysis::DeconvolutionRequest EngineRequest(const FitRequest& request);

// The curve of request.file to fit, within --range and with points enough,
// or the refusal as an Exception with the message to show.
tsc::analysis::MeasuredCurve CurveToFit(const FitRequest& request,
                                        const tsc::analysis::DeconvolutionRequest& engine);

// How the fit of request.file at request.beta was asked for, for the reports.
tsc::analysis::FitDescription Describe(const FitRequest& request,
                                       const tsc::analysis::DeconvolutionRequest& engine,
                                       const tsc::analysis::MeasuredCurve& curve);

// Writes the text to the file; false, with the message on `err`, when it
// could not.
bool WriteFile(const std::string& fileName, const std::string& text, std::ostream& err);

// `tsccurve fit` of two or more curves at their heating rates together.
int RunJointFit(const FitRequest& request, std::ostream& out, std::ostream& err);
