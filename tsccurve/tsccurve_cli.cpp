// Parses the command line and hands the request to the curve mode or the
// subcommand it names.
#include "tsccurve_cli.h"

#include <ostream>

#include "command_line.h"
#include "help_format.h"
#include "subcommands.h"

int RunTsccurve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    try {
        // The parser takes the arguments last first.
        line.app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    } catch (const CLI::CallForHelp&) {
        const CLI::App& given = line.Given();
        return Written(out << given.help(&given == &line.app ? "" : line.app.get_name()), err,
                       line.GivenName());
    } catch (const CLI::ParseError& e) {
        const HelpFormat format;
        err << line.GivenName() << ": " << e.what() << "\n"
            << format.Usage(&line.Given(), line.GivenName()) << "Run '" << line.GivenName()
            << " --help' for every option.\n";
        return kExitUsageError;
    }
    if (line.fitCommand->parsed()) return RunFit(line.fit, out, err);
    if (line.methodsCommand->parsed()) return RunMethods(line.methods, out, err);
    return RunCurve(line.curve, out, err);
}
