#!/usr/bin/env bash
# Builds the three flavours: native (the portable core and its tests), and
# the Windows program with its tests for i686 and x86_64.
#   scripts/build.sh [native] [i686] [x86_64]     (default: all three)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
flavours=("$@")
[ ${#flavours[@]} -gt 0 ] || flavours=(native i686 x86_64)
jobs=$(nproc 2>/dev/null || echo 2)
mkdir -p "$root/build"

for flavour in "${flavours[@]}"; do
    dir="$root/build/$flavour"
    args=(-S "$root" -B "$dir" -DCMAKE_BUILD_TYPE=Release)
    if [ "$flavour" != native ]; then
        args+=("-DCMAKE_TOOLCHAIN_FILE=$root/cmake/mingw-$flavour.cmake")
    fi
    echo "== build $flavour"
    cmake "${args[@]}" >"$root/build/configure-$flavour.log" 2>&1 || { cat "$root/build/configure-$flavour.log"; exit 1; }
    cmake --build "$dir" -j "$jobs"
done
