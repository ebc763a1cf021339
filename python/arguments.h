#pragma once

// The checks every binding makes of what Python hands it: arrays of finite
// temperatures and currents, numbers in their ranges, the heating rate's
// unit. Each refusal is a Python exception that names the argument.

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tsc::python {

namespace py = pybind11;

// A one-dimensional, non-empty array of finite real numbers from any array
// or sequence. Another kind of element (bool, complex, text, objects) is a
// TypeError; another shape, no element, NaN or an infinity a ValueError.
std::vector<double> FiniteArray(py::handle values, const char* name);

// ValueError unless both arrays have the same length.
void CheckSameLength(std::span<const double> a, const char* aName, std::span<const double> b,
                     const char* bName);

// A Python number (anything float() takes but a text) as a double, else
// TypeError naming it.
double Number(py::handle value, const std::string& name);

// ValueError unless the number is finite (and above 0, or at least 0).
double Finite(double value, const char* name);
double Positive(double value, const char* name);
double NotNegative(double value, const char* name);

// The heating rate given in `unit`, "K/min" (the window's) or "K/s".
struct HeatingRateInput {
    double kPerMin = 0;
    double kPerSecond = 0;
    bool givenPerSecond = false;
};
HeatingRateInput HeatingRateOf(double beta, const std::string& unit);
// The heating rate, which has no default: TypeError when it is missing.
double RequiredBeta(const std::optional<double>& beta);

// The indices that sort T, equal temperatures kept in their order.
std::vector<std::size_t> StableOrder(std::span<const double> T);

// The values taken in `order`.
std::vector<double> Reordered(std::span<const double> values, std::span<const std::size_t> order);

// A new numpy array holding a copy of the values.
py::array_t<double> ToArray(std::span<const double> values);

// Python's text for a name or message from the file system: bytes that are
// not UTF-8 come through as Python's os.fsdecode gives them.
py::str FileSystemText(const std::string& bytes);

}  // namespace tsc::python
