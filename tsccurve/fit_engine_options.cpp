#include "fit_engine_options.h"

#include "exception.h"

namespace {

using tsc::analysis::FitOptions;

[[noreturn]] void NotYetSupported(const std::string& what) {
    throw Exception(what + " is not yet supported");
}

void Fix(FitOptions& options, const FitRequest::Fix& fix) {
    switch (fix.parameter) {
        case FitRequest::Parameter::Et:
            options.fixedEt = fix.value;
            return;
        case FitRequest::Parameter::Vt:
            options.fixedVt = fix.value;
            return;
        case FitRequest::Parameter::Nt:
            options.fixedNt = fix.value;
            return;
        case FitRequest::Parameter::b:
            break;
    }
    NotYetSupported("--fix b");
}

tsc::analysis::Background EngineBackground(FitRequest::Background background) {
    switch (background) {
        case FitRequest::Background::None:
            return tsc::analysis::Background::None;
        case FitRequest::Background::Constant:
            return tsc::analysis::Background::Constant;
        case FitRequest::Background::Linear:
            return tsc::analysis::Background::Linear;
        case FitRequest::Background::Exponential:
            break;
    }
    NotYetSupported("--background exponential");
}

}  // namespace

FitOptions EngineOptions(const FitRequest& request) {
    if (request.peaks.kind != FitRequest::Peaks::Kind::Count || request.peaks.count != 1) {
        NotYetSupported("--peaks other than 1");
    }
    if (request.order != FitRequest::Order::First) NotYetSupported("--order other than first");
    if (request.weights != FitRequest::Weights::None) NotYetSupported("--weights poisson");
    if (!request.areaMm2) {
        throw Exception(
            "a fit without --area (reporting the released charge instead of Nt) is not yet "
            "supported: give the cross-section with --area mm^2");
    }
    FitOptions options;
    options.model = request.model == FitRequest::Model::Standard ? tsc::analysis::FitModel::Standard
                                                                 : tsc::analysis::FitModel::Legacy;
    options.Beta = request.beta.kelvinPerMinute;
    options.S = *request.areaMm2;
    options.step = request.stepK;
    options.background = EngineBackground(request.background);
    for (const FitRequest::Fix& fix : request.fixes) Fix(options, fix);
    if (FittedParameterCount(options) == 0) {
        throw Exception("with Et, Vt and Nt fixed and no background there is nothing to fit");
    }
    return options;
}
