#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "deconvolution.h"
#include "heating_rate_option.h"

// What `tsccurve fit` was asked to do, as the command line says it; the fit
// engine takes from it what it supports (fit_engine_options.h).
struct FitRequest {
    enum class Model { Standard, Legacy };
    enum class Order { First, Second, General };
    enum class Background { None, Constant, Linear, Exponential };
    enum class Weights { None, Poisson };
    enum class Parameter { Et, Vt, Nt, b };

    // --peaks: found by the fit, a number of them, or one near each
    // temperature given.
    struct Peaks {
        enum class Kind { Auto, Count, Near } kind = Kind::Count;
        int count = 1;
        std::vector<double> temperatures;  // in the file's unit, increasing
    };

    // --fix [K:]NAME=V
    struct Fix {
        int peak = 1;  // 1-based
        Parameter parameter = Parameter::Et;
        double value = 0;
    };

    std::string file;
    HeatingRate beta;
    // Every FILE and --beta as given, and the curves they pair into: FILE
    // --beta B, or --beta B1 FILE1 --beta B2 FILE2 ..., as `methods` pairs
    // them. Two or more curves are fitted together; `file` and `beta` are
    // the first pair.
    struct Curve {
        std::string file;
        HeatingRate beta;
    };
    std::vector<std::string> files;
    std::vector<HeatingRate> betas;
    std::vector<Curve> curves;
    // --shared: given, and whether Nt is shared too (Et, νt and b always are).
    std::optional<bool> sharedCharge;
    std::optional<double> areaMm2;  // without it the fit reports the released charge
    Peaks peaks;
    Order order = Order::First;
    Background background = Background::None;
    Weights weights = Weights::None;
    std::optional<std::pair<double, double>> range;  // in the file's unit
    std::vector<Fix> fixes;
    Model model = Model::Standard;
    double stepK = 0.2;  // the window's step, for the legacy model
    bool celsius = false;
    bool json = false;
    std::optional<std::string> curveFile, plotFile;
};

// The texts of --peaks and --fix; throw Exception with the reason.
FitRequest::Peaks ReadPeaks(std::string_view text);
FitRequest::Fix ReadFix(std::string_view text);
// --shared Et,Vt,b or Et,Vt,b,Nt, in any order: whether Nt is shared.
bool ReadShared(std::string_view text);

// What no fit engine can do with the request, whatever it supports: a fixed
// Nt without the area it is a density over, b fixed outside the general
// order, a peak number beyond the peaks asked for, a value fixed twice.
// Throws Exception with the reason.
void CheckFitRequest(const FitRequest& request);
