// tsc.fit_global: curves of one sample at several heating rates fitted
// together, each level's Et, Vt and b shared by every curve, as tsccurve fit
// does with several --beta and files. The GIL is released while it runs.
#include <pybind11/eigen.h>

#include <optional>
#include <string>
#include <vector>

#include "bindings.h"
#include "curve_reading.h"
#include "fit_input.h"
#include "fit_peak.h"
#include "fit_request.h"
#include "fit_result.h"
#include "joint_fit.h"
#include "joint_json.h"
#include "joint_rate_method.h"
#include "joint_text.h"
#include "value_text.h"

namespace tsc::python {

namespace {

using namespace analysis;

struct GlobalOutcome {
    JointFit fit;
    JointDescription description;
};

struct GlobalArguments {
    std::string betaUnit;
    std::optional<double> area;
    py::object peaks, fix, range;
    std::string order, background, weights;
    std::optional<std::string> shared;
};

// Whether the charges are shared too; shared given at all lets curves at
// one heating rate be fitted together, which otherwise tell nothing more.
bool SharedCharge(const std::optional<std::string>& shared) {
    if (!shared || *shared == "Et,Vt,b") return false;
    if (*shared == "Et,Vt,b,Nt") return true;
    throw py::value_error("shared takes \"Et,Vt,b\" or \"Et,Vt,b,Nt\", not \"" + *shared + "\"");
}

struct OneCurve {
    MeasuredCurve curve;
    FitRequest request;
};

OneCurve ReadOne(py::handle item, std::size_t index, const GlobalArguments& a) {
    const std::string where = "curves[" + std::to_string(index) + "]";
    if (!py::isinstance<py::sequence>(item) || py::isinstance<py::str>(item)) {
        throw py::type_error(where + " is not a tuple (beta, T, I) or (beta, curve)");
    }
    const py::sequence parts = py::reinterpret_borrow<py::sequence>(item);
    const std::size_t size = parts.size();
    if (size != 2 && size != 3) {
        throw py::value_error(where + " holds " + std::to_string(size) +
                              " items, not (beta, T, I) or (beta, curve)");
    }
    const double beta = Number(parts[0], where + "'s beta");
    FitRequest request = ReadFitArguments(
        {beta, a.betaUnit, a.area, a.peaks, a.fix, a.range, a.order, a.background, a.weights});
    MeasuredCurve curve;
    if (size == 2) {
        if (!py::isinstance<Curve>(parts[1])) {
            throw py::type_error(where + " is (beta, curve) without a Curve from read_curve");
        }
        const Curve& read = parts[1].cast<const Curve&>();
        request.description.file = FileSystemText(read.file).cast<std::string>();
        request.description.reorderedPoints = read.reordered;
        curve = SortedCurve(read.T, read.I);
    } else {
        request.description.file = "curve " + std::to_string(index + 1);
        curve = SortedCurve(parts[1], parts[2]);
    }
    return {CurveToFit(curve, request, request.description.file), request};
}

GlobalOutcome FitGlobal(py::iterable items, const GlobalArguments& a) {
    const bool sharedCharge = SharedCharge(a.shared);
    std::vector<OneCurve> curves;
    for (py::handle item : items) curves.push_back(ReadOne(item, curves.size(), a));
    if (curves.size() < 2) {
        throw py::value_error(
            "fit_global fits two or more curves, each at its heating rate; "
            "tsc.fit fits one");
    }
    for (std::size_t i = 0; i < curves.size(); ++i) {
        for (std::size_t j = 0; j < i && !a.shared; ++j) {
            if (curves[i].request.description.beta.kPerMin ==
                curves[j].request.description.beta.kPerMin) {
                throw py::value_error(
                    "curves " + std::to_string(j + 1) + " and " + std::to_string(i + 1) +
                    " are both at " + RateText(curves[i].request.description.beta) +
                    ": curves at one heating rate give no information on Vt beyond one curve's; "
                    "give shared=\"Et,Vt,b\" to fit them together all the same");
            }
        }
    }
    GlobalOutcome outcome;
    outcome.description.sharedCharge = sharedCharge;
    std::vector<JointCurveData> data;
    std::vector<double> rates;
    for (const OneCurve& one : curves) {
        outcome.description.curves.push_back(one.request.description);
        data.push_back({one.curve.T, one.curve.I, one.request.request.betaPerSecond});
        rates.push_back(one.request.description.beta.kPerMin);
    }
    {
        py::gil_scoped_release released;
        outcome.fit = FitJointly(data, {curves.front().request.request, sharedCharge});
    }
    if (!outcome.fit.refusal.empty()) throw py::value_error(outcome.fit.refusal);
    outcome.description.rateMethod = RateMethodBeside(outcome.fit, rates);
    return outcome;
}

// Curve c's own part of the fit, or its fit alone, as tsc.fit gives it.
std::vector<FitOutcome> PerCurve(const GlobalOutcome& o, const std::vector<SpectrumFit>& fits) {
    std::vector<FitOutcome> each;
    for (std::size_t c = 0; c < fits.size() && c < o.description.curves.size(); ++c) {
        each.push_back({fits[c], o.description.curves[c]});
    }
    return each;
}

std::optional<double> Statistic(const GlobalOutcome& o, double value) {
    return o.fit.converged ? IfFinite(value) : std::nullopt;
}

constexpr const char* kDoc = R"(Fits curves of one sample at several heating rates together.

curves is a list of (beta, T, I) or (beta, curve), curve from read_curve,
each at its own heating rate (in beta_unit). Every trap level has one Et,
one Vt and one b for all of them; each curve has its own charges (Nt) and
background, unless shared="Et,Vt,b,Nt" shares the charges too. Curves at one
heating rate tell nothing about Vt beyond one curve and are refused unless
shared is given. The other keyword arguments are tsc.fit's, for every curve.

Returns a GlobalFitResult: the same values, report and dict as tsccurve fit
--beta B1 FILE1 --beta B2 FILE2 .... A fit that does not converge is no
exception: .converged is False and .failure says why.

Raises ValueError for fewer than two curves, curves whose peaks do not move
up with the heating rate, and whatever tsc.fit refuses.)";

}  // namespace

