#include "fit_peak.h"

#include <cmath>

#include "value_text.h"

namespace tsc::python {

std::optional<double> IfFinite(double value) {
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

namespace {

using analysis::Estimate;
using analysis::PeakVerdict;

using Maybe = std::optional<double>;

Maybe Error(const Estimate& e) {
    return e.fitted && !e.derived ? IfFinite(e.stderr_) : std::nullopt;
}

std::string Shown(const Maybe& value, const Maybe& error, const char* unit) {
    if (!value) return "None";
    std::string text = analysis::Significant(*value, 6);
    if (error) text += " ± " + analysis::Significant(*error, 2);
    return text + unit;
}

}  // namespace

PeakView ViewOf(const analysis::FittedPeak& p, const analysis::FitDescription& d) {
    PeakView v;
    v.verdict = VerdictKey(p.verdict);
    v.why = p.why;
    if (p.verdict == PeakVerdict::RanAway) return v;
    v.Tm = IfFinite(p.Tm.value);
    v.Im = IfFinite(p.Im.value);
    v.Et = IfFinite(p.Et.value);
    v.Et_stderr = Error(p.Et);
    v.Vt = IfFinite(p.Vt.value);
    v.Vt_stderr = Error(p.Vt);
    v.b = IfFinite(p.b.value);
    v.b_stderr = Error(p.b);
    v.charge = IfFinite(p.charge.value);
    v.charge_stderr = Error(p.charge);
    v.share = IfFinite(p.share);
    if (d.areaMm2) {
        // Scaled as the reports scale it.
        const double perCharge = analysis::DensityOfCharge(1, *d.areaMm2);
        v.Nt = IfFinite(p.charge.value * perCharge);
        if (v.charge_stderr) v.Nt_stderr = *v.charge_stderr * perCharge;
    }
    const auto held = [](const Estimate& e) { return !e.fitted && !e.derived; };
    if (held(p.Et)) v.fixed.push_back("Et");
    if (held(p.Vt)) v.fixed.push_back("Vt");
    if (held(p.b)) v.fixed.push_back("b");
    if (held(p.charge)) v.fixed.push_back(d.areaMm2 ? "Nt" : "charge");
    return v;
}

void BindFitPeak(py::module_& m) {
    py::class_<PeakView>(m, "FitPeak",
                         "One fitted peak. Energies in eV, frequencies in Hz, temperatures in K, "
                         "Im and\ncharge in the measurement's unit (A and A s). A value the fit "
                         "does not give,\nor an error it does not have (a value held fixed), is "
                         "None; a peak that ran\naway gives none.")
        .def_readonly("verdict", &PeakView::verdict,
                      "\"determined\", \"undetermined\" (the data do not pin some value down) "
                      "or \"ran away\".")
        .def_readonly("why", &PeakView::why, "Why the verdict, for a person; empty if none.")
        .def_readonly("Tm", &PeakView::Tm, "Peak temperature, K.")
        .def_readonly("Im", &PeakView::Im, "Peak current.")
        .def_readonly("Et", &PeakView::Et, "Activation energy, eV.")
        .def_readonly("Et_stderr", &PeakView::Et_stderr, "Standard error of Et.")
        .def_readonly("Vt", &PeakView::Vt, "(Effective) escape frequency, Hz.")
        .def_readonly("Vt_stderr", &PeakView::Vt_stderr, "Standard error of Vt.")
        .def_readonly("b", &PeakView::b, "Kinetic order: 1, 2, or fitted with order=\"general\".")
        .def_readonly("b_stderr", &PeakView::b_stderr, "Standard error of b, when fitted.")
        .def_readonly("Nt", &PeakView::Nt, "Trap density, cm^-2; only with area.")
        .def_readonly("Nt_stderr", &PeakView::Nt_stderr, "Standard error of Nt.")
        .def_readonly("charge", &PeakView::charge, "Released charge, the integral of I dt.")
        .def_readonly("charge_stderr", &PeakView::charge_stderr, "Standard error of charge.")
        .def_readonly("share", &PeakView::share, "Share of the fitted peaks' charge.")
        .def_readonly("fixed", &PeakView::fixed, "The names of the values held fixed.")
        .def("__repr__", [](const PeakView& p) {
            if (p.verdict == "ran away") return "<FitPeak ran away: " + p.why + ">";
            return "<FitPeak Tm=" + Shown(p.Tm, {}, " K") +
                   " Et=" + Shown(p.Et, p.Et_stderr, " eV") +
                   " Vt=" + Shown(p.Vt, p.Vt_stderr, " Hz") + " b=" + Shown(p.b, p.b_stderr, "") +
                   " (" + p.verdict + ")>";
        });
}

}  // namespace tsc::python
