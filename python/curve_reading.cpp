// tsc.read_curve and tsc.CurveError: a measured curve read as tsccurve reads
// it, and its refusals with their file, line and reason.
#include "curve_reading.h"

#include <Python.h>

#include "bindings.h"
#include "measured_curve.h"

namespace tsc::python {

namespace {

// Lives as long as the interpreter, like the module that holds it.
PyObject* curveErrorType = nullptr;

[[noreturn]] void RaiseCurveError(const analysis::CurveRefusal& refusal) {
    const py::object error =
        py::reinterpret_borrow<py::object>(curveErrorType)(FileSystemText(refusal.Message()));
    error.attr("file") = FileSystemText(refusal.file);
    error.attr("line") = refusal.line == 0 ? py::object(py::none()) : py::int_(refusal.line);
    error.attr("reason") = py::str(refusal.reason);
    PyErr_SetObject(curveErrorType, error.ptr());
    throw py::error_already_set();
}

Curve Read(py::object path, bool celsius) {
    const std::string file =
        py::module_::import("os").attr("fsencode")(path).cast<py::bytes>().cast<std::string>();
    analysis::CurveReading reading;
    {
        py::gil_scoped_release released;
        reading = analysis::ReadMeasuredCurve(file, celsius);
    }
    if (const auto* refusal = std::get_if<analysis::CurveRefusal>(&reading)) {
        RaiseCurveError(*refusal);
    }
    const auto& curve = std::get<analysis::MeasuredCurve>(reading);
    return {ToArray(curve.T), ToArray(curve.I), file, curve.reordered};
}

}  // namespace

void BindCurveReading(py::module_& m) {
    curveErrorType = PyErr_NewExceptionWithDoc(
        "tsc.CurveError",
        "A file that was not taken as a measured curve. str() of it is the message tsccurve "
        "prints;\n.file is the file's name, .line the line to blame (None where no single line "
        "is)\nand .reason the reason alone.",
        PyExc_ValueError, nullptr);
    if (curveErrorType == nullptr) throw py::error_already_set();
    m.add_object("CurveError", py::reinterpret_borrow<py::object>(curveErrorType));

    py::class_<Curve>(m, "Curve",
                      "A measured curve: temperatures T (K) in increasing order and the currents "
                      "I (A, or counts) at them.\n`T, I = curve` unpacks it.")
        .def_readonly("T", &Curve::T, "The temperatures, K, not decreasing.")
        .def_readonly("I", &Curve::I, "The currents at them, A (or whatever the file holds).")
        .def_property_readonly(
            "file", [](const Curve& c) { return FileSystemText(c.file); }, "The file read.")
        .def_readonly("reordered", &Curve::reordered,
                      "How many points were out of temperature order in the file and have been "
                      "sorted.")
        .def("__len__", [](const Curve& c) { return c.T.size(); })
        .def("__iter__", [](const Curve& c) { return py::iter(py::make_tuple(c.T, c.I)); })
        .def("__repr__", [](const Curve& c) {
            return "<Curve " + py::repr(FileSystemText(c.file)).cast<std::string>() + ": " +
                   std::to_string(c.T.size()) + " points>";
        });

    m.def("read_curve", &Read, py::arg("path"), py::arg("celsius") = false,
          R"(Reads a measured curve from a text file, as tsccurve fit and methods read it.

Two columns, temperature and current, separated by blanks, tabs, a comma or
a semicolon; '#' comment lines, blank lines and a header line are skipped,
and the results file the window saves is read too. celsius=True takes the
temperatures in degrees Celsius; T is always in K. Temperatures that step
back are sorted (stably), and the returned Curve counts the points moved in
.reordered.

Raises CurveError (a ValueError) for a file it does not take: one that
cannot be read, a line that is not two numbers, a value that is not finite,
a temperature not above 0 K.)");
}

}  // namespace tsc::python
