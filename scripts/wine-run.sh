#!/usr/bin/env bash
# Runs a Windows program under Wine in PREFIX (made on first use):
#   wine-run.sh PREFIX PROGRAM [ARGS...]
# CMake uses it as the cross-compiling emulator, so ctest runs every test
# program through it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
prefix="$(realpath -m "$1")"
shift
"$here/wineprefix.sh" ensure "$prefix"
export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
display="$("$here/wineprefix.sh" display "$prefix")"
[ -n "$display" ] && export DISPLAY="$display"
exec wine "$@"
