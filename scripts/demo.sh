#!/usr/bin/env bash
# Brimlow Search as a user sees it, on a fresh machine: builds everything
# (installing what a fresh Debian machine lacks), makes a fresh Wine prefix
# with the stand-in Notes client and Windows Search, installs the package,
# logs on, watches the first crawl, searches, opens results, changes the mail
# file, and removes the package again.
#
#   scripts/demo.sh [--mail-count N]     (default 300 generated mails)
#
# It prints what a user would care about; everything else goes to the log it
# names.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

usage() { echo "usage: scripts/demo.sh [--mail-count N]   (N from 1 to 100000; default 300)" >&2; exit 2; }
mail_count=300
while [ $# -gt 0 ]; do
    case "$1" in
    --mail-count)
        [ $# -ge 2 ] || usage
        mail_count="$2"
        shift 2
        ;;
    *) usage ;;
    esac
done
# A number without leading zeros (which the shell would read as octal), and
# no more mail than a demo's prefix should hold.
[[ "$mail_count" =~ ^[1-9][0-9]{0,5}$ ]] && [ "$mail_count" -le 100000 ] || usage

mkdir -p build/demo
log="$root/build/demo/demo.log"
: >"$log"
out="$root/build/demo/output.txt"
say() { printf '%s\n' "$*"; printf '== %s\n' "$*" >>"$log"; }
step() { printf '\n%s\n' "$*"; printf '\n==== %s\n' "$*" >>"$log"; }
logged() { "$@" >>"$log" 2>&1 </dev/null; }
# A Windows program's output, for this script to read. Through a file, not a
# pipe: the installer service Wine starts lives on and would keep a pipe open.
windows() {
    local status=0
    wine "$@" >"$out" 2>>"$log" </dev/null || status=$?
    tr -d '\r' <"$out" | tee -a "$log"
    return "$status"
}
# How many of the keys the product registers are there, each in the view
# its part uses.
product_keys() {
    local view key value found=0
    while IFS='|' read -r view key value; do
        if [ -z "$value" ]; then
            logged wine reg query "$key" "/reg:$view" && found=$((found + 1))
        else
            logged wine reg query "$key" /v "$value" "/reg:$view" && found=$((found + 1))
        fi
    done <<'KEYS'
64|HKLM\Software\Classes\Brw|
64|HKLM\Software\Classes\CLSID\{F7FD5BEC-6B4C-4C41-BC6D-318E7567BCEB}|
32|HKLM\Software\Classes\CLSID\{B0A2B121-FFF6-41A3-A428-F18CA0B035AF}|
32|HKLM\Software\Classes\TypeLib\{79EB55AF-8723-4403-8C79-48F86DF59376}|
64|HKLM\Software\Classes\TypeLib\{BB4C1EDD-8839-4203-93BB-26F9CF670C8A}|
64|HKLM\Software\Microsoft\Windows Search\ProtocolHandlers|brw
64|HKLM\Software\Microsoft\Windows\CurrentVersion\Run|Brimlow Search
KEYS
    echo "$found"
}
elapsed_ms() { echo $(( ($(date +%s%N) - $1) / 1000000 )); }
seconds() { printf '%d.%01d' $(( $1 / 1000 )) $(( $1 % 1000 / 100 )); }

say "Brimlow Search demo; the full log is $log"
logged scripts/bootstrap.sh
say "building the 32-bit and the 64-bit tree"
for tree in win32 win64; do
    [ -f "build/$tree/CMakeCache.txt" ] || logged cmake --preset "$tree"
    logged cmake --build --preset "$tree"
done
demo_started_ns=$(date +%s%N)

win32="$root/build/win32"
win64="$root/build/win64"
package="$win64/installer/BrimlowSearch-2.3-x64.msi"
driver="$win64/tests/brw_demo_driver.exe"
query="$win64/platform/winsearch/BRWSearchQuery.exe"
admin="$win64/platform/winsearch/BRWSearchAdmin.exe"
indexer="$win64/platform/winsearch/BRWSearchIndexer.exe"

