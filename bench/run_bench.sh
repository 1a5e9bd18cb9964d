#!/usr/bin/env bash
# Runs every benchmark of Tarnvel under Wine on a virtual display of its own
# and prints each figure next to its floor from the same run; under 10
# minutes on a two-core machine. Exits 0 unless some benchmark could not run.
#   bench/run_bench.sh [--record] [--no-build] [options of bench/run_bench.py]
# --record writes BENCHMARKS.md; the figures always go to build/bench/.
set -euo pipefail
export TARNVEL_BENCH_STARTED
TARNVEL_BENCH_STARTED=$(date +%s.%N)
root=$(cd "$(dirname "$0")/.." && pwd)

build=1
args=()
for arg in "$@"; do
    if [ "$arg" = --no-build ]; then build=0; else args+=("$arg"); fi
done

# What the project needs, then the peer and the session bus it runs with.
"$root/scripts/setup.sh"
missing=()
for p in kshutdown dbus-daemon; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "bench: installing ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -q
    $SUDO apt-get install -y -q -o DPkg::Lock::Timeout=900 --no-install-recommends "${missing[@]}"
fi

export TARNVEL_BENCH_BUILT=$build
if [ "$build" = 1 ]; then
    mkdir -p "$root/build/bench"
    echo "bench: building i686 and x86_64 (log in build/bench/build.log)"
    "$root/scripts/build.sh" i686 x86_64 >"$root/build/bench/build.log" 2>&1 \
        || { tail -40 "$root/build/bench/build.log"; exit 1; }
fi

exec /usr/bin/env python3 "$root/bench/run_bench.py" "${args[@]}"
