#include "command_line.h"

#include <memory>

#include "help_format.h"

CommandLine::CommandLine() : app("", "tsccurve") {
    app.formatter(std::make_shared<HelpFormat>());
    DeclareCurveModes(app, curve);
    fitCommand = DeclareFit(app, fit);
    methodsCommand = DeclareMethods(app, methods);
    // The curve modes' options and parameters mean nothing to a subcommand.
    for (CLI::App* sub : {fitCommand, methodsCommand}) {
        for (CLI::Option* option : app.get_options()) {
            if (option != app.get_help_ptr()) sub->excludes(option);
        }
    }
}

const CLI::App& CommandLine::Given() const {
    if (fitCommand->parsed()) return *fitCommand;
    if (methodsCommand->parsed()) return *methodsCommand;
    return app;
}

std::string CommandLine::GivenName() const {
    const CLI::App& given = Given();
    return &given == &app ? app.get_name() : app.get_name() + " " + given.get_name();
}