prefix="$root/build/demo/wineprefix"
cleanup() {
    logged wine "$indexer" --stop || true
    logged scripts/wineprefix.sh stop "$prefix"
}
trap cleanup EXIT
logged scripts/wineprefix.sh stop "$prefix"
logged scripts/wineprefix.sh fresh "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all
DISPLAY="$(scripts/wineprefix.sh display "$prefix")"
export DISPLAY
drive_c="$prefix/drive_c"

# ---------------------------------------------------------------------------
step "1. Lotus Notes (the stand-in client) with Jane Doe's mail, archive and a project database"
password='s3cret'
notes_dir='C:\Program Files (x86)\IBM\Notes'
notes_unix="$drive_c/Program Files (x86)/IBM/Notes"
data_dir='C:\Notes\Data'
data_unix="$drive_c/Notes/Data"
mkdir -p "$notes_unix" "$data_unix/mail" "$data_unix/archive"
cp "$win32"/platform/notes/{nnotes.dll,nxrtf.dll,notes.exe,notesdb.exe} "$notes_unix/"
notesdb() { windows "$notes_dir\\notesdb.exe" "$@"; }
notesdb create "$data_dir" --ini "$notes_dir\\notes.ini" --user 'CN=Jane Doe/OU=Sales/O=Acme' \
    --password "$password" --mailfile 'mail\jdoe' >/dev/null
logged wine reg add 'HKLM\SOFTWARE\Lotus\Notes' /v Path /d "$notes_dir\\" /f /reg:32
logged wine reg add 'HKLM\SOFTWARE\Lotus\Notes' /v DataPath /d "$data_dir" /f /reg:32
# Notes opens notes: links for everyone on the machine.
logged wine reg add 'HKLM\Software\Classes\notes' /v 'URL Protocol' /d '' /f
logged wine reg add 'HKLM\Software\Classes\notes\shell\open\command' /ve /d "\"$notes_dir\\notes.exe\" \"%1\"" /f
# Text files open in Notepad, as on Windows; a fresh Wine prefix has the
# class but not the extension's link to it.
logged wine reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f

mail='C:\Notes\Data\mail\jdoe.nsf'
notesdb generate mail "$mail" --count "$mail_count" --seed 7 --owner 'CN=Jane Doe/OU=Sales/O=Acme' >/dev/null
# One Internet mail gets a word no other document has, in its body only.
mime_word='zeppelin'
notesdb export "$mail" 'C:\Notes\mail.dxl' >/dev/null
python3 tests/demo/mime_note.py "$drive_c/Notes/mail.dxl" "$mime_word" "$drive_c/Notes/mail-mime.dxl" >>"$log" 2>&1
notesdb import 'C:\Notes\mail-mime.dxl' "$mail" >/dev/null
rm -f "$drive_c/Notes/mail.dxl" "$drive_c/Notes/mail-mime.dxl"
# And a memo whose attachment alone has another.
attachment_word='quetzal'
printf 'Packing list for the Lisbon offsite\r\nRain jacket, adapter, the %s costume.\r\n' "$attachment_word" \
    >"$drive_c/users/Public/offsite-packing.txt"
memo_id="$(notesdb add "$mail" --form Memo --text 'Subject=Offsite packing list' \
    --text 'From=CN=Ravi Shah/OU=Events/O=Acme' --time 'PostedDate=20261201T093000' \
    --richtext 'Body=The list for next week is attached.' --attach 'C:\users\Public\offsite-packing.txt' | head -n 1)"
rm -f "$drive_c/users/Public/offsite-packing.txt"
notesdb generate archive 'C:\Notes\Data\archive\a_jdoe.nsf' --count 200 --seed 8 >/dev/null
notesdb generate app 'C:\Notes\Data\projects.nsf' --count 100 --seed 9 >/dev/null
(cd "$data_unix" && find . -name '*.nsf' -printf '   %P (%s bytes)\n' | sort)

# ---------------------------------------------------------------------------
step "2. Windows Search (the stand-in), its indexer running"
logged wine regsvr32 /s "$win64/platform/winsearch/BRWSearchStandIn.dll"
logged wine regsvr32 /s "$win32/platform/winsearch/BRWSearchStandIn.dll"
wine "$indexer" --loop >>"$log" 2>&1 </dev/null &
say "   the indexer is running"

