"""The fit from Python against tsccurve fit, on one thread and on several."""
import json
from concurrent.futures import ThreadPoolExecutor

import numpy as np
import pytest

import tsc


def test_a_fit_gives_the_numbers_tsccurve_fit_gives(tsccurve, standard_curve):
    path = standard_curve()
    written = json.loads(tsccurve("fit", path, "--beta", 5, "--area", 1, "--json").stdout)
    fit = tsc.fit(tsc.read_curve(path), beta=5, area=1)
    given = fit.to_dict()
    assert {key: given[key] for key in written} == written
    peak = fit.peaks[0]
    assert (peak.Et, peak.Et_stderr, peak.Vt, peak.Tm, peak.Im) == (
        given["Et_eV"]["value"], given["Et_eV"]["stderr"], given["Vt_Hz"]["value"],
        given["Tm_K"], given["Im_A"])
    assert peak.Nt == given["peaks"][0]["Nt_cm2"]["value"]


def test_a_fit_that_does_not_converge_is_a_result_without_values():
    T = np.linspace(150, 300, 600)
    fit = tsc.fit(T, np.random.default_rng(1).normal(size=T.size), beta=5)
    assert not fit.converged and fit.failure
    assert (fit.peaks, fit.fom, fit.covariance, fit.fitted) == ([], None, None, None)
    assert "NOT converged" in fit.report()


def test_the_covariance_is_in_the_units_of_its_names():
    T = np.linspace(150, 300, 600)
    I = tsc.first_order(T, 0.5, 1e10, 1e12, 5, 1) + 1e-13
    fit = tsc.fit(T, I, beta=5, background="constant")
    at = fit.parameter_names.index("background constant")
    stderr = fit.to_dict()["background"]["constant"]["stderr"]
    assert np.sqrt(fit.covariance[at, at]) == pytest.approx(stderr, rel=1e-12)


def test_threads_fitting_at_once_give_what_one_thread_gives():
    T = np.arange(100, 400, 0.25)
    rng = np.random.default_rng(7)
    curves = []
    for shift in np.linspace(0.9, 1.1, 8):
        I = sum(tsc.first_order(T, Et * shift, 1e11, 1e12, 5, 1) for Et in (0.45, 0.7, 0.95))
        curves.append(I + 0.005 * I.max() * rng.normal(size=T.size))

    def fit(I):
        return tsc.fit(T, I, beta=5, area=1, peaks=3).to_dict()

    alone = [fit(I) for I in curves]
    with ThreadPoolExecutor(4) as pool:
        assert list(pool.map(fit, curves)) == alone
    assert all(result["converged"] for result in alone)


def test_fit_global_gives_what_tsccurve_fit_gives_for_several_rates(tsccurve, standard_curve):
    rates = (2, 5, 20)
    paths = [standard_curve(beta=beta, name=f"at{beta}.csv") for beta in rates]
    arguments = [a for beta, path in zip(rates, paths) for a in ("--beta", beta, path)]
    written = json.loads(tsccurve("fit", *arguments, "--area", 1, "--json").stdout)
    fit = tsc.fit_global([(beta, tsc.read_curve(str(path))) for beta, path in zip(rates, paths)],
                         area=1)
    assert fit.converged and fit.to_dict() == written
    assert fit.peaks[0].Et == pytest.approx(0.5, rel=1e-4)
    assert [curve.peaks[0].Et for curve in fit.curves] == [fit.peaks[0].Et] * 3


def test_fit_global_refuses_one_curve_and_two_at_one_rate_unless_shared_is_given():
    T = np.linspace(150, 300, 600)
    I = tsc.first_order(T, 0.5, 1e10, 1e12, beta=5, S=1)
    with pytest.raises(ValueError, match="two or more"):
        tsc.fit_global([(5, T, I)])
    with pytest.raises(ValueError, match="shared"):
        tsc.fit_global([(5, T, I), (5, T, I)])
    assert tsc.fit_global([(5, T, I), (5, T, I)], shared="Et,Vt,b").converged
