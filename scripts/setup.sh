#!/usr/bin/env bash
# Installs everything the build, the tests and the run command need, from
# Debian's packages. Quick when all of it is present already.
set -euo pipefail

packages=(
    cmake make g++ libgtest-dev python3 clang libclang-rt-dev
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64
    wine wine64 wine32:i386 fonts-wine fonts-liberation fonts-arphic-uming
    xvfb xdotool x11-utils imagemagick
    qemu-system-x86 busybox-static kmod
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    # Never waits on a password: without root, sudo must work as it is.
    if ! command -v sudo >/dev/null || ! sudo -n true 2>/dev/null; then
        echo "setup: installing needs root: run \`sudo apt-get install ${missing[*]}\` (after \`sudo dpkg --add-architecture i386\`), or run this as root" >&2
        exit 1
    fi
    SUDO="sudo -n"
fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q </dev/null
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
