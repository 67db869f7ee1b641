"""A Wine prefix's registry as the tests read it: both hives of the machine
(every registry view: the 32-bit one lives under Wow6432Node) and the user's,
parsed from the files the wineserver writes when it stops."""

import re

# Wine writes "[Key\\Path] 1733...": the path with doubled backslashes,
# then a time stamp that changes whenever the key is written.
_SECTION = re.compile(r'^\[(?P<key>(?:[^\]\\]|\\.)*)\](?: \d+)?$')
_VALUE = re.compile(r'^(?P<name>@|"(?:[^"\\]|\\.)*")=(?P<data>.*)$')


def _unescape(text):
    return re.sub(r'\\(.)', r'\1', text)


def parse(text, hive):
    """{"HIVE\\Key\\Path": {value name: data as written}}; "" names the
    default value. Key paths keep their case, as the file has them."""
    keys = {}
    current = None
    for line in _logical_lines(text):
        section = _SECTION.match(line)
        if section:
            current = keys.setdefault(hive + '\\' + _unescape(section.group('key')), {})
            continue
        if current is None or not line or line.startswith('#'):
            continue
        value = _VALUE.match(line)
        if value:
            name = value.group('name')
            current['' if name == '@' else _unescape(name[1:-1])] = value.group('data')
    return keys


def _logical_lines(text):
    """Lines with long binary data joined: such a line ends in a backslash
    and goes on, indented, on the next."""
    joined = None
    for raw in text.splitlines():
        joined = raw if joined is None else joined + raw.strip()
        if joined.endswith('\\') and not joined.startswith('['):
            joined = joined[:-1]
            continue
        yield joined
        joined = None
    if joined is not None:
        yield joined


def changes(before, after):
    """Keys added or changed between two readings, with their values then,
    and the keys that went away."""
    changed = {key: values for key, values in after.items() if before.get(key) != values}
    removed = sorted(key for key in before if key not in after)
    return changed, removed
