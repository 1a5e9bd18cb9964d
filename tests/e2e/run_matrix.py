#!/usr/bin/env python3
"""Runs the program under the Windows versions and DPI settings it must work
with, one scenario per setting, each in a Wine prefix of its own
(build/wine-matrix/ARCH-SETTING, made on first use from the architecture's
template prefix by scripts/wine_prefix.py and reused afterwards). Exits
non-zero when any fails.

    tests/e2e/run_matrix.py [--arch ARCH ...] [-k NAME-PART ...]

Settings: i686 under win98 (at 96 DPI and at 120, Large Fonts), win2k,
winxp, win7 and win10, and at the DPI settings; x86_64 under win7 and win10, and the program's Windows 9x code path
(the x86_64 program under Wine set to win98, which reports the 9x family to
64-bit programs too). The DPI settings run on x86_64 as well with
--dpi-both, and on x86_64 alone where this machine cannot run 32-bit
programs; the i686 settings are then skipped by name, with the reason.
"""

import argparse
import shutil
import sys
import time
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import tarnvel_case  # noqa: E402
from test_dpi import DpiScenario  # noqa: E402
from test_versions import MATRIX_RELAY_INCLUDE, VersionScenario, Win98CallsScenario, Win98LargeFontsScenario  # noqa: E402,E501
from wine_session import (ROOT, Config, Xvfb, not_built, prepare_prefix, unittest_tally, wine_loaders,  # noqa: E402
                          wineserver_kill)

VERSIONS = {"i686": ["win98", "win2k", "winxp", "win7", "win10"], "x86_64": ["win7", "win10"]}
# The 64-bit program's own Windows 9x path: the family flag, no privilege
# calls, the call with the exit mode. Not Windows 98 itself, which has no
# 64-bit programs: the i686 win98 setting is the one that checks its calls.
NINE_X_PATH = {"x86_64": "9x-code-path"}
DPI_SETTINGS = [96, 120, 144, 192]
MATRIX_DIR = ROOT / "build" / "wine-matrix"


class Target:
    """One setting: its prefix, how the prefix is set, and its scenario."""

    def __init__(self, arch, name, case, **settings):
        self.arch, self.name, self.settings = arch, name, settings
        self.label = f"{arch}-{name}"
        self.case = type(f"{case.__name__.replace('Scenario', '')}_{name}_{arch}", (case,),
                         {"__module__": case.__module__, **settings})


def targets(arches, dpi_arches):
    made = []
    for arch in arches:
        made += [Target(arch, version, Win98CallsScenario if version == "win98" else VersionScenario,
                        windows_version=version) for version in VERSIONS[arch]]
        if "win98" in VERSIONS[arch]:  # Large Fonts, the DPI setting Windows 98 knows
            made.append(Target(arch, "win98-dpi120", Win98LargeFontsScenario, windows_version="win98", log_pixels=120))
        if arch in NINE_X_PATH:
            made.append(Target(arch, NINE_X_PATH[arch], VersionScenario, windows_version="win98"))
        if arch in dpi_arches:
            made += [Target(arch, f"dpi{dpi}", DpiScenario, log_pixels=dpi) for dpi in DPI_SETTINGS]
    return made


def parse_args():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--arch", dest="arches", action="append", choices=["i686", "x86_64"],
                        help="only this architecture (may repeat; default both)")
    parser.add_argument("--dpi-both", action="store_true", help="run the DPI settings for x86_64 too")
    parser.add_argument("-k", dest="patterns", action="append", default=[],
                        help="only the settings whose name (e.g. i686-win98, i686-dpi120) contains this")
    return parser.parse_args()


def run_target(target, display, result):
    config = Config(target.arch, prefix=MATRIX_DIR / target.label)
    config.display = display
    config.artifacts = ROOT / "build" / "e2e-artifacts" / target.arch / f"matrix-{target.name}"
    config.artifacts.mkdir(parents=True, exist_ok=True)
    for old in list(config.artifacts.glob("*.relay.log")) + list(config.artifacts.glob("*.failed.*")):
        old.unlink()
    try:
        prepare_prefix(config, windows_version=target.settings.get("windows_version"),
                       log_pixels=target.settings.get("log_pixels"), relay_include=MATRIX_RELAY_INCLUDE,
                       trace_own_calls=getattr(target.case, "trace_own_calls", False))
    except Exception:  # a prefix that could not be made fails its setting only
        test = target.case(unittest.defaultTestLoader.getTestCaseNames(target.case)[0])
        result.startTest(test)
        result.addError(test, sys.exc_info())
        result.stopTest(test)
        return
    tarnvel_case.HARNESS = tarnvel_case.Harness(config)
    try:
        unittest.defaultTestLoader.loadTestsFromTestCase(target.case).run(result)
    finally:
        tarnvel_case.HARNESS.session.stop()
        tarnvel_case.HARNESS = None
        wineserver_kill(config)


def main():
    args = parse_args()
    arches = args.arches or ["i686", "x86_64"]
    skipped = {}
    for arch in arches:
        runs, why = wine_loaders.can_run(arch)
        if not runs:
            skipped[arch] = why
    dpi_arches = arches if args.dpi_both else ["i686" if "i686" not in skipped else "x86_64"]
    listed = [t for t in targets(arches, dpi_arches) if not args.patterns or any(p in t.label for p in args.patterns)]
    chosen = [t for t in listed if t.arch not in skipped]
    for target in listed:
        if target.arch in skipped:
            print(f"skipped: {target.label}: {skipped[target.arch]}")
    for missing in filter(None, (not_built(Config(arch), "matrix") for arch in sorted({t.arch for t in chosen}))):
        print(missing, file=sys.stderr)
        return 2
    for arch in ("i686", "x86_64"):  # the clean prefix the settings' prefixes were once copied from
        shutil.rmtree(MATRIX_DIR / f"{arch}-base", ignore_errors=True)
    xvfb = Xvfb()
    display = xvfb.start()
    result = unittest.TextTestResult(unittest.runner._WritelnDecorator(sys.stdout), True, 2)
    began = time.monotonic()
    try:
        for target in chosen:
            started = time.monotonic()
            print(f"== {target.label} (display {display})", flush=True)
            run_target(target, display, result)
            print(f"   {target.label}: {time.monotonic() - started:.0f} s", flush=True)
    finally:
        xvfb.stop()
    result.printErrors()
    print(f"matrix: {len(chosen)} settings in {time.monotonic() - began:.0f} s; artifacts in "
          f"{ROOT / 'build' / 'e2e-artifacts'}")
    line, passed = unittest_tally(result, skipped=len(listed) - len(chosen))
    print(line)
    return 0 if passed else 1


if __name__ == "__main__":
    sys.exit(main())
