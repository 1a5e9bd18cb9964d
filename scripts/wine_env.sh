# Sourced by the scripts that run Windows executables. Usage:
#   source wine_env.sh ARCH      (ARCH is i686 or x86_64)
# Sets WINEPREFIX to a prefix of that architecture inside the build folder
# (made on first use, reused afterwards), keeps Wine quiet and away from the
# Gecko and Mono installers, and gives the prefix Wine's own fonts.

_tarnvel_arch=${1:?architecture}
_tarnvel_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${TARNVEL_WINE_DIR:-$_tarnvel_root/build/wine}/$_tarnvel_arch"
if [ "$_tarnvel_arch" = i686 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}

tarnvel_wine_prefix() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "wine: making the $WINEARCH prefix $WINEPREFIX"
        mkdir -p "$(dirname "$WINEPREFIX")"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # Debian's Wine does not find its own fonts; without them captions and
    # message boxes fall back to faces of other metrics.
    local fonts="$WINEPREFIX/drive_c/windows/Fonts"
    local own
    for own in /usr/share/wine/fonts /usr/lib/x86_64-linux-gnu/wine/fonts /usr/lib/i386-linux-gnu/wine/fonts; do
        if [ -d "$own" ] && [ -n "$(ls -A "$own" 2>/dev/null)" ]; then
            mkdir -p "$fonts"
            cp -n "$own"/* "$fonts"/ 2>/dev/null || true
        fi
    done
}
