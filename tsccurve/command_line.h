#pragma once

#include <CLI/CLI.hpp>

#include "curve_request.h"
#include "fit_request.h"
#include "methods_request.h"

// tsccurve's command line, each part declared once with its options, their
// values, defaults and help: the curve modes on the command itself, fit and
// methods as subcommands. Parsing fills the requests.
struct CommandLine {
    CommandLine();
    CommandLine(const CommandLine&) = delete;
    CommandLine& operator=(const CommandLine&) = delete;

    CurveRequest curve;
    FitRequest fit;
    MethodsRequest methods;
    CLI::App app;
    CLI::App* fitCommand;
    CLI::App* methodsCommand;

    // The subcommand that was given, or the command itself.
    const CLI::App& Given() const;
    // "tsccurve", "tsccurve fit" or "tsccurve methods", as the messages begin.
    std::string GivenName() const;
};

void DeclareCurveModes(CLI::App& app, CurveRequest& request);
CLI::App* DeclareFit(CLI::App& app, FitRequest& request);
CLI::App* DeclareMethods(CLI::App& app, MethodsRequest& request);
