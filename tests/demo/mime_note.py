#!/usr/bin/env python3
"""Puts a word into the body of one Internet mail of a mail file, and
nowhere else.

    mime_note.py EXPORTED.dxl WORD OUTPUT.dxl

EXPORTED.dxl is a generated mail file as the database tool exports it. In
the first Internet mail whose body is plain 7-bit text, the body's first
word as long as WORD becomes WORD; OUTPUT.dxl is the whole database again,
to be imported in its place. The part's bytes keep their length, so every
length the item records stays right. Exit code 1 when the export holds no
such mail."""

import base64
import re
import sys

DOCUMENT = re.compile(r'<document\b.*?</document>', re.S)
BODY = re.compile(r'(<item[^>]*name="Body"[^>]*><rawitemdata[^>]*type="19">)([^<]*)(</rawitemdata>)')
HEADER_END = b'\r\n\r\n'


def patched_body(data, word):
    if b'Content-Transfer-Encoding: 7bit' not in data or HEADER_END not in data:
        return None
    start = data.index(HEADER_END) + len(HEADER_END)
    for match in re.finditer(rb'[a-z]+', data[start:]):
        if len(match.group()) == len(word):
            at = start + match.start()
            return data[:at] + word + data[at + len(word):]
    return None


def with_mime_word(dxl, word):
    for document in DOCUMENT.finditer(dxl):
        text = document.group()
        body = BODY.search(text)
        if '$NoteHasNativeMIME' not in text or body is None:
            continue
        patched = patched_body(base64.b64decode(body.group(2)), word.encode('ascii'))
        if patched is not None:
            at = document.start() + body.start(2)
            return dxl[:at] + base64.b64encode(patched).decode('ascii') + dxl[document.start() + body.end(2):]
    return None


def main():
    exported, word, output = sys.argv[1:4]
    with open(exported, encoding='utf-8') as f:
        database = with_mime_word(f.read(), word)
    if database is None:
        sys.exit(f'no plain-text Internet mail in {exported}')
    with open(output, 'w', encoding='utf-8') as f:
        f.write(database)


if __name__ == '__main__':
    main()
