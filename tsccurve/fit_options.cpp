// The fit subcommand's part of the command line.
#include "command_line.h"
#include "number_text.h"
#include "option_binding.h"
#include "option_readers.h"
#include "plot_program.h"

namespace {

constexpr const char* kDescription =
    "Fits a trap level's Et, νt and Nt to a measured curve, or to several curves at different "
    "heating rates together (--beta B1 FILE1 --beta B2 FILE2 ...), with each level's Et, νt and b "
    "shared by every curve. The fit is by Levenberg–Marquardt (in "
    "Et, ln νt and ln Nt; analytic Jacobian for the standard model), from start values found in "
    "the curve itself. FILE holds two columns, temperature (K) and current (A), separated by "
    "blanks, tabs, "
    "commas or semicolons; '#' lines and a header line are skipped, and the window's results "
    "file and tsccurve's CSV are read too.";

constexpr const char* kFooter =
    "Exit status: 0 converged, 3 did not converge, 2 refused input (or a request the fit\n"
    "does not yet support), 1 output not written.\n";

using Request = FitRequest;

}  // namespace

CLI::App* DeclareFit(CLI::App& app, FitRequest& request) {
    CLI::App* fit = app.add_subcommand("fit", kDescription);
    fit->footer(kFooter);
    fit->add_option("FILE", request.files,
                    "the measured curve; two or more, each with its --beta, are fitted together")
        ->required();
    AddReadEach(*fit, "--beta", request.betas, ReadHeatingRate,
                "heating rate of the file given with it: 5 or 5K/min (K/min), or 1K/s; from " +
                    HeatingRateRange())
        ->option_text("B")
        ->required();
    AddRead(*fit, "--shared", request.sharedCharge, ReadShared,
            "with two or more curves: what every curve shares, each level's Et, νt and b, or "
            "its Nt too (a sample filled the same way before each run)")
        ->option_text("Et,Vt,b|Et,Vt,b,Nt");
    AddRead(*fit, "--area", request.areaMm2, ReadPositive,
            "sample cross-section (mm^2), which Nt is a density over")
        ->option_text("S");
    AddRead(*fit, "--peaks", request.peaks, ReadPeaks,
            "the peaks to fit: auto, their number (1 to " +
                std::to_string(tsc::analysis::kMostPeaks) +
                "), or one near each temperature "
                "T1,T2,... (the file's unit; a single one with a decimal point, as 210.0)")
        ->option_text("auto|N|T1,T2,...")
        ->default_str(std::to_string(request.peaks.count));
    AddChoice(*fit, "--order", request.order,
              {{"first", Request::Order::First},
               {"second", Request::Order::Second},
               {"general", Request::Order::General}},
              "the peaks' kinetic order");
    AddChoice(*fit, "--background", request.background,
              {{"none", Request::Background::None},
               {"constant", Request::Background::Constant},
               {"linear", Request::Background::Linear},
               {"exponential", Request::Background::Exponential}},
              "a background beside the peaks: constant + slope·(T − To), To the first "
              "temperature fitted, or one growing exponentially with T");
    AddChoice(*fit, "--weights", request.weights,
              {{"none", Request::Weights::None}, {"poisson", Request::Weights::Poisson}},
              "the points' weights: equal, or by counting statistics (1/I)");
    AddRead(*fit, "--range", request.range, ReadSpan,
            "fit only the temperatures from TLO to THI (the file's unit)")
        ->option_text("TLO:THI");
    AddReadEach(*fit, "--fix", request.fixes, ReadFix,
                "hold NAME of peak K (default 1) at V instead of fitting it: Et (eV), Vt (Hz), "
                "Nt (cm^-2) or b, the general order; repeatable")
        ->option_text("[K:]NAME=V");
    AddChoice(*fit, "--model", request.model,
              {{"standard", Request::Model::Standard}, {"legacy", Request::Model::Legacy}},
              "the model to fit; legacy runs the window's calculation from the first "
              "temperature in steps of --step and interpolates it linearly");
    AddRead(*fit, "--step", request.stepK, ReadPositive, "the legacy model's step (K)")
        ->option_text("A")
        ->default_str(FloatToStr(request.stepK));
    fit->add_flag("--celsius", request.celsius, "the file's temperatures are in °C");
    fit->add_flag("--json", request.json,
                  "one JSON object instead of the report: model, converged, iterations, "
                  "points, Et_eV, Vt_Hz, Nt_cm2 (each value and stderr), background, "
                  "corr_Et_lnVt, Tm_K, Im_A, fom_percent, r2, reduced_chi2");
    AddRead(
        *fit, "--curve", request.curveFile, [](std::string_view text) { return std::string(text); },
        "write T, the measured and fitted current and the residual as CSV")
        ->option_text("OUT.csv");
    AddRead(*fit, "--plot", request.plotFile, ReadPngName,
            "draw the measured points, the fitted curve and the residuals (in a build with "
            "the window program)")
        ->option_text("OUT.png");
    fit->final_callback([&request] {
        if (request.files.size() != request.betas.size()) {
            throw CLI::ValidationError(
                "each file needs its own --beta: " + std::to_string(request.files.size()) +
                " files, " + std::to_string(request.betas.size()) + " heating rates");
        }
        if (request.sharedCharge && request.files.size() < 2) {
            throw CLI::ValidationError(
                "--shared fits several curves together: give two or more, each with its --beta");
        }
        for (std::size_t i = 0; i < request.files.size(); ++i) {
            request.curves.push_back({request.files[i], request.betas[i]});
        }
        request.file = request.files.front();
        request.beta = request.betas.front();
        if (request.plotFile && !PlotAvailable()) throw CLI::ValidationError(kPlotUnavailable);
        try {
            CheckFitRequest(request);
        } catch (const Exception& e) {
            throw CLI::ValidationError(e.what());
        }
    });
    return fit;
}
