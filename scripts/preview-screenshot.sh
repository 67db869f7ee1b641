#!/usr/bin/env bash
# Takes a picture of the preview pane of a generated memo: a fresh Wine
# prefix with the stand-in Notes client and a generated mail file, the data
# service answering on the connector's pipe, BRWHandler and the stand-ins'
# RTF preview handler registered, and the result folder's preview view shown
# in a window under Xvfb and saved as docs/preview-memo.png.
# Needs both trees built (cmake --workflow --preset all).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
say() { printf 'preview-screenshot: %s\n' "$*"; }

prefix="$root/build/preview/wineprefix"
server_pid=''
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true
    scripts/wineprefix.sh stop "$prefix"
}
trap cleanup EXIT
say "making a fresh Wine prefix at $prefix"
scripts/wineprefix.sh fresh "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all
DISPLAY="$(scripts/wineprefix.sh display "$prefix")"
export DISPLAY

notes_dir='C:\Program Files (x86)\IBM\Notes'
notes_unix="$prefix/drive_c/Program Files (x86)/IBM/Notes"
mkdir -p "$notes_unix" "$prefix/drive_c/Notes/Data/mail"
cp build/win32/platform/notes/nnotes.dll build/win32/platform/notes/nxrtf.dll \
   build/win32/platform/notes/notesdb.exe "$notes_unix/"
notesdb() { wine "$notes_unix/notesdb.exe" "$@" | sed 's/\r$//'; }
notesdb create 'C:\Notes\Data' --ini "$notes_dir\notes.ini" --user 'CN=Jane Doe/OU=Sales/O=Acme' >/dev/null
notesdb generate mail 'C:\Notes\Data\mail\jdoe.nsf' --count 20 --seed 7 --owner 'CN=Jane Doe/OU=Sales/O=Acme' >/dev/null
# The first memo, found by its form in the mail file's DXL export.
notesdb export 'C:\Notes\Data\mail\jdoe.nsf' 'C:\Notes\mail.dxl' >/dev/null
note_id="$(perl -0777 -ne 'while (/<document[\s>](.*?)<\/document>/sg) { my $d = $1;
        if ($d =~ /name="Form"[^>]*>\s*<text[^>]*>Memo<\/text>/s && $d =~ /noteid="([0-9a-f]+)"/) { print "$1\n"; exit } }' \
    "$prefix/drive_c/Notes/mail.dxl")"
[ -n "$note_id" ] || { say "no memo in the generated mail file"; exit 1; }
url="brw://{S-1-5-21-1-2-3-1001}/mail/jdoe.nsf/$note_id"
say "previewing $url"

# The data service on the connector's own pipe, as the connector serves it.
fifo="$(mktemp -u)"
mkfifo "$fifo"
wine build/win32/tests/brw_pipe_server_host.exe "$notes_dir\notes.ini" '\\.\pipe\QXServer' >"$fifo" 2>/dev/null &
server_pid=$!
read -r -t 60 ready <"$fifo" || true
rm -f "$fifo"
[ "${ready%$'\r'}" = ready ] || { say "the data service did not start"; exit 1; }

wine regsvr32 /s build/win64/handler/BRWHandler.dll
wine regsvr32 /s build/win64/platform/preview/BRWRtfPreview.dll
mkdir -p docs
wine build/win64/tests/brw_demo_preview.exe "$url" "$(winepath -w "$root/docs/preview-memo.png")" | sed 's/\r$//'
say "saved docs/preview-memo.png"
