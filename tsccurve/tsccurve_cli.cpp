// The dispatcher: hands a subcommand its arguments, or reads the options and
// hands the parameters to the output mode they ask for.
#include "tsccurve_cli.h"

#include <ostream>
#include <string>

#include "exception.h"
#include "subcommands.h"

namespace {

enum class Output { Csv, Results, Peak };
enum class Model { Legacy, Standard };

struct Arguments {
    Output output = Output::Csv;
    Model model = Model::Legacy;
    bool help = false;
    std::vector<std::string> parameters;
};

Arguments ParseArguments(const std::vector<std::string>& args) {
    Arguments parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--model") {
            const std::string model = i + 1 < args.size() ? args[++i] : "";
            if (model != "legacy" && model != "standard") {
                throw Exception("--model takes legacy or standard, not \"" + model + "\"");
            }
            parsed.model = model == "standard" ? Model::Standard : Model::Legacy;
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            parsed.help = true;
        } else if (!optionsEnded && arg == "--results") {
            parsed.output = Output::Results;
        } else if (!optionsEnded && arg == "--peak") {
            parsed.output = Output::Peak;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-' && arg[1] == '-') {
            throw Exception("unknown option " + arg);
        } else {
            parsed.parameters.push_back(arg);
        }
    }
    return parsed;
}

std::string Curve(Output output, Model model, CalcState& state) {
    const bool standard = model == Model::Standard;
    switch (output) {
        case Output::Results:
            return standard ? StandardResultsFileText(state) : ResultsFileText(state);
        case Output::Peak:
            return standard ? StandardPeakLines(state) : PeakLine(state);
        case Output::Csv:
            break;
    }
    return standard ? StandardCsvCurve(state) : CsvCurve(state);
}

// Flushed here, so that a full disk or a closed standard output is noticed
// while the exit code can still say so.
int Written(std::ostream& out, std::ostream& err) {
    if (out.flush().good()) return kExitSuccess;
    err << "tsccurve: the output could not be written\n";
    return kExitOutputFailed;
}

}  // namespace

int RunTsccurve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && args.front() == "methods")
        return RunMethods({args.begin() + 1, args.end()}, out, err);
    if (!args.empty() && args.front() == "fit") {
        return RunFit({args.begin() + 1, args.end()}, out, err);
    }
    try {
        const Arguments parsed = ParseArguments(args);
        if (parsed.help) return Written(out << kUsage, err);
        if (parsed.parameters.size() != kParameters.size()) {
            err << "tsccurve: expected 8 parameters, got " << parsed.parameters.size() << "\n\n"
                << kUsage;
            return kExitUsageError;
        }
        CalcState state = ReadCheckedParameters(parsed.parameters);
        return Written(out << Curve(parsed.output, parsed.model, state), err);
    } catch (const Exception& e) {
        err << "tsccurve: " << e.what() << "\n";
        return kExitUsageError;
    }
}
