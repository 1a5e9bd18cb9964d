#!/usr/bin/env python3
"""The suites of the test command, which of them this machine can run, and
the runner that runs them in order (after scripts/test.sh has set up and
built) and ends with the suites that ran, those skipped with their reason,
and one line `N passed, N failed, N skipped` that counts suites.

Where the 32-bit Wine loader cannot run (scripts/wine_loaders.py), every
suite that needs the i686 program under Wine runs in a virtual machine whose
kernel can run it (scripts/vm.py), or is skipped with the reason where that
machine cannot start either; the suites that can use the x86_64 program
instead (DPI, soak, code pages) run on it here. The checks that read the
executables themselves run everywhere.

    scripts/test_suites.py run      # every suite; exits 1 when one failed
    scripts/test_suites.py list     # what would run and what be skipped here
"""

import os
import subprocess
import sys
import threading
import time
from pathlib import Path

import vm
import wine_loaders

ROOT = Path(__file__).resolve().parents[1]
IN_VM = ["python3", "scripts/vm.py", "run", "--"]


class Suite:
    def __init__(self, name, command, needs_i686=False, last=False):
        self.name, self.command, self.needs_i686 = name, command, needs_i686
        self.skipped = None  # the reason, when this machine cannot run it
        self.beside = False  # runs in the virtual machine, beside the suites run here
        self.last = last     # runs once every other suite has ended

    def __repr__(self):
        return f"Suite({self.name!r}, skipped={self.skipped!r})"


def matrix(arch, *names):
    return ["tests/e2e/run_matrix.sh", "--arch", arch] + [arg for name in names for arg in ("-k", f"{arch}-{name}")]


def plan(wine32_runs, why="", soak_seed="1", vm_runs=False, vm_why=""):
    """The suites in order. Where one needs the i686 program under Wine and
    the 32-bit loader cannot run, it runs in the virtual machine when that
    starts (vm_runs), and is skipped, with why and vm_why, when not."""
    wide = "i686" if wine32_runs else "x86_64"  # where the suites that may use either run
    suites = [
        Suite("native unit tests", ["ctest", "--test-dir", "build/native", "--output-on-failure"]),
        Suite("the choice of Wine loaders", ["python3", "tests/e2e/test_wine_loaders.py"]),
        Suite("the helper that makes the Wine prefixes", ["python3", "tests/e2e/test_wine_prefix.py"]),
        Suite("unit tests under Wine (i686)", ["scripts/wine_ctest.sh", "i686"], needs_i686=True),
        Suite("unit tests under Wine (x86_64)", ["scripts/wine_ctest.sh", "x86_64"]),
        Suite("executables: old-Windows imports and hardening", ["tests/pe/run_pe_checks.sh"]),
        Suite("release: packaged twice the same, no time stamp or machine path",
              ["tests/release/check_reproducible.sh"]),
        Suite("fuzzing the field rules, the clock and the GIF reader", ["tests/fuzz/run_fuzz.sh", "10"]),
        Suite("end-to-end (i686)", ["tests/e2e/run_e2e.sh", "i686"], needs_i686=True),
        Suite("end-to-end (x86_64)", ["tests/e2e/run_e2e.sh", "x86_64"]),
        Suite("Windows 98, 2000 and XP (i686), every call checked under Windows 98",
              matrix("i686", "win98", "win2k", "winxp"), needs_i686=True),
        Suite("Windows 7 and 10 (i686)", matrix("i686", "win7", "win10"), needs_i686=True),
        Suite("Windows 7 and 10 (x86_64)", matrix("x86_64", "win7", "win10")),
        Suite("the Windows 9x code path (x86_64 under Wine set to win98)", matrix("x86_64", "9x-code-path")),
        Suite(f"DPI settings ({wide})", matrix(wide, "dpi") + ["--dpi-both"]),
        Suite(f"soak: 2,000 random actions and 100 Options/About cycles ({wide})",
              ["tests/soak/run_soak.sh", "--seed", soak_seed, "--actions", "2000", "--cycles", "100", "--arch", wide]),
        Suite(f"code pages 950 and 1252 ({wide})", ["tests/screens/font_screens.sh", wide]),
        Suite("the template Wine prefixes are as made (no test wrote through to them)",
              ["python3", "scripts/wine_prefix.py", "verify"], last=True),
    ]
    for suite in suites:
        if not suite.needs_i686 or wine32_runs:
            continue
        if vm_runs:
            suite.name = suite.name.replace("(i686)", "(i686, in a virtual machine)")
            suite.command = IN_VM + suite.command
            suite.beside = True
        else:
            suite.skipped = f"{why}, and the virtual machine cannot start: {vm_why}"
    return suites


