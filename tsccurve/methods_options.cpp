// The methods subcommand's part of the command line.
#include "command_line.h"
#include "number_text.h"
#include "option_binding.h"
#include "option_readers.h"
#include "plot_program.h"

namespace {

constexpr const char* kDescription =
    "Evaluates measured curves by the classic methods. The curves (temperature, current in A) "
    "are read as fit reads them; the methods are the peak from a local fit, the half-intensity "
    "temperatures, Chen's "
    "peak-shape energies, the initial rise, and with two or more curves at different heating "
    "rates the heating-rate method. Each FILE takes the --beta given with it: FILE --beta B, or "
    "--beta B1 FILE1 --beta B2 FILE2 ..., paired in the order both are given.";

constexpr const char* kFooter =
    "Exit status: 0 evaluated, 1 output not written, 2 refused input (a file not read,\n"
    "a curve without a peak, a usage error).\n";

tsc::analysis::RiseWindow ReadRiseWindow(std::string_view text) {
    const auto [low, high] = ReadSpan(text);
    if (!(low > 0) || !(high < 1)) {
        throw Exception("takes fractions of the peak current between 0 and 1, not \"" +
                        std::string(text) + "\"");
    }
    return {low, high};
}

}  // namespace

CLI::App* DeclareMethods(CLI::App& app, MethodsRequest& request) {
    CLI::App* methods = app.add_subcommand("methods", kDescription);
    methods->footer(kFooter);
    methods->add_option("FILE", request.files, "a measured curve")->required();
    AddReadEach(*methods, "--beta", request.betas, ReadHeatingRate,
                "heating rate of the file given with it: 5 or 5K/min (K/min), or 1K/s; from " +
                    HeatingRateRange())
        ->option_text("B")
        ->required();
    methods->add_flag("--celsius", request.celsius, "the files' temperatures are in °C");
    AddRead(*methods, "--range", request.range, ReadSpan,
            "use only the points from TLO to THI (the files' unit)")
        ->option_text("TLO:THI");
    AddRead(*methods, "--rise-window", request.riseWindow, ReadRiseWindow,
            "the initial rise's window as fractions of the peak current")
        ->option_text("LO:HI")
        ->default_str(FloatToStr(request.riseWindow.low) + ":" +
                      FloatToStr(request.riseWindow.high));
    methods->add_flag("--json", request.json, "one JSON object instead of the table");
    AddRead(*methods, "--plot", request.plot, ReadPngName,
            "for one curve, draw the initial-rise line and the curve with Tm, T1 and T2 (in a "
            "build with the window program)")
        ->option_text("OUT.png");
    methods->final_callback([&request] {
        if (request.files.size() != request.betas.size()) {
            throw CLI::ValidationError(
                "each file needs its own --beta: " + std::to_string(request.files.size()) +
                " files, " + std::to_string(request.betas.size()) + " heating rates");
        }
        if (request.plot && !PlotAvailable()) throw CLI::ValidationError(kPlotUnavailable);
        if (request.plot && request.files.size() != 1) {
            throw CLI::ValidationError("--plot draws one curve only");
        }
        for (std::size_t i = 0; i < request.files.size(); ++i) {
            request.curves.push_back({request.files[i], request.betas[i]});
        }
    });
    return methods;
}
