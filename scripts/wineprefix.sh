#!/usr/bin/env bash
# Wine prefixes for tests and the demo.
#
#   wineprefix.sh fresh  PREFIX   new prefix from the template, its wineserver
#                                 and Wine's services started, Xvfb for it
#   wineprefix.sh ensure PREFIX   the same, unless PREFIX is already up
#   wineprefix.sh stop   PREFIX   wineserver and Xvfb stopped, PREFIX removed
#   wineprefix.sh display PREFIX  prints the X display of PREFIX's Xvfb
#
# The template is made once per Wine version (wineboot takes ~15 s) and
# copied per prefix; its large DLL folders are hard-linked, not copied.
set -euo pipefail
# The locks below are held on fds 8 and 9; the long-lived processes started
# here (Xvfb, wineserver, services) must not inherit them.

export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko: nothing here needs them and their installers would ask.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

cache_dir="${XDG_CACHE_HOME:-$HOME/.cache}/brimlow-search"
wine_version="$(wine --version | tr -c 'A-Za-z0-9.\n-' '_')"
template="$cache_dir/wineprefix-$wine_version"

make_template() {
    mkdir -p "$cache_dir"
    exec 8>"$template.lock"
    flock 8
    if [ ! -f "$template/system.reg" ]; then
        echo "wineprefix: preparing the Wine prefix template (once per Wine version)" >&2
        local tmp="$template.tmp.$$"
        rm -rf "$tmp"
        WINEPREFIX="$tmp" wineboot -i </dev/null >/dev/null 2>&1
        WINEPREFIX="$tmp" wineserver -w
        rm -rf "$template"
        mv "$tmp" "$template"
    fi
    exec 8>&-
}

copy_template() {
    local prefix="$1" big
    mkdir -p "$prefix"
    # Everything but the DLL folders is small and may be written: copy it.
    (cd "$template" && find . -mindepth 1 -maxdepth 1 ! -name drive_c -exec cp -a {} "$prefix/" \;)
    mkdir -p "$prefix/drive_c"
    (cd "$template/drive_c" && find . -mindepth 1 -maxdepth 1 ! -name windows -exec cp -a {} "$prefix/drive_c/" \;)
    mkdir -p "$prefix/drive_c/windows"
    for entry in "$template/drive_c/windows"/* "$template/drive_c/windows"/.[!.]*; do
        [ -e "$entry" ] || continue
        big=0
        case "$(basename "$entry")" in system32|syswow64|winsxs) big=1 ;; esac
        if [ "$big" -eq 1 ]; then
            cp -al "$entry" "$prefix/drive_c/windows/" 2>/dev/null || cp -a "$entry" "$prefix/drive_c/windows/"
        else
            cp -a "$entry" "$prefix/drive_c/windows/"
        fi
    done
}

start_xvfb() {
    local prefix="$1" fifo display
    command -v Xvfb >/dev/null || return 0
    fifo="$(mktemp -u "${TMPDIR:-/tmp}/brw-xvfb.XXXXXX")"
    mkfifo "$fifo"
    # -displayfd makes Xvfb pick a free display and report it once it is ready.
    setsid Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$fifo" </dev/null >/dev/null 2>&1 8>&- 9>&- &
    echo $! >"$prefix.xvfb.pid"
    read -r display <"$fifo"
    rm -f "$fifo"
    echo ":$display" >"$prefix.display"
}

# A fresh prefix's server stays until stop; one started on demand (a test
# program run by hand, or ctest listing a program's tests at build time) ends
# a few seconds after its last process, so nothing lingers.
start_server() {
    local prefix="$1" persist="$2" rc=0
    WINEPREFIX="$prefix" wineserver "-p$persist" </dev/null >/dev/null 2>&1 8>&- 9>&- || rc=$?
    # 2: already running for this prefix.
    [ "$rc" -eq 0 ] || [ "$rc" -eq 2 ] || return "$rc"
    if [ "$rc" -eq 0 ]; then
        # Wine's services start with the first process and inherit its
        # standard handles; started here, detached, no test waits for them.
        # Its desktop process starts with them too and keeps the display it
        # was given: without one, no console or window of the run would work.
        [ -f "$prefix.display" ] && DISPLAY="$(cat "$prefix.display")" && export DISPLAY
        WINEPREFIX="$prefix" wine cmd /c exit </dev/null >/dev/null 2>&1 8>&- 9>&-
    fi
}

stop_prefix() {
    local prefix="$1"
    if [ -d "$prefix" ]; then
        WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
        WINEPREFIX="$prefix" wineserver -w 2>/dev/null || true
    fi
    if [ -f "$prefix.xvfb.pid" ]; then
        kill "$(cat "$prefix.xvfb.pid")" 2>/dev/null || true
    fi
    rm -rf "$prefix" "$prefix.xvfb.pid" "$prefix.display"
}

fresh_prefix() {
    local prefix="$1"
    stop_prefix "$prefix"
    make_template
    copy_template "$prefix"
    start_xvfb "$prefix"
    start_server "$prefix" ""
}

ensure_prefix() {
    local prefix="$1"
    mkdir -p "$(dirname "$prefix")"
    exec 9>"$prefix.lock"
    flock 9
    if [ ! -f "$prefix/system.reg" ]; then
        make_template
        copy_template "$prefix"
    fi
    start_server "$prefix" 5
    exec 9>&-
}

# Later steps change folders; the prefix must not depend on where we are.
[ $# -eq 2 ] && set -- "$1" "$(realpath -m "$2")"

case "${1:-}" in
    fresh)   [ $# -eq 2 ] && { mkdir -p "$(dirname "$2")"; exec 9>"$2.lock"; flock 9; fresh_prefix "$2"; } ;;
    ensure)  [ $# -eq 2 ] && ensure_prefix "$2" ;;
    stop)    [ $# -eq 2 ] && { stop_prefix "$2"; rm -f "$2.lock"; } ;;
    display) [ $# -eq 2 ] && { [ -f "$2.display" ] && cat "$2.display"; true; } ;;
    *) echo "usage: $0 fresh|ensure|stop|display PREFIX" >&2; exit 2 ;;
esac
