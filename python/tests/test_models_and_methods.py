"""The kinetic models and the classic methods against the command line."""
import json

import numpy as np
import pytest

import tsc


def test_first_order_is_the_command_lines_standard_model_in_the_windows_units(standard_curve):
    T, I = tsc.read_curve(standard_curve())
    # Far in the tail, where the current is many decades down, the two
    # integrations part in the later digits.
    peak = I > 1e-6 * I.max()
    modelled = tsc.first_order(T, 0.5, 1e10, 1e12, 5, 1)
    assert modelled[peak] == pytest.approx(I[peak], rel=1e-12, abs=0)


def test_models_answer_in_the_callers_order_of_temperatures():
    T = np.linspace(150, 300, 301)
    shuffled = np.random.default_rng(3).permutation(T.size)
    in_order = tsc.general_order(T, 0.5, 1e10, 1.5, 1e12, 5 / 60, 1, beta_unit="K/s")
    assert np.array_equal(tsc.general_order(T[shuffled], 0.5, 1e10, 1.5, 1e12, 5, 1),
                          in_order[shuffled])


def test_the_heating_rate_method_gives_what_tsccurve_methods_gives(tsccurve, standard_curve):
    rates = (2, 5, 20)
    files = [standard_curve(beta=beta, name=f"{beta}.csv") for beta in rates]
    arguments = [a for beta, path in zip(rates, files) for a in ("--beta", beta, path)]
    written = json.loads(tsccurve("methods", *arguments, "--json").stdout)
    for curve in written["curves"]:
        del curve["file"]
    assert tsc.heating_rate([(beta, *tsc.read_curve(path)) for beta, path in
                             zip(rates, files)]) == written
    assert written["heating_rate"]["Et_eV"]["value"] == pytest.approx(0.5, rel=1e-3)