void BindFitGlobal(py::module_& m) {
    py::class_<GlobalOutcome>(m, "GlobalFitResult",
                              "What tsc.fit_global found. A fit that did not converge says why "
                              "in .failure\nand shows no values.")
        .def_property_readonly("converged", [](const GlobalOutcome& o) { return o.fit.converged; })
        .def_property_readonly("failure",
                               [](const GlobalOutcome& o) -> std::optional<std::string> {
                                   if (o.fit.converged) return std::nullopt;
                                   return o.fit.failure;
                               })
        .def_property_readonly(
            "peaks",
            [](const GlobalOutcome& o) {
                std::vector<PeakView> peaks;
                if (!o.fit.converged) return peaks;
                for (const FittedPeak& p : o.fit.peaks) {
                    peaks.push_back(ViewOf(p, o.description.curves.front()));
                }
                return peaks;
            },
            "The shared values (FitPeak) by ascending Tm on the first curve: Et, Vt, b, and\n"
            "the charge where shared.")
        .def_property_readonly(
            "curves",
            [](const GlobalOutcome& o) {
                return o.fit.converged ? PerCurve(o, o.fit.curves) : std::vector<FitOutcome>{};
            },
            "Each curve's part of the fit (FitResult) in the order given: its own charges,\n"
            "background, statistics and fitted curve, with the shared Et, Vt and b.")
        .def_property_readonly(
            "singles", [](const GlobalOutcome& o) { return PerCurve(o, o.fit.singles); },
            "Each curve's fit on its own (FitResult), which the start values came from.")
        .def_property_readonly(
            "fom", [](const GlobalOutcome& o) { return Statistic(o, o.fit.statistics.fomPercent); },
            "Figure of merit over every curve, %.")
        .def_property_readonly(
            "r2", [](const GlobalOutcome& o) { return Statistic(o, o.fit.statistics.r2); })
        .def_property_readonly("parameter_names",
                               [](const GlobalOutcome& o) {
                                   return o.fit.converged ? o.fit.parameterNames
                                                          : std::vector<std::string>{};
                               })
        .def_property_readonly(
            "correlation",
            [](const GlobalOutcome& o) -> py::object {
                if (!o.fit.converged) return py::none();
                return py::cast(o.fit.correlation);
            },
            "Correlation matrix over parameter_names (numpy).")
        .def_property_readonly("notes", [](const GlobalOutcome& o) { return o.fit.notes; })
        .def(
            "to_dict",
            [](const GlobalOutcome& o) {
                return py::module_::import("json").attr("loads")(
                    JointJsonText(o.fit, o.description));
            },
            "The fit as the dict of tsccurve fit --json with several curves.")
        .def(
            "report", [](const GlobalOutcome& o) { return JointText(o.fit, o.description); },
            "The fit as the report tsccurve fit prints for several curves.")
        .def("__repr__", [](const GlobalOutcome& o) {
            if (!o.fit.converged) return "<GlobalFitResult not converged: " + o.fit.failure + ">";
            return "<GlobalFitResult converged: " + std::to_string(o.fit.peaks.size()) +
                   " peak(s) over " + std::to_string(o.fit.curves.size()) + " curves, FOM " +
                   Significant(o.fit.statistics.fomPercent, 3) + " %>";
        });
    m.def(
        "fit_global",
        [](py::iterable curves, const std::string& betaUnit, std::optional<double> area,
           py::object peaks, const std::string& order, const std::string& background,
           const std::string& weights, py::object fix, py::object range,
           std::optional<std::string> shared) {
            return FitGlobal(
                curves, {betaUnit, area, peaks, fix, range, order, background, weights, shared});
        },
        py::arg("curves"), py::kw_only(), py::arg("beta_unit") = "K/min",
        py::arg("area") = py::none(), py::arg("peaks") = 1, py::arg("order") = "first",
        py::arg("background") = "none", py::arg("weights") = "none", py::arg("fix") = py::none(),
        py::arg("range") = py::none(), py::arg("shared") = py::none(), kDoc);
}

}  // namespace tsc::python
