"""Input the module refuses: in words, as Python exceptions, never a crash."""
import numpy as np
import pytest

import tsc

T = np.linspace(150, 300, 600)
I = np.exp(-((T - 220) / 20) ** 2)
ARRAY_TAKERS = {
    "fit": lambda T, I: tsc.fit(T, I, beta=5),
    "methods": lambda T, I: tsc.methods(T, I, beta=5),
    "heating_rate": lambda T, I: tsc.heating_rate([(5, T, I), (2, T, I)]),
    "first_order": lambda T, I: tsc.first_order(T, 0.5, 1e10, 1e12, 5, 1),
}


def test_a_line_that_is_not_two_numbers_raises_curve_error(tmp_path):
    path = tmp_path / "curve.txt"
    path.write_text("T I\n200 1e-12\n201 x\n")
    with pytest.raises(tsc.CurveError) as error:
        tsc.read_curve(path)
    assert (error.value.file, error.value.line) == (str(path), 3)
    assert str(error.value) == f"{path}:3: {error.value.reason}"
    assert isinstance(error.value, ValueError)


def test_a_file_that_cannot_be_opened_raises_curve_error_without_a_line(tmp_path):
    with pytest.raises(tsc.CurveError) as error:
        tsc.read_curve(tmp_path / "missing.txt")
    assert error.value.line is None and error.value.reason == "the file cannot be opened"


@pytest.mark.parametrize("taker", ARRAY_TAKERS.values(), ids=ARRAY_TAKERS.keys())
def test_nan_is_refused(taker):
    with pytest.raises(ValueError, match=r"T\[3\] is nan"):
        taker(np.where(np.arange(T.size) == 3, np.nan, T), I)


@pytest.mark.parametrize("taker", ["fit", "methods", "heating_rate"])
def test_arrays_of_different_lengths_are_refused(taker):
    with pytest.raises(ValueError, match="T and I differ in length: 599 and 600"):
        ARRAY_TAKERS[taker](T[1:], I)


@pytest.mark.parametrize("kind", [complex, str, object, bool])
def test_values_that_are_not_real_numbers_are_refused(kind):
    with pytest.raises(TypeError, match="I must hold real numbers"):
        tsc.fit(T, I.astype(kind), beta=5)


def test_an_array_of_two_dimensions_is_refused():
    with pytest.raises(ValueError, match=r"T must be one-dimensional, not of shape \(2, 300\)"):
        tsc.first_order(T.reshape(2, -1), 0.5, 1e10, 1e12, 5, 1)
