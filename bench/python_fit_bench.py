#!/usr/bin/python3
"""Fits many three-peak curves in one Python process, for comparison with as
many `tsccurve fit` processes (bench/python_fit_bench.sh runs both).

  python_fit_bench.py write DIR [COUNT]   writes COUNT curve files (1000)
  python_fit_bench.py fit DIR [THREADS] [PEAKS]
                                          reads and fits every file in DIR
                                          with PEAKS peaks (3)

The curves are three first-order levels (0.45, 0.7 and 0.95 eV) at 5 K/min
on 1 mm^2, every 0.25 K from 100 to 400 K, with noise of 0.5 % of the
largest current; each file moves the energies by up to 10 %.
"""
import sys
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import numpy as np

import tsc

BETA, AREA = 5, 1


def write(folder, count=1000):
    folder.mkdir(parents=True, exist_ok=True)
    T = np.arange(100, 400, 0.25)
    rng = np.random.default_rng(2024)
    for k in range(count):
        shift = rng.uniform(0.9, 1.1)
        I = sum(tsc.first_order(T, Et * shift, 1e11, 1e12, BETA, AREA) for Et in (0.45, 0.7, 0.95))
        I += 0.005 * I.max() * rng.normal(size=T.size)
        np.savetxt(folder / f"curve{k:04d}.csv", np.column_stack([T, I]), delimiter=",",
                   header="T_K,I_A", comments="", fmt="%.17g")


def fit_all(folder, threads=1, peaks=3):
    def fit_one(path):
        return tsc.fit(tsc.read_curve(path), beta=BETA, area=AREA, peaks=peaks).converged

    files = sorted(folder.glob("*.csv"))
    start, cpu = time.perf_counter(), time.process_time()
    with ThreadPoolExecutor(threads) as pool:
        converged = sum(pool.map(fit_one, files))
    seconds, cpu = time.perf_counter() - start, time.process_time() - cpu
    print(f"python, {peaks} peak(s), {threads} thread(s): {len(files)} fits in {seconds:.1f} s "
          f"({1000 * seconds / len(files):.1f} ms each, {cpu:.1f} s of CPU), "
          f"{converged} converged")


if __name__ == "__main__":
    if len(sys.argv) < 3 or sys.argv[1] not in ("write", "fit"):
        sys.exit(__doc__)
    command, folder, *rest = sys.argv[1:]
    (write if command == "write" else fit_all)(Path(folder), *map(int, rest))
