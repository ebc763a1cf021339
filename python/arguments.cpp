#include "arguments.h"

#include <Python.h>

#include <algorithm>
#include <cmath>
#include <numeric>

#include "physical_constants.h"

namespace tsc::python {

namespace {

std::string Text(py::handle object) { return py::str(object).cast<std::string>(); }

}  // namespace

std::vector<double> FiniteArray(py::handle values, const char* name) {
    const py::array array = py::module_::import("numpy").attr("asarray")(values);
    const char kind = array.dtype().kind();
    if (kind != 'f' && kind != 'i' && kind != 'u') {
        throw py::type_error(std::string(name) + " must hold real numbers, not " +
                             Text(array.dtype()));
    }
    if (array.ndim() != 1) {
        throw py::value_error(std::string(name) + " must be one-dimensional, not of shape " +
                              Text(py::tuple(array.attr("shape"))));
    }
    if (array.size() == 0) throw py::value_error(std::string(name) + " is empty");
    const auto doubles = py::array_t<double, py::array::c_style | py::array::forcecast>(array);
    std::vector<double> copy(doubles.data(), doubles.data() + doubles.size());
    for (std::size_t i = 0; i < copy.size(); ++i) {
        if (!std::isfinite(copy[i])) {
            throw py::value_error(std::string(name) + "[" + std::to_string(i) + "] is " +
                                  Text(py::float_(copy[i])) + ": every value must be finite");
        }
    }
    return copy;
}

void CheckSameLength(std::span<const double> a, const char* aName, std::span<const double> b,
                     const char* bName) {
    if (a.size() == b.size()) return;
    throw py::value_error(std::string(aName) + " and " + bName + " differ in length: " +
                          std::to_string(a.size()) + " and " + std::to_string(b.size()));
}

double Number(py::handle value, const std::string& name) {
    if (py::isinstance<py::str>(value) || !py::hasattr(value, "__float__")) {
        throw py::type_error(name + " must be a number, not " +
                             Text(py::type::of(value).attr("__name__")));
    }
    return py::float_(py::reinterpret_borrow<py::object>(value)).cast<double>();
}

double Finite(double value, const char* name) {
    if (!std::isfinite(value)) throw py::value_error(std::string(name) + " must be finite");
    return value;
}

double Positive(double value, const char* name) {
    if (!(std::isfinite(value) && value > 0)) {
        throw py::value_error(std::string(name) + " must be a finite number above 0");
    }
    return value;
}

double NotNegative(double value, const char* name) {
    if (!(std::isfinite(value) && value >= 0)) {
        throw py::value_error(std::string(name) + " must be a finite number, 0 or above");
    }
    return value;
}

HeatingRateInput HeatingRateOf(double beta, const std::string& unit) {
    Positive(beta, "beta");
    if (unit == "K/min") return {beta, beta / analysis::kSecondsPerMinute, false};
    if (unit == "K/s") return {beta * analysis::kSecondsPerMinute, beta, true};
    throw py::value_error("beta_unit takes \"K/min\" or \"K/s\", not \"" + unit + "\"");
}

double RequiredBeta(const std::optional<double>& beta) {
    if (!beta) {
        throw py::type_error(
            "the heating rate is needed: beta=K/min, or beta=K/s with beta_unit=\"K/s\"");
    }
    return *beta;
}

std::vector<std::size_t> StableOrder(std::span<const double> T) {
    std::vector<std::size_t> order(T.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (!std::is_sorted(T.begin(), T.end())) {
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return T[a] < T[b]; });
    }
    return order;
}

std::vector<double> Reordered(std::span<const double> values, std::span<const std::size_t> order) {
    std::vector<double> result(order.size());
    for (std::size_t i = 0; i < order.size(); ++i) result[i] = values[order[i]];
    return result;
}

py::array_t<double> ToArray(std::span<const double> values) {
    py::array_t<double> array(static_cast<py::ssize_t>(values.size()));
    std::copy(values.begin(), values.end(), array.mutable_data());
    return array;
}

py::str FileSystemText(const std::string& bytes) {
    PyObject* text =
        PyUnicode_DecodeFSDefaultAndSize(bytes.data(), static_cast<Py_ssize_t>(bytes.size()));
    if (text == nullptr) throw py::error_already_set();
    return py::reinterpret_steal<py::str>(text);
}

}  // namespace tsc::python
