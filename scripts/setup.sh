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
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
