#!/usr/bin/env bash
# Takes the README's pictures of the connector's window: a fresh Wine prefix
# with the stand-in Notes client, a mail file, an archive and an application
# chosen for indexing, the Windows Search stand-in for the crawl to push to,
# and the connector started under Xvfb; its database list (after the crawl's
# first pass) and its About box are saved as docs/connector-window.png and
# docs/connector-about.png. Needs the 32-bit tree built
# (cmake --preset win32 && cmake --build --preset win32).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
say() { printf 'window-screenshot: %s\n' "$*"; }

prefix="$root/build/window-pictures/wineprefix"
cleanup() { scripts/wineprefix.sh stop "$prefix"; }
trap cleanup EXIT
say "making a fresh Wine prefix at $prefix"
scripts/wineprefix.sh fresh "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all
DISPLAY="$(scripts/wineprefix.sh display "$prefix")"
export DISPLAY

tree=build/win32
notes_dir='C:\Program Files (x86)\IBM\Notes'
notes_unix="$prefix/drive_c/Program Files (x86)/IBM/Notes"
mkdir -p "$notes_unix" "$prefix/drive_c/Notes/Data/mail" "$prefix/drive_c/Notes/Data/archive"
cp "$tree/connector/BRWConnector.exe" "$tree/connector/BRWClient.dll" "$tree/notesdata/BRWData.dll" \
   "$tree/platform/notes/nnotes.dll" "$tree/platform/notes/nxrtf.dll" "$tree/platform/notes/notesdb.exe" \
   "$tree/consolehost/BRWHC.exe" "$notes_unix/"
notesdb() { wine "$notes_unix/notesdb.exe" "$@" | sed 's/\r$//'; }
# No password on the ID: the connector logs in without a prompt.
notesdb create 'C:\Notes\Data' --ini "$notes_dir\notes.ini" --user 'CN=Jane Doe/OU=Sales/O=Acme' >/dev/null
notesdb generate mail 'C:\Notes\Data\mail\jdoe.nsf' --count 60 --seed 7 --owner 'CN=Jane Doe/OU=Sales/O=Acme' >/dev/null
notesdb generate archive 'C:\Notes\Data\archive\a_jdoe.nsf' --count 40 --seed 8 >/dev/null
notesdb generate app 'C:\Notes\Data\projects.nsf' --count 20 --seed 9 >/dev/null

wine reg add 'HKLM\SOFTWARE\Lotus\Notes' /v Path /d "$notes_dir" /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Lotus\Notes' /v DataPath /d 'C:\Notes\Data' /f >/dev/null 2>&1
settings='HKCU\Software\FenwoldInc\BRW'
wine reg add "$settings" /v ManualSelection /t REG_DWORD /d 1 /f >/dev/null 2>&1
for database in 'mail\jdoe.nsf' 'archive\a_jdoe.nsf' 'projects.nsf'; do
    wine reg add "$settings\\Databases" /v "$database" /d '' /f >/dev/null 2>&1
done
wine regsvr32 /s "$tree/platform/winsearch/BRWSearchStandIn.dll"

mkdir -p docs
say "starting the connector and taking the pictures"
wine "$tree/connector/brw_demo_connector_window.exe" "$notes_dir" "$(winepath -w "$root/docs")" | sed 's/\r$//'
say "saved docs/connector-window.png and docs/connector-about.png"
