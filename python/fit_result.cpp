#include "fit_result.h"

#include <pybind11/eigen.h>

#include <cmath>
#include <optional>
#include <type_traits>

#include "fit_json.h"
#include "fit_peak.h"
#include "fit_text.h"
#include "value_text.h"

namespace tsc::python {

namespace {

using analysis::FittedPeak;
using analysis::SpectrumFit;

using Maybe = std::optional<double>;

// The values a fit that did not converge does not show.
template <class Make>
py::object IfConverged(const FitOutcome& o, Make make) {
    if (!o.fit.converged) return py::none();
    auto value = make(o.fit);
    if constexpr (std::is_base_of_v<py::object, decltype(value)>) {
        return value;
    } else {
        return py::cast(std::move(value));
    }
}

Maybe Statistic(const FitOutcome& o, double value) {
    return o.fit.converged ? IfFinite(value) : std::nullopt;
}

py::dict JsonOf(const FitOutcome& o) {
    return py::module_::import("json").attr("loads")(analysis::FitJsonText(o.fit, o.description));
}

}  // namespace

void BindFitResult(py::module_& m) {
    BindFitPeak(m);
    py::class_<FitOutcome>(m, "FitResult",
                           "What tsc.fit found. A fit that did not converge says why in "
                           ".failure and shows\nno values: its peaks are empty and its "
                           "statistics and curves None.")
        .def_property_readonly(
            "converged", [](const FitOutcome& o) { return o.fit.converged; },
            "Whether the fit converged to values the data determine.")
        .def_property_readonly(
            "failure",
            [](const FitOutcome& o) -> std::optional<std::string> {
                if (o.fit.converged) return std::nullopt;
                return o.fit.failure;
            },
            "Why the fit did not converge, for a person; None when it did.")
        .def_property_readonly(
            "iterations", [](const FitOutcome& o) { return o.fit.iterations; },
            "The solver's iterations.")
        .def_property_readonly(
            "points", [](const FitOutcome& o) { return o.fit.statistics.points; },
            "How many points were fitted.")
        .def_property_readonly(
            "peaks",
            [](const FitOutcome& o) {
                std::vector<PeakView> peaks;
                if (!o.fit.converged) return peaks;
                for (const FittedPeak& p : o.fit.peaks) peaks.push_back(ViewOf(p, o.description));
                return peaks;
            },
            "The peaks (FitPeak), by ascending Tm.")
        .def_property_readonly(
            "fom", [](const FitOutcome& o) { return Statistic(o, o.fit.statistics.fomPercent); },
            "Figure of merit, %: 100 sum|I - fit| / sum fit.")
        .def_property_readonly(
            "r2", [](const FitOutcome& o) { return Statistic(o, o.fit.statistics.r2); },
            "Coefficient of determination R^2.")
        .def_property_readonly(
            "reduced_chi2",
            [](const FitOutcome& o) { return Statistic(o, o.fit.statistics.reducedChi2); },
            "chi^2 / (points - free values); A^2 unweighted.")
        .def_property_readonly(
            "aic", [](const FitOutcome& o) { return Statistic(o, o.fit.statistics.aic); },
            "Akaike's information criterion, n ln(chi^2/n) + 2p.")
        .def_property_readonly(
            "bic", [](const FitOutcome& o) { return Statistic(o, o.fit.statistics.bic); },
            "Bayesian information criterion, n ln(chi^2/n) + p ln n.")
        .def_property_readonly(
            "parameter_names",
            [](const FitOutcome& o) {
                return o.fit.converged ? o.fit.parameterNames : std::vector<std::string>{};
            },
            "The values the fit moved, as the rows and columns of covariance and "
            "correlation\nname them: Tm[k] (K), ln Im[k], Et/kTm[k] or Et[k] (eV), b[k], "
            "background terms.")
        .def_property_readonly(
            "covariance",
            [](const FitOutcome& o) {
                return IfConverged(o, [](const SpectrumFit& f) { return f.covariance; });
            },
            "Covariance matrix over parameter_names (numpy); NaN for a value on its bound.")
        .def_property_readonly(
            "correlation",
            [](const FitOutcome& o) {
                return IfConverged(o, [](const SpectrumFit& f) { return f.correlation; });
            },
            "Correlation matrix over parameter_names (numpy).")
        .def_property_readonly(
            "T",
            [](const FitOutcome& o) {
                return IfConverged(o, [](const SpectrumFit& f) { return ToArray(f.T); });
            },
            "The fitted temperatures, K, increasing: the points within range.")
        .def_property_readonly(
            "fitted",
            [](const FitOutcome& o) {
                return IfConverged(o, [](const SpectrumFit& f) { return ToArray(f.fitted); });
            },
            "The fitted curve at T: every peak plus the background.")
        .def_property_readonly(
            "components",
            [](const FitOutcome& o) {
                return IfConverged(o, [](const SpectrumFit& f) {
                    py::array_t<double> rows({static_cast<py::ssize_t>(f.peaks.size()),
                                              static_cast<py::ssize_t>(f.T.size())});
                    auto r = rows.mutable_unchecked<2>();
                    for (py::ssize_t k = 0; k < r.shape(0); ++k) {
                        const std::vector<double>& current = f.peaks[k].current;
                        for (py::ssize_t i = 0; i < r.shape(1); ++i) {
                            const auto at = static_cast<std::size_t>(i);
                            r(k, i) = at < current.size() ? current[at] : analysis::kNotAValue;
                        }
                    }
                    return rows;
                });
            },
            "Each peak's current at T, one row per peak in the order of peaks.")
        .def_property_readonly(
            "background",
            [](const FitOutcome& o) {
                return IfConverged(
                    o, [](const SpectrumFit& f) { return ToArray(f.background.current); });
            },
            "The background's current at T (zeros with background=\"none\").")
        .def_property_readonly(
            "notes", [](const FitOutcome& o) { return o.fit.notes; },
            "How the peaks were found and their number chosen.")
        .def("to_dict", &JsonOf,
             "The fit as the dict of tsccurve fit --json: the same keys and numbers.")
        .def(
            "report", [](const FitOutcome& o) { return analysis::FitText(o.fit, o.description); },
            "The fit as the report tsccurve fit prints, with every unit written.")
        .def("__repr__", [](const FitOutcome& o) {
            if (!o.fit.converged) return "<FitResult not converged: " + o.fit.failure + ">";
            return "<FitResult converged: " + std::to_string(o.fit.peaks.size()) +
                   " peak(s), FOM " + analysis::Significant(o.fit.statistics.fomPercent, 3) +
                   " %, R² " + analysis::Significant(o.fit.statistics.r2, 8) + ">";
        });
}

}  // namespace tsc::python
