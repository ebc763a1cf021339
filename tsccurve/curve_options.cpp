// The curve modes' part of the command line: tsccurve's own options and the
// eight parameters, declared on the top-level command.
#include "command_line.h"
#include "option_binding.h"
#include "subcommands.h"

namespace {

constexpr const char* kDescription =
    "Computes the thermally stimulated current of one trap level during a linear heating run. "
    "It calculates exactly as the window program tscview does: the eight parameters are read as "
    "the window "
    "reads its fields (a period is the decimal mark; 1e8 and 2.5E-3 are fine; put -- before "
    "them for a value such as -.5). Without --results or --peak it writes CSV to standard "
    "output: the header T_K,Itsc_A and one line T,Itsc per step.";

constexpr const char* kFooter =
    "Exit status: 0 on success, 1 when an output could not be written, 2 for a usage\n"
    "error, a text that is not a number or a refused parameter; fit adds 3 for a fit\n"
    "that did not converge.\n"
    "\n"
    "Examples: tsccurve --peak 0.8 1e8 1e13 200 400 2 1 0.2\n"
    "          tsccurve fit docs/fit-example.txt --beta 5 --area 1 --background constant\n"
    "          tsccurve methods docs/methods-example-5.txt --beta 5\n";

// What each parameter is, in the order of the window's fields.
constexpr const char* kMeanings[] = {
    "activation energy", "escape frequency", "trap density",  "start temperature",
    "end temperature",   "heating rate",     "cross-section", "step and integration interval",
};

}  // namespace

void DeclareCurveModes(CLI::App& app, CurveRequest& request) {
    app.description(kDescription);
    app.footer(kFooter);
    CLI::Option* results = app.add_flag_callback(
        "--results", [&request] { request.output = CurveRequest::Output::Results; },
        "write the results file tscview saves after Clear and one Calculate: temperature, "
        "current and an empty line per step, CR LF line ends");
    CLI::Option* peak = app.add_flag_callback(
        "--peak", [&request] { request.output = CurveRequest::Output::Peak; },
        "write one line: the peak temperature and current");
    results->excludes(peak);
    AddChoice(
        app, "--model", request.model,
        {{"legacy", CurveRequest::Model::Legacy}, {"standard", CurveRequest::Model::Standard}},
        "legacy: the window's own calculation, bit for bit; standard: the textbook "
        "first-order model with CODATA constants and Beta in K/min divided by 60, at "
        "T = To + i*a; with --peak a second line holds the continuous peak Tm Im");
    for (std::size_t i = 0; i < kParameters.size(); ++i) {
        const ParameterInfo& info = kParameters[i];
        app.add_option(info.symbol, request.parameters[i],
                       std::string(kMeanings[i]) + " (" + info.unit + ")");
    }
    // Required only without a subcommand, which takes the place of all eight.
    app.final_callback([&app] {
        if (!app.get_subcommands().empty()) return;
        for (const CLI::Option* option : app.get_options()) {
            if (option->get_positional() && option->count() == 0) {
                throw CLI::RequiredError(option->get_name());
            }
        }
    });
}
