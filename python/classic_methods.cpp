// tsc.methods and tsc.heating_rate: the classic methods on curves given as
// arrays, answered with the object `tsccurve methods --json` prints, so that
// every quantity the command line reports comes to Python the same way: a
// method added to CurveMethods reaches Python with the line that adds it to
// that JSON.
#include "bindings.h"
#include "methods_report.h"

namespace tsc::python {

namespace {

using analysis::EvaluateCurve;
using analysis::MethodRefusal;
using analysis::PeakAtRate;
using analysis::PeakLocation;
using analysis::RiseWindow;

struct SampledCurve {
    double kPerMin = 0;
    std::vector<double> T, I;
};

SampledCurve Sampled(double beta, const std::string& unit, py::handle T, py::handle I) {
    const HeatingRateInput rate = HeatingRateOf(beta, unit);
    const std::vector<double> temperatures = FiniteArray(T, "T");
    const std::vector<double> currents = FiniteArray(I, "I");
    CheckSameLength(temperatures, "T", currents, "I");
    const std::vector<std::size_t> order = StableOrder(temperatures);
    return {rate.kPerMin, Reordered(temperatures, order), Reordered(currents, order)};
}

RiseWindow Rise(py::handle rise) {
    const std::vector<double> ends = FiniteArray(rise, "rise");
    if (ends.size() != 2 || !(0 < ends[0] && ends[0] < ends[1] && ends[1] < 1)) {
        throw py::value_error(
            "rise takes two fractions of the peak current (low, high) with 0 < low < high < 1");
    }
    return {ends[0], ends[1]};
}

// The methods on every curve and, for a series, the heating-rate method
// over their peaks, as tsccurve methods evaluates its files.
py::dict Evaluate(const std::vector<SampledCurve>& curves, RiseWindow rise, bool series) {
    MethodsResults results;
    {
        py::gil_scoped_release released;
        std::vector<PeakAtRate> peaks;
        bool everyCurveHasAPeak = true;
        for (const SampledCurve& c : curves) {
            results.curves.push_back(
                {{"", c.kPerMin}, rise, EvaluateCurve(c.T, c.I, c.kPerMin, rise)});
            if (const PeakLocation* peak = Applied(results.curves.back().methods.peak)) {
                peaks.push_back({c.kPerMin, peak->Tm});
            } else {
                everyCurveHasAPeak = false;
            }
        }
        if (series) {
            results.heatingRate =
                everyCurveHasAPeak ? analysis::HeatingRateMethod(peaks)
                                   : analysis::Outcome<analysis::HeatingRateEstimate>(
                                         MethodRefusal{analysis::RefusalReason::CurveWithoutPeak});
        }
    }
    py::dict object = py::module_::import("json").attr("loads")(MethodsJson(results));
    // Arrays have no file name.
    for (py::handle curve : object["curves"]) curve.attr("pop")("file");
    return object;
}

}  // namespace

void BindClassicMethods(py::module_& m) {
    m.def(
        "methods",
        [](py::object T, py::object I, std::optional<double> beta, const std::string& beta_unit,
           py::object rise) {
            const py::dict result =
                Evaluate({Sampled(RequiredBeta(beta), beta_unit, T, I)}, Rise(rise), false);
            return py::dict(result["curves"].cast<py::list>()[0]);
        },
        py::arg("T"), py::arg("I"), py::kw_only(), py::arg("beta") = py::none(),
        py::arg("beta_unit") = "K/min", py::arg("rise") = py::make_tuple(0.01, 0.10),
        R"(The classic methods on one curve, as tsccurve methods --json gives them.

T (K) and I (A) are arrays of the same length in any order; beta is the
heating rate in beta_unit ("K/min" or "K/s"); rise the initial-rise window
as fractions of the peak current.

Returns a dict: the peak (Tm_K, Im_A, from a local fit), the half-intensity
temperatures and widths (T1_K, T2_K, tau_K, delta_K, omega_K, mu_g), Chen's
peak-shape energies (chen: tau, delta, omega, each Et_eV and Vt_Hz) and the
initial rise (initial_rise: Et_eV, stderr, points). A method that does not
apply is None, and dict["why"] holds the reason under the same key.)");

    m.def(
        "heating_rate",
        [](py::iterable series, py::object rise) {
            std::vector<SampledCurve> curves;
            for (py::handle item : series) {
                if (!py::isinstance<py::sequence>(item) || py::len(item) != 3) {
                    throw py::type_error("heating_rate takes a list of (beta, T, I) triples");
                }
                const py::sequence triple = py::reinterpret_borrow<py::sequence>(item);
                curves.push_back(Sampled(Number(triple[0], "beta"), "K/min", triple[1], triple[2]));
            }
            return Evaluate(curves, Rise(rise), true);
        },
        py::arg("curves"), py::kw_only(), py::arg("rise") = py::make_tuple(0.01, 0.10),
        R"(The heating-rate method over curves measured at different heating rates.

curves is a list of (beta, T, I): the heating rate in K/min and the curve's
arrays. Each curve is evaluated as by methods(), and the peaks' Tm give the
straight line ln(Tm^2/beta) = Et/(k Tm) + ln(Et/(k Vt)).

Returns a dict as tsccurve methods --json prints for several files:
"curves" (one methods() dict each) and "heating_rate" (Et_eV and Vt_Hz, each
value and stderr, and r2), which is None with its reason in dict["why"]
where the method does not apply: fewer than two curves, a curve without a
peak, peaks that do not move.)");
}

}  // namespace tsc::python
