#include "methods_arguments.h"

#include <charconv>
#include <cmath>

#include "exception.h"

const char* const kMethodsUsage =
    "Usage: tsccurve methods FILE --beta B [--celsius] [--range TLO:THI]\n"
    "                        [--rise-window LO:HI] [--json] [--plot OUT.png]\n"
    "       tsccurve methods --beta B1 FILE1 --beta B2 FILE2 [...]\n"
    "\n"
    "Evaluates measured curves (temperature, current in A) by the classic\n"
    "methods: the peak from a local fit, the half-intensity temperatures,\n"
    "Chen's peak-shape energies, the initial rise, and with two or more\n"
    "curves at different heating rates the heating-rate method.\n"
    "\n"
    "  --beta B           heating rate of the next (or only) file, K/min\n"
    "  --celsius          the files' temperatures are in degrees Celsius\n"
    "  --range TLO:THI    use only the points from TLO to THI (file's unit)\n"
    "  --rise-window LO:HI  initial-rise window as fractions of the peak\n"
    "                     current (default 0.01:0.1)\n"
    "  --json             one JSON object instead of the table\n"
    "  --plot OUT.png     for one curve, draw the initial-rise line and the\n"
    "                     curve with Tm, T1 and T2\n"
    "\n"
    "Exit codes: 0 evaluated, 1 output failed, 2 refused input (a file not\n"
    "read, a curve without a peak, a usage error).\n";

namespace {

double ParseNumber(const std::string& text, const std::string& option) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end || !std::isfinite(value))
        throw Exception(option + " expects a number, not \"" + text + "\"");
    return value;
}

std::pair<double, double> ParsePair(const std::string& text, const std::string& option) {
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        throw Exception(option + " expects LOW:HIGH, not \"" + text + "\"");
    const double low = ParseNumber(text.substr(0, colon), option);
    const double high = ParseNumber(text.substr(colon + 1), option);
    if (!(low < high)) throw Exception(option + " needs LOW below HIGH, not \"" + text + "\"");
    return {low, high};
}

}  // namespace

MethodsRequest ParseMethodsArguments(const std::vector<std::string>& args) {
    MethodsRequest request;
    std::vector<std::string> files;
    std::vector<double> betas;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> const std::string& {
            if (i + 1 == args.size()) throw Exception(arg + " needs a value");
            return args[++i];
        };
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help") {
            request.help = true;
        } else if (arg == "--beta") {
            const double beta = ParseNumber(value(), arg);
            if (!(beta > 0)) throw Exception("--beta must be above 0 K/min");
            betas.push_back(beta);
        } else if (arg == "--celsius") {
            request.celsius = true;
        } else if (arg == "--range") {
            const auto [low, high] = ParsePair(value(), arg);
            request.range = TemperatureRange{low, high};
        } else if (arg == "--rise-window") {
            const auto [low, high] = ParsePair(value(), arg);
            if (!(low > 0) || !(high < 1))
                throw Exception("--rise-window takes fractions of the peak between 0 and 1");
            request.riseWindow = {low, high};
        } else if (arg == "--json") {
            request.json = true;
        } else if (arg == "--plot") {
            request.plot = value();
        } else {
            throw Exception("unknown option " + arg);
        }
    }
    if (request.help) return request;
    if (files.empty()) throw Exception("methods needs a measurement file");
    if (files.size() != betas.size())
        throw Exception("each file needs its own --beta: " + std::to_string(files.size()) +
                        " files, " + std::to_string(betas.size()) + " heating rates");
    if (request.plot && files.size() != 1) throw Exception("--plot draws one curve only");
    for (std::size_t i = 0; i < files.size(); ++i) request.curves.push_back({files[i], betas[i]});
    return request;
}
