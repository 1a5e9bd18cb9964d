#!/usr/bin/env bash
# Sets up, builds all three flavours and runs every test: the native unit
# tests, and the same tests plus the Windows-only ones under Wine, for
# i686 and x86_64.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
mkdir -p "$root/build"
"$root/scripts/build.sh"

echo "== test native"
ctest --test-dir "$root/build/native" --output-on-failure

source "$root/scripts/xvfb.sh"
for arch in i686 x86_64; do
    (
        source "$root/scripts/wine_env.sh" "$arch"
        tarnvel_wine_prefix
        echo "== test $arch under Wine"
        ctest --test-dir "$root/build/$arch" --output-on-failure
    )
done
echo "== all tests passed"
