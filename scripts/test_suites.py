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

Each suite has a deadline: a suite still running then is stopped, with all
it started (a virtual machine too), and fails with a line that names it.
Ctrl+C and SIGTERM stop the suite that runs in the same way.

    scripts/test_suites.py run      # every suite; exits 1 when one failed
    scripts/test_suites.py run --suite TEXT [--suite TEXT...] [--repeat N] [--timeout S]
                                    # the suites whose names hold TEXT, N times each;
                                    # S seconds for each instead of its own deadline
    scripts/test_suites.py list     # what would run and what be skipped here
"""

import argparse
import os
import signal
import subprocess
import sys
import threading
import time
from pathlib import Path

import vm
import wine_loaders

ROOT = Path(__file__).resolve().parents[1]
IN_VM = ["python3", "scripts/vm.py", "run"]
# A suite's deadline, when it has none of its own: each takes a few minutes
# at most, and the whole run must end within CI's 90.
DEADLINE = 900
# The virtual machine stops its guest this long before the suite's deadline,
# so that it is the machine that says what ran out of time.
VM_MARGIN = 30


class Suite:
    def __init__(self, name, command, needs_i686=False, last=False, deadline=DEADLINE):
        self.name, self.command, self.needs_i686 = name, command, needs_i686
        self.skipped = None  # the reason, when this machine cannot run it
        self.beside = False  # runs in the virtual machine, beside the suites run here
        self.last = last     # runs once every other suite has ended
        self.deadline = deadline  # seconds

    def in_vm(self):
        """The suite moved into the virtual machine, which stops it a little
        before its deadline."""
        self.name = self.name.replace("(i686)", "(i686, in a virtual machine)")
        self.command = IN_VM + ["--timeout", str(self.deadline - VM_MARGIN), "--name", self.name, "--"] + self.command
        self.beside = True

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
        Suite("unit tests under Wine (i686)", ["scripts/wine_ctest.sh", "i686"], needs_i686=True, deadline=1200),
        Suite("unit tests under Wine (x86_64)", ["scripts/wine_ctest.sh", "x86_64"]),
        Suite("executables: old-Windows imports and hardening", ["tests/pe/run_pe_checks.sh"]),
        Suite("release: packaged twice the same, no time stamp or machine path",
              ["tests/release/check_reproducible.sh"]),
        Suite("fuzzing the field rules, the clock and the GIF reader", ["tests/fuzz/run_fuzz.sh", "10"]),
        Suite("end-to-end (i686)", ["tests/e2e/run_e2e.sh", "i686"], needs_i686=True, deadline=1500),
        Suite("end-to-end (x86_64)", ["tests/e2e/run_e2e.sh", "x86_64"]),
        Suite("Windows 98, 2000 and XP (i686), every call checked under Windows 98",
              matrix("i686", "win98", "win2k", "winxp"), needs_i686=True),
        Suite("Windows 7 and 10 (i686)", matrix("i686", "win7", "win10"), needs_i686=True),
        Suite("Windows 7 and 10 (x86_64)", matrix("x86_64", "win7", "win10")),
        Suite("the Windows 9x code path (x86_64 under Wine set to win98)", matrix("x86_64", "9x-code-path")),
        Suite(f"DPI settings ({wide})", matrix(wide, "dpi") + ["--dpi-both"], deadline=1200),
        Suite(f"soak: 2,000 random actions and 100 Options/About cycles ({wide})",
              ["tests/soak/run_soak.sh", "--seed", soak_seed, "--actions", "2000", "--cycles", "100", "--arch", wide],
              deadline=1500),
        Suite(f"code pages 950 and 1252 ({wide})", ["tests/screens/font_screens.sh", wide]),
        Suite("the template Wine prefixes are as made (no test wrote through to them)",
              ["python3", "scripts/wine_prefix.py", "verify"], last=True),
    ]
    for suite in suites:
        if not suite.needs_i686 or wine32_runs:
            continue
        if vm_runs:
            suite.in_vm()
        else:
            suite.skipped = f"{why}, and the virtual machine cannot start: {vm_why}"
    if vm_runs and not wine32_runs:
        hang = Suite("the virtual machine stops a guest that hangs, at its deadline",
                     ["python3", "tests/e2e/test_wine_loaders.py", "HangingGuest"])
        hang.beside = True
        suites.insert(-1, hang)
    return suites


def chosen(suites, wanted, repeat=1, deadline=None):
    """The suites whose names hold one of the wanted texts (all, when none
    is given), each repeated; deadline, when given, replaces each one's."""
    picked = [s for s in suites if not wanted or any(text.lower() in s.name.lower() for text in wanted)]
    if deadline:
        for suite in picked:
            suite.deadline = deadline
            if suite.beside and suite.command[:len(IN_VM)] == IN_VM:
                suite.command[suite.command.index("--timeout") + 1] = str(max(1, deadline - VM_MARGIN))
    if repeat <= 1:
        return picked
    copies = []
    for suite in picked:
        for number in range(1, repeat + 1):
            copy = Suite(f"{suite.name}, run {number} of {repeat}", suite.command, suite.needs_i686, suite.last,
                         suite.deadline)
            copy.skipped, copy.beside = suite.skipped, suite.beside
            copies.append(copy)
    return copies


