// tsc.fit: a measured curve taken apart into trap levels and a background
// by the engine's deconvolution, with the GIL released while it runs.
#include "bindings.h"
#include "curve_reading.h"
#include "deconvolution.h"
#include "fit_input.h"
#include "fit_request.h"
#include "fit_result.h"

namespace tsc::python {

namespace {

using analysis::MeasuredCurve;

FitOutcome Run(const MeasuredCurve& curve, FitRequest r, const std::string& name) {
    r.description.file = name;
    const MeasuredCurve within = CurveToFit(curve, r, name);
    FitOutcome outcome{{}, r.description};
    py::gil_scoped_release released;
    outcome.fit = analysis::Deconvolve(within.T, within.I, r.request);
    return outcome;
}

FitOutcome FitArrays(py::handle T, py::handle I, const FitArguments& arguments) {
    return Run(SortedCurve(T, I), ReadFitArguments(arguments), "the curve");
}

FitOutcome FitCurve(const Curve& curve, const FitArguments& arguments) {
    FitRequest request = ReadFitArguments(arguments);
    request.description.reorderedPoints = curve.reordered;
    return Run(SortedCurve(curve.T, curve.I), request,
               FileSystemText(curve.file).cast<std::string>());
}

constexpr const char* kFitDoc = R"(Fits trap levels and a background to a measured curve.

T (K) and I (A, or counts) are arrays of the same length in any order, or a
Curve from read_curve in their place, whose file name the report then
names. The keyword arguments are tsccurve fit's options:

  beta        heating rate, in beta_unit: "K/min" (the window's) or "K/s"
  area        cross-section in mm^2; with it each peak's charge is also a
              trap density Nt (cm^-2). I is then in A.
  peaks       1 (the largest), a number up to 15, "auto" (chosen by BIC and
              the residuals), or a list of temperatures (K) to start from
  order       "first", "second" or "general" (b fitted) kinetics
  background  "none", "constant", "linear" or "exponential"
  weights     "none", or "poisson" for counts
  fix         values held fixed: {"Et": 0.5, "2:Vt": 1e12, "Nt": 1e10}; a
              name alone is peak 1, "K:NAME" peak K counted from the
              coldest. Names: Et (eV), Vt (Hz), b (general order), Nt
              (cm^-2, needs area).
  range       (low, high): fit only the points within, in K

Returns a FitResult. A fit that does not converge is no exception: its
.converged is False and .failure says why. The GIL is released while the fit
runs, so threads fit curves side by side.

Raises ValueError for arguments the fit cannot take (too few points, NaN,
unknown choices) and TypeError for arrays or values of the wrong kind.)";

}  // namespace

void BindFit(py::module_& m) {
    BindFitResult(m);
    const auto define = [&](const char* doc, auto function, auto... leading) {
        m.def("fit", function, leading..., py::kw_only(), py::arg("beta") = py::none(),
              py::arg("beta_unit") = "K/min", py::arg("area") = py::none(), py::arg("peaks") = 1,
              py::arg("order") = "first", py::arg("background") = "none",
              py::arg("weights") = "none", py::arg("fix") = py::none(),
              py::arg("range") = py::none(), doc);
    };
    using Area = std::optional<double>;
    define(
        kFitDoc,
        [](py::object T, py::object I, std::optional<double> beta, const std::string& betaUnit,
           Area area, py::object peaks, const std::string& order, const std::string& background,
           const std::string& weights, py::object fix, py::object range) {
            return FitArrays(T, I,
                             {beta, betaUnit, area, peaks, fix, range, order, background, weights});
        },
        py::arg("T"), py::arg("I"));
    define(
        "The same for a Curve from read_curve: the report names its file and the points it "
        "sorted.",
        [](const Curve& curve, std::optional<double> beta, const std::string& betaUnit, Area area,
           py::object peaks, const std::string& order, const std::string& background,
           const std::string& weights, py::object fix, py::object range) {
            return FitCurve(curve,
                            {beta, betaUnit, area, peaks, fix, range, order, background, weights});
        },
        py::arg("curve"));
}

}  // namespace tsc::python
