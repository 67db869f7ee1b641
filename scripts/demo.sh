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

# The stand-in Notes client, where a Notes installation would put itself,
# with a data directory of generated databases.
notes_dir='C:\Program Files (x86)\IBM\Notes'
notes_unix="$prefix/drive_c/Program Files (x86)/IBM/Notes"
mkdir -p "$notes_unix" "$prefix/drive_c/Notes"
cp build/win32/platform/notes/nnotes.dll build/win32/platform/notes/nxrtf.dll \
   build/win32/platform/notes/notes.exe build/win32/platform/notes/notesdb.exe "$notes_unix/"
notesdb() { wine "$notes_unix/notesdb.exe" "$@" | sed 's/\r$//'; }
say "installing the stand-in Notes client into $notes_dir"
notesdb create 'C:\Notes\Data' --ini "$notes_dir\notes.ini" --user 'CN=Jane Doe/OU=Sales/O=Acme' \
    --mailserver 'CN=Mail01/O=Acme' --mailfile 'mail\jdoe' >/dev/null
wine reg add 'HKLM\SOFTWARE\Lotus\Notes' /v Path /d "$notes_dir" /f >/dev/null 2>&1
wine reg add 'HKLM\SOFTWARE\Lotus\Notes' /v DataPath /d 'C:\Notes\Data' /f >/dev/null 2>&1
wine "$notes_unix/notes.exe" /register >/dev/null 2>&1
say "generating sample databases in C:\Notes\Data"
mkdir -p "$prefix/drive_c/Notes/Data/mail" "$prefix/drive_c/Notes/Data/archive"
notesdb generate mail 'C:\Notes\Data\mail\jdoe.nsf' --count 300 --seed 7 --owner 'CN=Jane Doe/OU=Sales/O=Acme' >/dev/null
notesdb generate archive 'C:\Notes\Data\archive\a_jdoe.nsf' --count 200 --seed 8 >/dev/null
notesdb generate app 'C:\Notes\Data\projects.nsf' --count 100 --seed 9 >/dev/null
(cd "$prefix/drive_c/Notes/Data" && find . -name '*.nsf' -printf '    %P (%s bytes)\n' | sort)
say "the first documents of mail\jdoe.nsf, as the Notes C API lists them:"
notesdb list 'C:\Notes\Data\mail\jdoe.nsf' | awk 'NR == 1 || (/ class 1 / && shown++ < 5) { print "    " $0 }'

# The Windows Search stand-in, registered for 64-bit and 32-bit callers.
wine regsvr32 /s build/win64/platform/winsearch/BRWSearchStandIn.dll
wine regsvr32 /s build/win32/platform/winsearch/BRWSearchStandIn.dll
say "the Windows Search stand-in's SystemIndex catalogue:"
wine build/win64/platform/winsearch/BRWSearchAdmin.exe identity | sed 's/\r$//; s/^/    /'

# The protocol handler, registered as Windows Search would need it.
wine regsvr32 /s "$program_files64/BRWHandler.dll"
say "registered the brw protocol handler:"
wine reg query 'HKLM\Software\Microsoft\Windows Search\ProtocolHandlers' /v brw /reg:64 2>/dev/null \
    | sed 's/\r$//' | grep -i brw | sed 's/^ */    /'

say "the data service answers commands through the command client, as over the connector's pipe"
wine build/win32/tests/brw_demo_commands.exe "$notes_dir" 'C:\Program Files (x86)\Brimlow Search' \
    '<get_database_list/>' \
    '<get_modified_document_list db="mail\jdoe.nsf"/>' \
    '<get_document db="mail/jdoe.nsf" tempdir="C:\users\Public" id="{first-id}"/>' \
    | sed 's/\r$//; s/^/    /'

say "running the connector's console host handshake"
wine build/win32/tests/brw_demo_handshake.exe 'C:\Program Files (x86)\Brimlow Search\BRWHC.exe' | sed 's/\r$//; s/^/    /'
say "done; the demo prefix is removed again"
