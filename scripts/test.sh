#!/usr/bin/env bash
# Sets up, builds all three flavours and runs every test suite this machine
# can run (scripts/test_suites.py lists them): the native unit tests; the
# same tests plus the Windows-only ones under Wine; the end-to-end scenarios
# that drive the real program under Wine on a virtual display; checks of the
# executables' imports and hardening; a bounded fuzzing run; the program
# under Windows versions 98 to 10 and at several DPI settings; a seeded soak
# of 2,000 random actions (TARNVEL_SOAK_SEED picks another seed); screens
# under two code pages; and last, that no test changed the template Wine
# prefixes. Where this machine cannot run 32-bit programs, the suites that
# need the i686 program under Wine are skipped by name, with the reason.
# Ends with the suites that ran and those skipped, then
# `N passed, N failed, N skipped`.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
mkdir -p "$root/build"
"$root/scripts/build.sh"
source "$root/scripts/xvfb.sh"
eval "$(python3 "$root/scripts/wine_loaders.py" decide)"
python3 "$root/scripts/test_suites.py" run
