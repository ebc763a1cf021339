"""The window's calculation from Python against tsccurve's own output."""
import pytest

import tsc

SAMPLE = (0.8, 1e8, 1e13, 200, 400, 2, 1, 0.2)


def fifteen_digits(value):
    """The decimal number tsccurve writes for a double (15 significant
    digits, correctly rounded), as a float to compare."""
    return float(f"{value:.14e}")


def test_the_sample_curve_is_tsccurves_results_step_for_step(tsccurve):
    lines = tsccurve("--results", *SAMPLE).stdout.splitlines()
    written = [(float(T), float(I)) for T, I in zip(lines[0::3], lines[1::3])]
    curve = tsc.window_curve(*SAMPLE)
    assert len(curve.T) == len(written) == 1001
    assert [(fifteen_digits(T), fifteen_digits(I)) for T, I in zip(curve.T, curve.I)] == written


def test_the_peak_is_the_one_the_window_shows(tsccurve):
    Tm, Im = map(float, tsccurve("--peak", *SAMPLE).stdout.split())
    curve = tsc.window_curve(*SAMPLE)
    assert (fifteen_digits(curve.Tm), fifteen_digits(curve.Im)) == (Tm, Im)


def test_a_refused_parameter_set_raises_tsccurves_words(tsccurve):
    refused = (0.8, 1e8, 1e13, 200, 400, 2, 1, 1e-9)
    message = tsccurve(*refused, check=False).stderr.strip().removeprefix("tsccurve: ")
    with pytest.raises(ValueError) as error:
        tsc.window_curve(*refused)
    assert str(error.value) == message