# ---------------------------------------------------------------------------
step "3. Installing Brimlow Search silently, then logging on"
cp "$package" "$drive_c/BrimlowSearch.msi"
# The package would start the connector for the installing user; here it is
# started the way every logon starts it, from the machine's Run key.
logged wine msiexec /i 'C:\BrimlowSearch.msi' /qn STARTCONNECTOR=0 /l*v 'C:\install.log'
say "   installed: $(cd "$notes_unix" && ls BRW* | tr '\n' ' ')in $notes_dir"
say "              $(cd "$drive_c/Program Files/Brimlow Search" && ls | tr '\n' ' ')in C:\\Program Files\\Brimlow Search"
say "   registered: $(product_keys) of the 7 registry keys this demo checks again after the removal"
started_ns=$(date +%s%N)
printf '   the Notes password prompt: typing the password, ticking "Remember my password": '
windows "$driver" logon "$password" || true
printf "== logged on %s ms after the connector was started\n" "$(elapsed_ms "$started_ns")" >>"$log"

# ---------------------------------------------------------------------------
step "4. The first crawl"
# The watcher reads the catalogue in-process and prints as it fills; its
# lines are shown as they come, through a file (see windows() above).
progress="$root/build/demo/progress.txt"
: >"$progress"
wine "$driver" watch-crawl 2000 900000 >"$progress" 2>>"$log" </dev/null &
watcher=$!
shown=0
show_progress() {
    local lines
    lines="$(tr -d '\r' <"$progress" | sed -n "$((shown + 1)),\$p" | grep '^documents ' || true)"
    [ -z "$lines" ] && return 0
    shown=$((shown + $(printf '%s\n' "$lines" | wc -l)))
    while IFS= read -r line; do say "   $line"; done <<<"$lines"
}
while kill -0 "$watcher" 2>/dev/null; do
    show_progress
    sleep 0.5
done
wait "$watcher" || true
show_progress
tr -d '\r' <"$progress" >>"$log"
read -r outcome finished_ms indexed first_ms < <(tr -d '\r' <"$progress" | grep -E '^(finished|unfinished)' | tail -n 1) ||
    true
if [ "${outcome:-}" != finished ]; then
    say "   the first crawl did not finish within 15 minutes"
    exit 1
fi
done_ms=$((finished_ms - started_ns / 1000000))
first_in_ms=$((first_ms - started_ns / 1000000))
indexing_ms=$((finished_ms - first_ms))
attachments=$(windows "$query" --type BRW/Attachment --max 100000 | tail -n 1 | cut -d' ' -f1)
databases=$(find "$data_unix" -name '*.nsf' | wc -l)
documents=$((indexed - attachments))
per_second() { echo $(( $1 * 1000 / ($2 > 0 ? $2 : 1) )); }
say "   summary: $databases databases, $documents documents and $attachments attachments indexed" \
    "in $(seconds "$done_ms") s from the connector's start: $(per_second "$documents" "$done_ms") documents/s," \
    "$(per_second "$indexed" "$done_ms") items/s with the attachments"
# The package added the crawl root before the connector ran, so the
# indexer's first look at it found no connector and paused, as the handler
# does, before asking again.
say "            the first item was searchable $(seconds "$first_in_ms") s after the connector's start;" \
    "from then on $(per_second "$documents" "$indexing_ms") documents/s ($(per_second "$indexed" "$indexing_ms") items/s)"

# ---------------------------------------------------------------------------
step "5. Searching"
# title | sender | date | kind | database, as the results list shows them.
search() {
    say "   search: $*"
    windows "$query" "$@" | sed -n 's#^\(.*\) | \(.*\) | \(....-..-..\)T.* | \(.*\) | brw://{[^}]*}/\([^/]*/*[^/]*\.nsf\).*$#      \1 | \2 | \3 | \4 | \5#p; s/^\([0-9]*\) result(s)$/      (\1 found)/p'
}
search --max 5 budget forecast
search "$mime_word"
search "$attachment_word"
url_of() { windows "$query" --json "$1" | sed -n 's/.*"url":"\([^"]*\)".*/\1/p' | head -n 1; }
mime_url="$(url_of "$mime_word")"
attachment_url="$(url_of "$attachment_word")"

