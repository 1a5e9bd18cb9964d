# Sourced by the scripts that run Windows executables. Usage:
#   source wine_env.sh ARCH      (ARCH is i686 or x86_64)
# Sets WINEPREFIX to a prefix of that architecture inside the build folder
# (made on first use by tarnvel_wine_prefix, reused afterwards), keeps Wine
# quiet and away from the Gecko and Mono installers, and runs Wine through
# the loader this machine can run for it (tarnvel_wine; scripts/wine_loaders.py
# decides once per run and keeps the answer in the environment).

_tarnvel_arch=${1:?architecture}
_tarnvel_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX="${TARNVEL_WINE_DIR:-$_tarnvel_root/build/wine}/$_tarnvel_arch"
if [ "$_tarnvel_arch" = i686 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml="}
eval "$(python3 "$_tarnvel_root/scripts/wine_loaders.py" decide)"

tarnvel_wine() {
    python3 "$_tarnvel_root/scripts/wine_loaders.py" run "$_tarnvel_arch" "$@"
}

tarnvel_wine_prefix() {
    # Made from the architecture's template prefix on first use, with Wine's
    # own fonts (Debian's Wine does not find them; without them captions and
    # message boxes fall back to faces of other metrics).
    python3 "$_tarnvel_root/scripts/wine_prefix.py" make "$_tarnvel_arch" "$WINEPREFIX"
}
