// tsc.window_curve: the window's own calculation, run as `tsccurve
// --results` runs it: from a fresh state, with the command line's step limit
// and its refusals in its words.
#include <optional>
#include <vector>

#include "bindings.h"
#include "exception.h"
#include "number_text.h"
#include "parameter_check.h"
#include "run_calculation.h"
#include "subcommands.h"

namespace tsc::python {

namespace {

struct WindowCurve {
    py::array_t<double> T, I;
    std::optional<double> Tm, Im;
};

// A number, or a text read as the window reads its fields: through the
// extended format, which a very few texts leave a bit away from Python's
// float() of them.
double ParameterValue(py::handle value, const ParameterInfo& info) {
    if (py::isinstance<py::str>(value)) {
        try {
            return StrToFloat(value.cast<std::string>());
        } catch (const Exception& e) {
            throw py::value_error(std::string(info.symbol) + ": " + e.what());
        }
    }
    return Number(value, info.symbol);
}

WindowCurve Calculate(const std::vector<py::object>& values) {
    CalcState state;
    for (std::size_t i = 0; i < kParameters.size(); ++i) {
        state.*kParameters[i].member = ParameterValue(values[i], kParameters[i]);
    }
    if (const auto refusal = CheckParameters(state, kCommandLineMaxSteps)) {
        throw py::value_error(RefusalText(*refusal));
    }
    std::vector<double> T, I;
    std::optional<ResultRow> last;
    {
        py::gil_scoped_release released;
        RunCalculation(state, [&](const ResultRow& row) {
            T.push_back(row.T);
            I.push_back(row.Itsc);
            last = row;
        });
    }
    WindowCurve curve{ToArray(T), ToArray(I), std::nullopt, std::nullopt};
    if (last) {
        curve.Tm = last->Tpeak;
        curve.Im = last->Ipeak;
    }
    return curve;
}

}  // namespace

void BindWindowCurve(py::module_& m) {
    py::class_<WindowCurve>(m, "WindowCurve",
                            "The window's curve: the temperatures of its steps and their "
                            "currents, and the peak its peak fields show.")
        .def_readonly("T", &WindowCurve::T, "The step temperatures, K.")
        .def_readonly("I", &WindowCurve::I, "The currents at the steps, A.")
        .def_readonly("Tm", &WindowCurve::Tm,
                      "The peak temperature the window shows, K (None without a step).")
        .def_readonly("Im", &WindowCurve::Im,
                      "The peak current the window shows, A (None without a step).")
        .def("__repr__", [](const WindowCurve& c) {
            return "<WindowCurve: " + std::to_string(c.T.size()) + " steps, peak " +
                   (c.Tm ? FloatToStr(*c.Tm) + " K " + FloatToStr(*c.Im) + " A" : "none") + ">";
        });

    m.def(
        "window_curve",
        [](py::object Et, py::object Vt, py::object Nt, py::object To, py::object Tend,
           py::object beta, py::object S, py::object a) {
            return Calculate({Et, Vt, Nt, To, Tend, beta, S, a});
        },
        py::arg("Et"), py::arg("Vt"), py::arg("Nt"), py::arg("To"), py::arg("Tend"),
        py::arg("beta"), py::arg("S"), py::arg("a"),
        R"(The window's calculation of one trap level, bit for bit.

Et (eV), Vt (Hz), Nt (cm^-2), To and Tend (K), beta (K/min), S (mm^2) and
the step a (K) are the window's eight fields, in their order and units. Each
is a number, or the text as typed into the field, which is then read exactly
as the window reads it.

Returns a WindowCurve: the arrays T and I, one element per step from To to
Tend, the same numbers `tsccurve --results` writes, and the peak Tm, Im
that the window's peak fields show. Every call starts from a cleared
window: no running integral carries over.

Raises ValueError with tsccurve's words for a parameter set it refuses
(a negative value, a step that does not advance, too many steps, ...).)");
}

}  // namespace tsc::python
