#!/usr/bin/env bash
# Drive D: of a test prefix for the mail database scan, made natively
# because Wine maps drives by links in the prefix's dosdevices folder and a
# looping link cannot be made from inside Wine:
#   mail-drive.sh setup PREFIX     D: -> PREFIX/brw-drive-d, filled
#   mail-drive.sh cleanup PREFIX   the link and the folder removed
# A file holding "mail" stands for a mail database, "other" for any other.
set -euo pipefail
action="$1"
prefix="$2"
drive="$prefix/brw-drive-d"

# A folder chain below the drive whose names make a path of the length asked
# for (counted as Windows counts "D:\..."), ending in name.
path_of_length() {
    local length="$1" name="$2" path="" part
    while [ $((3 + ${#path} + ${#name})) -lt "$length" ]; do
        part=$((length - 3 - ${#path} - ${#name} - 1))
        [ "$part" -gt 40 ] && part=40
        path="$path$(printf 'f%.0s' $(seq 1 "$part"))/"
    done
    printf '%s%s' "$path" "$name"
}

case "$action" in
setup)
    rm -rf "$drive"
    mkdir -p "$drive/mail" "$drive/apps" "$drive/.hidden" "$drive/archive.nsf"
    printf mail >"$drive/mail/jdoe.nsf"
    printf mail >"$drive/mail/OLD.NSF"
    printf mail >"$drive/mail/notes.nsf.bak"
    printf other >"$drive/apps/catalog.nsf"
    printf mail >"$drive/.hidden/secret.nsf"
    # A loop back to the drive's root, as a junction would make one.
    ln -s .. "$drive/apps/loop"
    # The longest path the database list accepts ("D:\mail\" and 248
    # characters), one character more, and a path of 300 characters.
    printf mail >"$drive/mail/$(printf 'n%.0s' $(seq 1 244)).nsf"
    printf mail >"$drive/mail/$(printf 'm%.0s' $(seq 1 245)).nsf"
    long="$(path_of_length 300 long.nsf)"
    mkdir -p "$drive/$(dirname "$long")"
    printf mail >"$drive/$long"
    ln -sfn ../brw-drive-d "$prefix/dosdevices/d:"
    ;;
cleanup)
    rm -f "$prefix/dosdevices/d:"
    rm -rf "$drive"
    ;;
*)
    echo "usage: $0 setup|cleanup PREFIX" >&2
    exit 2
    ;;
esac
