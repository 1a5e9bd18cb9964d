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
# need the i686 program under Wine run in a virtual machine, or are skipped
# by name, with the reason, where that cannot start either.
# Ends with the suites that ran and those skipped, then
# `N passed, N failed, N skipped`.
#   scripts/test.sh [--suite TEXT]... [--repeat N] [--timeout S]
# With --suite, only the suites whose names hold TEXT run, each N times
# with --repeat (to find a check that fails now and then).
# One run at a time in a clone: a second one says so and ends at once.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [ "${TARNVEL_TEST_BODY:-}" = 1 ]; then
    # The run itself, in a process group of its own (see below).
    "$root/scripts/setup.sh"
    "$root/scripts/build.sh"
    eval "$(python3 "$root/scripts/wine_loaders.py" decide)"
    exec python3 "$root/scripts/test_suites.py" run "$@"
fi
mkdir -p "$root/build"
lock="$root/build/test-run.lock"
if ! mkdir "$lock" 2>/dev/null; then
    holder=$(cat "$lock/pid" 2>/dev/null || true)
    [ -n "$holder" ] || { sleep 1; holder=$(cat "$lock/pid" 2>/dev/null || true); }
    if [ -n "$holder" ] && kill -0 "$holder" 2>/dev/null; then
        echo "test: a run of the test command is going on in this clone already (process $holder); wait for it to end" >&2
        exit 1
    fi
    rm -rf "$lock"  # left by a run that was killed
    mkdir "$lock"
fi
echo $$ >"$lock/pid"
# The run goes in a process group of its own, so that Ctrl+C or SIGTERM here
# stops all of it, the build too; the runner then stops its suites with
# everything they started.
TARNVEL_TEST_BODY=1 setsid "$0" "$@" &
run=$!
trap 'kill -TERM -- "-$run" 2>/dev/null; wait "$run"; rm -rf "$lock"; exit 1' TERM INT
trap 'rm -rf "$lock"' EXIT
wait "$run"
