#!/usr/bin/env bash
# Builds everything, makes a fresh demo Wine prefix, installs the product
# into it and shows what it does. Installs what a fresh Debian machine lacks.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
say() { printf 'demo: %s\n' "$*"; }

scripts/bootstrap.sh
say "building the 32-bit and the 64-bit tree"
for tree in win32 win64; do
    cmake --preset "$tree" >/dev/null
    cmake --build --preset "$tree" >/dev/null
done

prefix="$root/build/demo/wineprefix"
trap 'scripts/wineprefix.sh stop "$prefix"' EXIT
say "making a fresh Wine prefix at $prefix"
scripts/wineprefix.sh fresh "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all
DISPLAY="$(scripts/wineprefix.sh display "$prefix")"
export DISPLAY

program_files32="$prefix/drive_c/Program Files (x86)/Brimlow Search"
program_files64="$prefix/drive_c/Program Files/Brimlow Search"
mkdir -p "$program_files32" "$program_files64"
cp build/win32/consolehost/BRWHC.exe build/win32/connector/BRWConnector.exe build/win32/connector/BRWClient.dll \
   build/win32/notesdata/BRWData.dll build/win32/monitor32/BRWMon32.dll "$program_files32/"
cp build/win64/handler/BRWHandler.dll build/win64/launcher/BRW.exe "$program_files64/"
say "installed the 32-bit programs into C:\\Program Files (x86)\\Brimlow Search:"
(cd "$program_files32" && ls | sed 's/^/    /')
say "installed the 64-bit programs into C:\\Program Files\\Brimlow Search:"
(cd "$program_files64" && ls | sed 's/^/    /')

say "running the connector's console host handshake"
wine build/win32/tests/brw_demo_handshake.exe 'C:\Program Files (x86)\Brimlow Search\BRWHC.exe' | sed 's/\r$//; s/^/    /'
say "done; the demo prefix is removed again"
