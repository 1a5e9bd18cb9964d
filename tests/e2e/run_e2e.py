#!/usr/bin/env python3
"""Runs the end-to-end scenarios against build/ARCH/tarnvel.exe under Wine on
a virtual display of its own. Exits non-zero when any scenario fails.

    tests/e2e/run_e2e.py ARCH [-k PATTERN ...]
"""

import argparse
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import tarnvel_case  # noqa: E402
from wine_session import (Config, Xvfb, cannot_run, not_built, prepare_prefix, unittest_tally,  # noqa: E402
                          wineserver_kill)

SCENARIO_MODULES = ["test_countdown", "test_fields", "test_windows", "test_access"]


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("arch", choices=["i686", "x86_64"])
    parser.add_argument("-k", dest="patterns", action="append", default=[],
                        help="run only the tests whose name contains this (may repeat)")
    return parser.parse_args()


def load_suite(patterns):
    loader = unittest.TestLoader()
    if patterns:
        loader.testNamePatterns = [f"*{p}*" for p in patterns]
    return unittest.TestSuite(loader.loadTestsFromName(name) for name in SCENARIO_MODULES)


def main():
    args = parse_args()
    refused = cannot_run(args.arch, "e2e")
    if refused:
        print(refused, file=sys.stderr)
        return 1
    config = Config(args.arch)
    if missing := not_built(config, "e2e"):
        print(missing, file=sys.stderr)
        return 2
    config.artifacts.mkdir(parents=True, exist_ok=True)
    for old in list(config.artifacts.glob("*.relay.log")) + list(config.artifacts.glob("*.failed.*")):
        old.unlink()
    xvfb = Xvfb()
    config.display = xvfb.start()
    began = time.monotonic()
    try:
        print(f"e2e {args.arch}: display {config.display}, prefix {config.prefix}", flush=True)
        prepare_prefix(config, taskbar=True)
        tarnvel_case.HARNESS = tarnvel_case.Harness(config)
        result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(load_suite(args.patterns))
    finally:
        if tarnvel_case.HARNESS:
            tarnvel_case.HARNESS.session.stop()
        wineserver_kill(config)
        xvfb.stop()
    print(f"e2e {args.arch}: {time.monotonic() - began:.0f} s, artifacts in {config.artifacts}")
    line, passed = unittest_tally(result)
    print(line)
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())
