#include "tsccurve_cli.h"

#include <ostream>
#include <string>

#include "exception.h"
#include "number_text.h"
#include "parameter_check.h"
#include "run_calculation.h"
#include "subcommands.h"

namespace {

constexpr int kUsageError = 2;

constexpr const char* kUsage =
    "Usage: tsccurve [--results | --peak] Et Vt Nt To Tend Beta S a\n"
    "\n"
    "Computes the thermally stimulated current of one trap level during a\n"
    "linear heating run, exactly as the window program tscview does.\n"
    "\n"
    "  Et    activation energy (eV)        Tend  end temperature (K)\n"
    "  Vt    escape frequency (Hz)         Beta  heating rate (K/min)\n"
    "  Nt    trap density (cm^-2)          S     cross-section (mm^2)\n"
    "  To    start temperature (K)         a     step and integration interval (K)\n"
    "\n"
    "Output (standard output):\n"
    "  (default)   CSV: the header T_K,Itsc_A and one line T,Itsc per step\n"
    "  --results   the results file tscview saves after Clear and one Calculate:\n"
    "              temperature, current and an empty line per step, CR LF ends\n"
    "  --peak      one line: peak temperature and peak current\n"
    "\n"
    "Example: tsccurve --peak 0.8 1e8 1e13 200 400 2 1 0.2\n"
    "\n"
    "       tsccurve methods FILE --beta B [...]   (see tsccurve methods --help)\n"
    "evaluates measured curves by the classic peak-shape, initial-rise and\n"
    "heating-rate methods.\n";

enum class Output { Csv, Results, Peak };

struct Arguments {
    Output output = Output::Csv;
    bool help = false;
    std::vector<std::string> parameters;
};

Arguments ParseArguments(const std::vector<std::string>& args) {
    Arguments parsed;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
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

// Reads the parameters in the order of the window's fields, storing each
// before the next is read.
void StoreParameters(const std::vector<std::string>& texts, CalcState& state) {
    for (std::size_t i = 0; i < kEnteredParameters.size(); ++i) {
        state.*kEnteredParameters[i] = StrToFloat(texts[i]);
    }
}

std::string Calculate(Output output, CalcState& state) {
    std::string text = output == Output::Csv ? "T_K,Itsc_A\n" : "";
    std::string peak;
    RunCalculation(state, [&](const ResultRow& row) {
        switch (output) {
            case Output::Csv:
                text += FloatToStr(row.T) + "," + FloatToStr(row.Itsc) + "\n";
                break;
            case Output::Results:
                text += FloatToStr(row.T) + "\r\n" + FloatToStr(row.Itsc) + "\r\n\r\n";
                break;
            case Output::Peak:
                peak = FloatToStr(row.Tpeak) + " " + FloatToStr(row.Ipeak);
                break;
        }
    });
    if (output == Output::Peak) text = peak + "\n";
    return text;
}

}  // namespace

int RunTsccurve(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (!args.empty() && args.front() == "methods")
        return RunMethods({args.begin() + 1, args.end()}, out, err);
    try {
        const Arguments parsed = ParseArguments(args);
        if (parsed.help) {
            out << kUsage;
            return 0;
        }
        if (parsed.parameters.size() != 8) {
            err << "tsccurve: expected 8 parameters, got " << parsed.parameters.size() << "\n\n"
                << kUsage;
            return kUsageError;
        }
        CalcState state;
        StoreParameters(parsed.parameters, state);
        if (const auto problem = CheckParameters(state)) throw Exception(*problem);
        out << Calculate(parsed.output, state);
        return out.good() ? 0 : 1;
    } catch (const Exception& e) {
        err << "tsccurve: " << e.what() << "\n";
        return kUsageError;
    }
}
