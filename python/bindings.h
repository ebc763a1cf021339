#pragma once

// One function per part of the module, each in its own source; module.cpp
// calls them in the order help(tsc) lists the parts.

#include <pybind11/pybind11.h>

#include "arguments.h"

namespace tsc::python {

void BindWindowCurve(py::module_& m);
void BindKineticsModels(py::module_& m);
void BindCurveReading(py::module_& m);
void BindFit(py::module_& m);
void BindFitGlobal(py::module_& m);
void BindClassicMethods(py::module_& m);

}  // namespace tsc::python
