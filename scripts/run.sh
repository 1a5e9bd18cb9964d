#!/usr/bin/env bash
# Sets up, builds and starts Tarnvel under Wine, in a Wine virtual desktop.
# On the current X display when there is one; otherwise on a virtual display,
# where a screenshot is taken once the window shows and saved in build/.
#   scripts/run.sh [i686|x86_64]
# With no architecture it starts the i686 program where this machine can run
# 32-bit programs, and the x86_64 program otherwise.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${1:-}
case "$arch" in
    ""|i686|x86_64) ;;
    *) echo "usage: scripts/run.sh [i686|x86_64]" >&2; exit 2 ;;
esac
"$root/scripts/setup.sh"
eval "$(python3 "$root/scripts/wine_loaders.py" decide)"
if [ -z "$arch" ]; then
    if [ "$TARNVEL_WINE32" = runs ]; then
        arch=i686
        echo "Starting the i686 program: this machine runs 32-bit programs, and the i686 build is the one for every Windows."
    else
        arch=x86_64
        echo "Starting the x86_64 program: $TARNVEL_WINE32_WHY."
    fi
elif ! python3 "$root/scripts/wine_loaders.py" can-run "$arch"; then
    exit 1
fi
mkdir -p "$root/build"
"$root/scripts/build.sh" "$arch" >"$root/build/run-build.log" 2>&1 || { cat "$root/build/run-build.log"; exit 1; }

virtual=0
[ -n "${DISPLAY:-}" ] || virtual=1
source "$root/scripts/xvfb.sh"
source "$root/scripts/wine_env.sh" "$arch"
tarnvel_wine_prefix

exe="$root/build/$arch/tarnvel.exe"
echo "Starting $exe on display $DISPLAY"
tarnvel_wine explorer /desktop=Tarnvel,1024x768 "$exe" &
program=$!

if [ "$virtual" = 1 ]; then
    shot="$root/build/tarnvel-screenshot.png"
    for _ in $(seq 100); do
        xdotool search --name '^Tarnvel$' >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 1
    import -window root "$shot"
    echo "No display was set: Tarnvel ran on a virtual display; screenshot saved to $shot"
    wineserver -k || true
    wait "$program" 2>/dev/null || true
else
    wait "$program"
fi
