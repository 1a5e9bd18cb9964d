"""Region build: region_bench.exe (bench/region_bench.cpp) run in the Wine
session. It loads the real skin as the program does and times, in-process
with QueryPerformanceCounter, the program's region builder against one
GetDIBits pass with a single ExtCreateRegion; it prints its own figures,
which are passed on here."""

import json
import subprocess

from bench_lib import KEEP_SESSION, fmt, log


def run(ab, runs=101):
    config = ab.config
    done = subprocess.run([config.loader(), str(config.region_bench), str(runs)], cwd=str(config.bench),
                          env=config.env(WINEDLLOVERRIDES=KEEP_SESSION), capture_output=True, text=True, timeout=300)
    lines = done.stdout.splitlines()
    figures = next((json.loads(line[5:]) for line in lines if line.startswith("json ")), None)
    if done.returncode != 0 or figures is None:
        raise RuntimeError(f"region_bench.exe failed ({done.returncode}): {done.stdout[-500:]} {done.stderr[-500:]}")
    for line in lines:
        if not line.startswith("json "):
            log(f"    {line}")
    figures["ratio"] = figures["builder_median_ms"] / figures["floor_median_ms"]
    log(f"  region build ({ab.arch}): builder {fmt(figures['builder_median_ms'], 3)} ms, floor "
        f"{fmt(figures['floor_median_ms'], 3)} ms, ratio {figures['ratio']:.1f}")
    return figures
