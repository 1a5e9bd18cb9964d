#!/usr/bin/env bash
# Runs one cross build's unit tests under Wine, in that architecture's prefix
# (build/wine/ARCH), on the current display or a virtual one.
#   scripts/wine_ctest.sh ARCH
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:?architecture (i686 or x86_64)}
source "$root/scripts/xvfb.sh"
source "$root/scripts/wine_env.sh" "$arch"
tarnvel_wine_prefix
ctest --test-dir "$root/build/$arch" --output-on-failure
