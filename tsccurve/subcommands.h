#pragma once

// What the command line hands its requests to: one function per output
// mode or subcommand, each in its own file.

#include <iosfwd>
#include <string>
#include <vector>

#include "calc_state.h"
#include "fit_request.h"
#include "methods_request.h"
#include "parameter_check.h"

// The most temperature steps tsccurve calculates. Its output, not the
// arithmetic, sets it: at 1,000,000 steps --peak takes about 0.6 s and 60 MB,
// and the CSV curve is 35 MB, written in about 4 s on a 2-core machine.
inline constexpr std::size_t kCommandLineMaxSteps = 1000000;

// The exit codes RunTsccurve documents.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitOutputFailed = 1;
inline constexpr int kExitUsageError = 2;
// A fit that ran but did not converge.
inline constexpr int kExitFitNotConverged = 3;

// Flushes `out`, so that a full disk or a closed standard output is noticed
// while the exit code can still say so: kExitSuccess, or kExitOutputFailed
// with "NAME: the output could not be written" on `err`.
int Written(std::ostream& out, std::ostream& err, const std::string& name);

// The check's refusal in English, naming the parameter by its symbol and
// unit.
std::string RefusalText(const Refusal& refusal);

// Reads the eight parameter texts in the order of the window's fields and
// checks them; throws Exception with the English message when a text is not
// a number or the check refuses the set.
CalcState ReadCheckedParameters(const std::vector<std::string>& texts);

// The curve of one calculation, as each output mode writes it.
std::string CsvCurve(CalcState& state);
std::string ResultsFileText(CalcState& state);
std::string PeakLine(CalcState& state);

// The curve modes with --model standard, from the parameters as entered.
std::string StandardCsvCurve(const CalcState& entered);
std::string StandardResultsFileText(const CalcState& entered);
std::string StandardPeakLines(const CalcState& entered);

// `tsccurve fit` and `tsccurve methods`, from what the command line asked;
// each returns the exit code and reports refusals itself.
int RunFit(const FitRequest& request, std::ostream& out, std::ostream& err);
int RunMethods(const MethodsRequest& request, std::ostream& out, std::ostream& err);
