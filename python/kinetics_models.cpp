// tsc.first_order, second_order and general_order: the kinetics the fit
// uses, as currents in the window's units at any temperatures.
#include <cmath>
#include <optional>
#include <vector>

#include "bindings.h"
#include "fit_description.h"
#include "peak_kinetics.h"

namespace tsc::python {

namespace {

using analysis::DensityOfCharge;

py::array_t<double> Current(py::object temperatures, double Et, double Vt, double b, double Nt,
                            double beta, double S, std::optional<double> To,
                            const std::string& betaUnit) {
    const std::vector<double> T = FiniteArray(temperatures, "T");
    const analysis::PeakLevel level{
        Positive(Et, "Et"), std::log(Positive(Vt, "Vt")),
        // The charge q S Nt, 0 (ln -inf) for an empty or a vanishing trap.
        std::log(NotNegative(Nt, "Nt") / DensityOfCharge(1, NotNegative(S, "S"))),
        Positive(b, "b")};
    const HeatingRateInput rate = HeatingRateOf(beta, betaUnit);
    const std::vector<std::size_t> order = StableOrder(T);
    const std::vector<double> sorted = Reordered(T, order);
    const double start = To ? Positive(*To, "To") : sorted.front();
    if (!(sorted.front() > 0)) throw py::value_error("T must be above 0 K");
    if (sorted.front() < start) {
        throw py::value_error("T holds temperatures below To: the traps start to empty at To");
    }
    std::vector<double> lnI(T.size()), I(T.size());
    {
        py::gil_scoped_release released;
        analysis::EvaluatePeak(level, {start, rate.kPerSecond}, sorted, {lnI, {}, {}, {}});
        for (std::size_t i = 0; i < order.size(); ++i) I[order[i]] = std::exp(lnI[i]);
    }
    return ToArray(I);
}

constexpr const char* kUnits = R"(
T is an array of temperatures (K) in any order; the currents come back in
its order. Et in eV, Vt in Hz (the effective frequency s of the general-order
form), Nt in cm^-2, beta in K/min (K/s with beta_unit="K/s"), S in mm^2; the
current in A. The traps start to empty at To, by default the lowest T; no T
may lie below it. These are the kinetics the fit uses.)";

}  // namespace

void BindKineticsModels(py::module_& m) {
    m.def(
        "first_order",
        [](py::object T, double Et, double Vt, double Nt, double beta, double S,
           std::optional<double> To, const std::string& beta_unit) {
            return Current(T, Et, Vt, 1, Nt, beta, S, To, beta_unit);
        },
        py::arg("T"), py::arg("Et"), py::arg("Vt"), py::arg("Nt"), py::arg("beta"), py::arg("S"),
        py::kw_only(), py::arg("To") = py::none(), py::arg("beta_unit") = "K/min",
        (std::string("The current of a first-order peak (Randall and Wilkins):\n\n"
                     "  I = q S Nt Vt exp(-Et/kT) exp(-(Vt/beta) integral_To^T exp(-Et/kT') "
                     "dT')\n") +
         kUnits)
            .c_str());
    m.def(
        "second_order",
        [](py::object T, double Et, double Vt, double Nt, double beta, double S,
           std::optional<double> To, const std::string& beta_unit) {
            return Current(T, Et, Vt, 2, Nt, beta, S, To, beta_unit);
        },
        py::arg("T"), py::arg("Et"), py::arg("Vt"), py::arg("Nt"), py::arg("beta"), py::arg("S"),
        py::kw_only(), py::arg("To") = py::none(), py::arg("beta_unit") = "K/min",
        (std::string("The current of a second-order peak (Garlick and Gibson):\n\n"
                     "  I = q S Nt Vt exp(-Et/kT) / [1 + (Vt/beta) integral_To^T exp(-Et/kT') "
                     "dT']^2\n") +
         kUnits)
            .c_str());
    m.def("general_order", &Current, py::arg("T"), py::arg("Et"), py::arg("Vt"), py::arg("b"),
          py::arg("Nt"), py::arg("beta"), py::arg("S"), py::kw_only(), py::arg("To") = py::none(),
          py::arg("beta_unit") = "K/min",
          (std::string("The current of a general-order peak of order b (May and Partridge):\n\n"
                       "  I = q S Nt Vt exp(-Et/kT)\n"
                       "      [1 + (b-1)(Vt/beta) integral_To^T exp(-Et/kT') dT']^(-b/(b-1))\n\n"
                       "b = 1 is first order, b = 2 second order; b must be above 0.\n") +
           kUnits)
              .c_str());
}

}  // namespace tsc::python