# ---------------------------------------------------------------------------
step "6. Opening results as Explorer does"
say "   the mail with \"$mime_word\": $mime_url"
printf '   opened in '
windows "$driver" open "$mime_url" "$password" || true
say "   Notes says: $(tail -n 1 "$data_unix/notes-client.log" | tr -d '\r')"
say "   the attachment with \"$attachment_word\": $attachment_url"
# With the user's DebugConsole setting on, the handler leaves a line for each
# step that failed; the driver reads them (OutputDebugString) into the log.
settings='HKCU\Software\FenwoldInc\BRW'
logged wine reg add "$settings" /v DebugConsole /t REG_DWORD /d 1 /f
printf '   opened in '
opened="$(windows "$driver" open "$attachment_url" "$password")" || true
printf '%s\n' "$opened" | head -n 1
logged wine reg delete "$settings" /v DebugConsole /f

# ---------------------------------------------------------------------------
step "7. A memo changed and a mail deleted, then \"Update the index now\""
changed_word='lighthouse'
notesdb modify "$mail" "$memo_id" --text "Subject=Offsite packing list for the $changed_word tour" >/dev/null
mime_id="$(printf '%s' "$mime_url" | sed 's|.*/||')"
notesdb delete "$mail" "$mime_id" >/dev/null
say "   changed: \"Offsite packing list\" is now about the $changed_word tour; deleted: the mail with \"$mime_word\""
# The connector's own "Update Index Now", as its window's menu sends it; the
# driver then queries again at each change of the index until the changed
# memo is found and the deleted mail is not, and says when that was.
printf '   '
crawl_now="$(windows "$driver" crawl-now 120000 "$changed_word" 1 "$mime_word" 0)" || true
printf '%s\n' "$crawl_now" | head -n 1
crawl_now_ms="$(printf '%s\n' "$crawl_now" | sed -n 's/^all found as expected \([0-9]*\) ms after the request$/\1/p')"
if [ -n "$crawl_now_ms" ]; then
    say "   the change was searchable $(seconds "$crawl_now_ms") s after \"Update Index Now\" (the goal: within 5 s)"
else
    say "   the change was not searchable within 2 minutes of \"Update Index Now\": $(printf '%s' "$crawl_now" | tail -n 1)"
fi
search "$changed_word"
search "$mime_word"

# ---------------------------------------------------------------------------
step "8. Removing Brimlow Search"
# Windows Search lets the protocol handler go once its host is idle; the
# stand-in's host is stopped to the same end before the package is removed.
logged wine "$indexer" --stop || true
say "   the indexer is stopped, releasing the handler"
logged wine msiexec /x 'C:\BrimlowSearch.msi' /qn /l*v 'C:\remove.log'
say "   left in $notes_dir: $(cd "$notes_unix" && ls | tr '\n' ' ')"
if [ -e "$drive_c/Program Files/Brimlow Search" ]; then
    say "   still in C:\\Program Files\\Brimlow Search: $(cd "$drive_c/Program Files/Brimlow Search" && ls | tr '\n' ' ')"
    logged grep -a -i -E 'in use|reboot|restart' "$drive_c/remove.log" || true
else
    say "   C:\\Program Files\\Brimlow Search is gone"
fi
say "   registry keys of Brimlow Search left on the machine: $(product_keys)"
root_url="$(printf '%s' "$mime_url" | sed 's|\(brw://{[^}]*}/\).*|\1|')"
if windows "$admin" included "$root_url" | grep -q '^included 1'; then
    say "   Windows Search still crawls $root_url"
else
    say "   Windows Search no longer crawls $root_url"
fi
say "done: the demo took $(seconds "$(elapsed_ms "$demo_started_ns")") s after the build; its prefix is removed"
