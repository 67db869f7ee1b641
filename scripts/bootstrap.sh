#!/usr/bin/env bash
# Installs, with apt, what building and testing need and this machine lacks.
# Quiet when everything is present; names each package it installs.
set -euo pipefail

need_i386=0
missing=()

have_pkg() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

want() {
    have_pkg "$1" || missing+=("$1")
}

want g++-mingw-w64-i686-posix
want g++-mingw-w64-x86-64-posix
want binutils-mingw-w64-i686
want binutils-mingw-w64-x86-64
want wine
want wine64
if ! have_pkg wine32:i386; then
    missing+=("wine32:i386")
    need_i386=1
fi
want xvfb
want xauth
want cmake
want googletest
want python3
# The Windows Installer package is built with msitools' WiX compiler.
want wixl

[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

echo "bootstrap: installing ${missing[*]}"
if [ "$need_i386" -eq 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "bootstrap: adding the i386 architecture to dpkg (wine32 needs it)"
    "${sudo_cmd[@]}" dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq >/dev/null
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
echo "bootstrap: done"
