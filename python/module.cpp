// The module `tsc`: the TSC evaluation engine for Python.
#include "bindings.h"

PYBIND11_MODULE(tsc, m) {
    m.doc() = R"(Thermally stimulated current (TSC): the engine of tscview and tsccurve.

The same calculations as the window program and the command line, on numpy
arrays, in the window's units: eV, Hz, cm^-2, K, K/min (or K/s with
beta_unit="K/s"), mm^2, A.

  window_curve    the window's calculation, bit for bit as tsccurve --results
  first_order, second_order, general_order
                  the kinetic models of one trap level at any temperatures
  read_curve      a measured curve from a file, as tsccurve reads it
  fit             trap levels and a background fitted to a measured curve
  fit_global      curves at several heating rates fitted together, Et, Vt
                  and b shared
  methods, heating_rate
                  the classic methods: peak shape, initial rise, heating rates

Long computations release the GIL, so threads run them side by side.)";
    tsc::python::BindWindowCurve(m);
    tsc::python::BindKineticsModels(m);
    tsc::python::BindCurveReading(m);
    tsc::python::BindFit(m);
    tsc::python::BindFitGlobal(m);
    tsc::python::BindClassicMethods(m);
}
