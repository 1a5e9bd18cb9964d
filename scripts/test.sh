#!/usr/bin/env bash
# Sets up, builds all three flavours and runs every test: the native unit
# tests; the same tests plus the Windows-only ones under Wine, for i686 and
# x86_64; and the end-to-end scenarios that drive the real program under
# Wine on a virtual display, for both architectures; checks of the
# executables' imports and hardening; a bounded fuzzing run; the program
# under Windows versions 98 to 10 and at 96, 120 and 144 DPI; and a seeded
# soak of 2,000 random actions (TARNVEL_SOAK_SEED picks another seed). The
# Wine prefixes share their big files with one template per architecture
# (scripts/wine_prefix.py); the last check is that no test changed those.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
mkdir -p "$root/build"
"$root/scripts/build.sh"

echo "== test native"
ctest --test-dir "$root/build/native" --output-on-failure
echo "== the helper that makes the Wine prefixes"
python3 "$root/tests/e2e/test_wine_prefix.py"

source "$root/scripts/xvfb.sh"
for arch in i686 x86_64; do
    (
        source "$root/scripts/wine_env.sh" "$arch"
        tarnvel_wine_prefix
        echo "== test $arch under Wine"
        ctest --test-dir "$root/build/$arch" --output-on-failure
    )
done
echo "== executables: old-Windows imports and hardening"
"$root/tests/pe/run_pe_checks.sh"
echo "== fuzzing the field rules, the clock and the GIF reader"
"$root/tests/fuzz/run_fuzz.sh" 20
for arch in i686 x86_64; do
    echo "== end-to-end $arch"
    "$root/tests/e2e/run_e2e.sh" "$arch"
done
echo "== Windows versions and DPI settings"
"$root/tests/e2e/run_matrix.sh"
echo "== soak: random use with invariants checked"
"$root/tests/soak/run_soak.sh" --seed "${TARNVEL_SOAK_SEED:-1}" --actions 2000
echo "== code pages 950 and 1252, with and without the Chinese face"
"$root/tests/screens/font_screens.sh" i686
echo "== the template Wine prefixes are as made (no test wrote through to them)"
python3 "$root/scripts/wine_prefix.py" verify
echo "== all tests passed"