def summary(results, skipped):
    """The closing lines: (name, passed, seconds) of each suite run, and the
    skipped suites."""
    lines = ["== summary", "ran:"]
    lines += [f"  {'passed' if ok else 'FAILED'}  {name} ({seconds:.0f} s)" for name, ok, seconds in results]
    if not results:
        lines.append("  nothing")
    if skipped:
        lines.append("skipped:")
        lines += [f"  {suite.name}: {suite.skipped}" for suite in skipped]
    passed = sum(1 for _, ok, _ in results if ok)
    lines.append(f"{passed} passed, {len(results) - passed} failed, {len(skipped)} skipped")
    return lines


def run_one(suite, log=None):
    """(name, passed, seconds) of one suite; its output to log, if given."""
    began = time.monotonic()
    done = subprocess.run(suite.command, cwd=ROOT, check=False, stdout=log,
                          stderr=subprocess.STDOUT if log else None)
    return suite.name, done.returncode == 0, time.monotonic() - began


def run(suites, logs=ROOT / "build" / "vm" / "logs"):
    """Runs the suites in order. Those in the virtual machine, which emulates
    its processor and spends most of its time computing while the suites here
    mostly wait for the program, run one after another beside the others from
    the start, each with its output in a log of its own, shown once all have
    ended; the suites marked last wait for them."""
    results = {}
    beside = [s for s in suites if s.beside and not s.skipped]
    logs.mkdir(parents=True, exist_ok=True)

    def run_beside():
        for number, suite in enumerate(beside):
            with open(logs / f"{number}.log", "w") as log:
                results[suite.name] = run_one(suite, log)

    worker = threading.Thread(target=run_beside)
    worker.start()
    if beside:
        print("== in a virtual machine, beside the suites below: " + "; ".join(s.name for s in beside), flush=True)
    for suite in suites:
        if suite.skipped:
            print(f"== skipped: {suite.name}: {suite.skipped}", flush=True)
        elif not suite.beside:
            if suite.last and worker.is_alive():
                print("== waiting for the suites in the virtual machine", flush=True)
                worker.join()
            print(f"== {suite.name}", flush=True)
            results[suite.name] = run_one(suite)
    worker.join()
    for number, suite in enumerate(beside):
        print(f"== {suite.name}: its output", flush=True)
        print((logs / f"{number}.log").read_text(errors="replace"), end="", flush=True)
    ran = [results[s.name] for s in suites if s.name in results]
    for line in summary(ran, [s for s in suites if s.skipped]):
        print(line)
    return 0 if ran and all(ok for _, ok, _ in ran) else 1


def main(argv):
    wine32, why = wine_loaders.decide()
    vm_runs, vm_why = (False, "") if wine32 else vm.decide()
    suites = plan(wine32, why, os.environ.get("TARNVEL_SOAK_SEED", "1"), vm_runs, vm_why)
    if argv == ["run"]:
        return run(suites)
    if argv == ["list"]:
        for suite in suites:
            print(f"{'skip' if suite.skipped else 'run '}  {suite.name}" + (f": {suite.skipped}" if suite.skipped else ""))
        return 0
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
