#!/usr/bin/env bash
# Screenshots of the main and About windows twice: in a prefix where the
# Traditional Chinese face the fields, buttons and About labels are designed
# in is missing (the program falls back to a Latin face), and in one where
# that face name is mapped to an installed Ming face with Big5 coverage.
#   tests/screens/font_screens.sh [i686|x86_64]
# Saves build/e2e-artifacts/<arch>/fonts-{fallback,cjk}.png and checks that
# the time fields were drawn in a different face in the two prefixes.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
arch=${1:-i686}
exe="$root/build/$arch/tarnvel.exe"
out="$root/build/e2e-artifacts/$arch"
mkdir -p "$out"
export TARNVEL_XVFB=1
source "$root/scripts/xvfb.sh"
source "$root/scripts/wine_env.sh" "$arch"
export TARNVEL_WINE_DIR="$root/build/wine-fonts"

shoot() {  # mode: fallback | cjk
    local mode=$1
    export WINEPREFIX="$TARNVEL_WINE_DIR/$arch-$mode"
    tarnvel_wine_prefix >/dev/null
    if [ "$mode" = cjk ]; then
        for face in '新細明體' 'PMingLiU'; do
            wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d 'AR PL UMing TW' /f >/dev/null 2>&1
        done
    fi
    wine explorer "/desktop=Fonts$mode,1024x768" "$exe" >/dev/null 2>&1 &
    for _ in $(seq 100); do xdotool search --name '^Tarnvel$' >/dev/null 2>&1 && break; sleep 0.1; done
    sleep 1
    # About button: main window centred in the 1024x768 desktop, button at (96, 248) on it.
    xdotool mousemove $((420 + 96 + 28)) $((228 + 248 + 8)) click 1
    for _ in $(seq 100); do xdotool search --name '^About$' >/dev/null 2>&1 && break; sleep 0.1; done
    sleep 1
    import -window root -crop 1024x768+0+0 +repage "$out/fonts-$mode.png"
    wineserver -k >/dev/null 2>&1 || true
    echo "saved $out/fonts-$mode.png"
}

shoot fallback
shoot cjk

# The time fields (main window centred, fields at y 200..225 on it).
fields=(-crop 130x30+450+426 +repage)
convert "$out/fonts-fallback.png" "${fields[@]}" "$out/fields-fallback.png"
convert "$out/fonts-cjk.png" "${fields[@]}" "$out/fields-cjk.png"
differing=$(compare -metric AE "$out/fields-fallback.png" "$out/fields-cjk.png" null: 2>&1 || true)
echo "pixels differing in the time fields: $differing"
if [ "${differing%%.*}" -gt 0 ] 2>/dev/null; then
    echo "1 passed, 0 failed"
else
    echo "the fields look the same with and without the Chinese face"
    echo "0 passed, 1 failed"
    exit 1
fi
