"""What the module's tests share: the command line they compare it with."""
import os
import subprocess

import pytest


@pytest.fixture(scope="session")
def tsccurve():
    """Runs tsccurve (its path from the TSCCURVE variable ctest sets) and
    returns its standard output; a failure shows its standard error."""
    program = os.environ["TSCCURVE"]

    def run(*args, check=True):
        done = subprocess.run([program, *map(str, args)], capture_output=True, text=True)
        if check:
            assert done.returncode == 0, done.stderr
        return done

    return run


@pytest.fixture
def standard_curve(tsccurve, tmp_path):
    """A file holding one first-order level (0.5 eV, 1e10 Hz, 1e12 cm^-2,
    5 K/min, 1 mm^2) as tsccurve's standard model writes it."""
    def make(Et=0.5, Vt=1e10, beta=5, name="standard.csv"):
        path = tmp_path / name
        path.write_text(tsccurve("--model", "standard", Et, Vt, 1e12, 120, 300, beta, 1, 0.2).stdout)
        return path

    return make