def summary(results, skipped):
    """The closing lines: (name, passed, seconds[, why]) of each suite run,
    and the skipped suites."""
    lines = ["== summary", "ran:"]
    for name, ok, seconds, *why in results:
        lines.append(f"  {'passed' if ok else 'FAILED'}  {name} ({seconds:.0f} s)" + (f": {why[0]}" if why else ""))
    if not results:
        lines.append("  nothing")
    if skipped:
        lines.append("skipped:")
        lines += [f"  {suite.name}: {suite.skipped}" for suite in skipped]
    passed = sum(1 for _, ok, *_ in results if ok)
    lines.append(f"{passed} passed, {len(results) - passed} failed, {len(skipped)} skipped")
    return lines


RUNNING = set()  # the suites' processes, each the head of a process group of its own
STOPPING = threading.Event()  # set on Ctrl+C or SIGTERM: no further suite starts


def stop_group(process, grace=30):
    """Stops a suite's process and everything it started: SIGTERM to its
    group, then SIGKILL to what is left after grace seconds."""
    for sig, wait in ((signal.SIGTERM, grace), (signal.SIGKILL, 10)):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            pass
        try:
            process.wait(wait)
            break
        except subprocess.TimeoutExpired:
            continue
    try:  # what the suite left behind in its group, such as a display
        os.killpg(process.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass


def run_one(suite, log=None):
    """(name, passed, seconds[, why]) of one suite, stopped with all it
    started at its deadline; its output to log, if given."""
    began = time.monotonic()
    process = subprocess.Popen(suite.command, cwd=ROOT, stdin=subprocess.DEVNULL, stdout=log,
                               stderr=subprocess.STDOUT if log else None, start_new_session=True,
                               preexec_fn=lambda: vm.die_with_parent(signal.SIGTERM))  # should this runner be killed
    RUNNING.add(process)
    try:
        process.wait(suite.deadline)
    except subprocess.TimeoutExpired:
        stop_group(process)
        why = f"no end in {suite.deadline:.0f} s; stopped with everything it started"
        print(f"== timed out: {suite.name}: {why}", flush=True)
        if log:
            print(f"== timed out: {suite.name}: {why}", file=log, flush=True)
        return suite.name, False, time.monotonic() - began, why
    except BaseException:  # Ctrl+C or SIGTERM on this thread
        stop_group(process, grace=10)
        raise
    finally:
        RUNNING.discard(process)
    return suite.name, process.returncode == 0, time.monotonic() - began


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
            if STOPPING.is_set():
                return
            with open(logs / f"{number}.log", "w") as log:
                results[suite.name] = run_one(suite, log)

    worker = threading.Thread(target=run_beside)
    worker.start()
    if beside:
        print("== in a virtual machine, beside the suites below: " + "; ".join(s.name for s in beside), flush=True)
    try:
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
    except BaseException:
        STOPPING.set()
        for process in list(RUNNING):
            stop_group(process, grace=10)
        worker.join()
        raise
    for number, suite in enumerate(beside):
        print(f"== {suite.name}: its output", flush=True)
        print((logs / f"{number}.log").read_text(errors="replace"), end="", flush=True)
    ran = [results[s.name] for s in suites if s.name in results]
    for line in summary(ran, [s for s in suites if s.skipped]):
        print(line)
    return 0 if ran and all(ok for _, ok, *_ in ran) else 1


def run_to_the_end(suites):
    """run(), but on Ctrl+C or SIGTERM the suites that run are stopped with
    all they started, and the run fails."""
    signal.signal(signal.SIGTERM, vm.stop_on_sigterm)
    try:
        return run(suites)
    except (KeyboardInterrupt, vm.Stopped):
        print("== stopped: the suites that ran were stopped with everything they started", flush=True)
        return 1


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("action", choices=("run", "list"))
    parser.add_argument("--suite", action="append", default=[], metavar="TEXT",
                        help="only the suites whose names hold TEXT (case ignored); may be given again")
    parser.add_argument("--repeat", type=int, default=1, metavar="N", help="run each chosen suite N times")
    parser.add_argument("--timeout", type=float, metavar="S", help="S seconds for each suite instead of its own")
    args = parser.parse_args(argv)
    wine32, why = wine_loaders.decide()
    try:
        vm_runs, vm_why = (False, "") if wine32 else vm.decide()
    except vm.Interrupted as stopped:
        print(f"== stopped: {stopped}", flush=True)
        return 1
    suites = chosen(plan(wine32, why, os.environ.get("TARNVEL_SOAK_SEED", "1"), vm_runs, vm_why),
                    args.suite, args.repeat, args.timeout)
    if not suites:
        print(f"test: no suite's name holds {' or '.join(map(repr, args.suite))}; "
              "`scripts/test_suites.py list` names them", file=sys.stderr)
        return 2
    if args.action == "run":
        return run_to_the_end(suites)
    for suite in suites:
        print(f"{'skip' if suite.skipped else 'run '}  {suite.name}" + (f": {suite.skipped}" if suite.skipped else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
