#!/usr/bin/env python3
"""Runs every benchmark of Tarnvel under Wine on a virtual display of its
own and prints each figure next to its floor, measured in the same run.
Run it through bench/run_bench.sh, which installs and builds first.

    bench/run_bench.py [--arch x86_64] [--also i686|none] [--record] ...

The full set (expiry, start-up with the peer, region build, footprint) runs
on --arch; start-up, region build and footprint run again on --also. The
figures go to build/bench/results.json and build/bench/BENCHMARKS.md, and
with --record to BENCHMARKS.md at the top of the repository.
Exits 0 unless some benchmark could not run."""

import argparse
import datetime
import json
import os
import shutil
import sys
import time
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import expiry  # noqa: E402
import footprint  # noqa: E402
import region  # noqa: E402
import report  # noqa: E402
import startup  # noqa: E402
from bench_lib import ROOT, ArchBench, BenchConfig, Xvfb, log, machine, wine_loaders  # noqa: E402


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--arch", choices=["i686", "x86_64"], default="x86_64",
                        help="the architecture of the full set (default x86_64)")
    parser.add_argument("--also", choices=["i686", "x86_64", "none"], default="i686",
                        help="the architecture of the second, shorter set (default i686)")
    parser.add_argument("--startup-runs", type=int, default=21, help="timed starts of each program (default 21)")
    parser.add_argument("--long-counts", type=int, default=2, help="rounds of the 60 s count (default 2)")
    parser.add_argument("--idle-seconds", type=float, default=30, help="idle period of the footprint (default 30)")
    parser.add_argument("--count-seconds", type=float, default=30,
                        help="counting period of the footprint (default 30)")
    parser.add_argument("--region-runs", type=int, default=101, help="timed region builds (default 101)")
    parser.add_argument("--no-peer", action="store_true", help="leave kshutdown out")
    parser.add_argument("--before", metavar="EXE",
                        help="another build of tarnvel.exe (of --arch) whose start-up is timed in turns with this one")
    parser.add_argument("--record", action="store_true", help="write BENCHMARKS.md at the top of the repository")
    return parser.parse_args()


class Sections:
    """Runs benchmarks one after another; one that fails is reported and
    the others still run."""

    def __init__(self):
        self.failures = []

    def run(self, name, action):
        log(f"== {name}")
        began = time.monotonic()
        try:
            result = action()
        except Exception as error:  # a benchmark that could not run: say why, go on
            traceback.print_exc()
            self.failures.append(f"{name}: {error}")
            log(f"   {name} could not run: {error}")
            return None
        log(f"   ({time.monotonic() - began:.0f} s)")
        return result


def command_line(args):
    defaults = {"arch": "x86_64", "also": "i686", "startup_runs": 21, "long_counts": 2, "idle_seconds": 30,
                "count_seconds": 30, "region_runs": 101, "no_peer": False}
    extra = []
    for key, default in defaults.items():
        value = getattr(args, key)
        if value != default:
            flag = "--" + key.replace("_", "-")
            extra.append(flag if value is True else f"{flag} {value:g}" if isinstance(value, float) else
                         f"{flag} {value}")
    if os.environ.get("TARNVEL_BENCH_BUILT") == "0":
        extra.insert(0, "--no-build")
    return " ".join(["bench/run_bench.sh", *extra])


def main():
    args = parse_args()
    started_at = float(os.environ.get("TARNVEL_BENCH_STARTED", time.time()))
    results = {"machine": machine(), "command": command_line(args),
               "date": datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M %Z"),
               "arch": args.arch, "also": None if args.also in ("none", args.arch) else args.also,
               "settings": {"startup_runs": args.startup_runs, "long_counts": args.long_counts,
                            "idle_seconds": args.idle_seconds, "count_seconds": args.count_seconds,
                            "region_runs": args.region_runs}}
    for arch in [args.arch] + ([results["also"]] if results["also"] else []):
        runs, why = wine_loaders.can_run(arch)
        if not runs and arch == args.arch:
            log(f"the {arch} program cannot run here: {why}")
            return 1
        if not runs:
            log(f"the {arch} set is skipped: {why}")
            results["also"] = None
    m = results["machine"]
    log(f"machine: {m['nproc']} cores, {m['cpu']}, {m['wine']}, load average {m['load_at_start']:.2f}")
    sections = Sections()
    out = ROOT / "build" / "bench"
    out.mkdir(parents=True, exist_ok=True)

    peer_wanted = not args.no_peer
    if peer_wanted and not (shutil.which("kshutdown") and shutil.which("dbus-daemon")):
        sections.failures.append("peer: kshutdown or dbus-daemon is not installed (bench/run_bench.sh installs them)")
        peer_wanted = False

    xvfb = Xvfb()
    display = xvfb.start()
    log(f"display {display}")
    try:
        arches = [args.arch] + ([results["also"]] if results["also"] else [])
        for arch in arches:
            full = arch == args.arch
            per_arch = results.setdefault(arch, {})
            bench = ArchBench(arch, display)
            if not sections.run(f"Wine session ({arch})", bench.start):
                bench.stop()
                continue
            try:
                per_arch["region"] = sections.run(f"region build ({arch})",
                                                  lambda: region.run(bench, args.region_runs))

                def run_startup():
                    peer = startup.PeerSession(display) if full and peer_wanted else None
                    try:
                        return startup.run(bench, args.startup_runs, peer, args.before if full else None)
                    finally:
                        if peer:
                            peer.stop()

                per_arch["startup"] = sections.run(f"start-up ({arch})", run_startup)
                per_arch["startup_steps"] = sections.run(f"start-up steps ({arch})", lambda: startup.breakdown(bench))
                per_arch["footprint"] = sections.run(
                    f"footprint ({arch})", lambda: footprint.run(bench, args.idle_seconds, args.count_seconds))
                if full:
                    per_arch["expiry"] = sections.run(f"expiry ({arch})",
                                                      lambda: expiry.run(bench, args.long_counts))
            finally:
                bench.stop()
        results["sizes"] = sections.run("sizes", lambda: footprint.sizes([BenchConfig(a) for a in ("i686", "x86_64")]))
    finally:
        xvfb.stop()

    results["failures"] = sections.failures
    results["wall_seconds"] = time.time() - started_at
    results["built"] = os.environ.get("TARNVEL_BENCH_BUILT") == "1"
    (out / "results.json").write_text(json.dumps(results, indent=1), encoding="utf-8")
    text = report.markdown(results)
    (out / "BENCHMARKS.md").write_text(text, encoding="utf-8")
    log("")
    log(report.summary(results))
    log(f"wall time {results['wall_seconds']:.0f} s{' (the incremental build included)' if results['built'] else ''}; "
        f"figures in build/bench/results.json and build/bench/BENCHMARKS.md")
    if args.record:
        (ROOT / "BENCHMARKS.md").write_text(text, encoding="utf-8")
        log("BENCHMARKS.md written")
    for failure in sections.failures:
        log(f"could not run: {failure}")
    return 1 if sections.failures else 0


if __name__ == "__main__":
    sys.exit(main())
