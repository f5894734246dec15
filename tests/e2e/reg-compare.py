"""Compares two registry export files key by key and value by value, after decoding every value
to its type and bytes, so that different spellings of the same data (a string as "text" or as
hex(1):, a REGEDIT4 file's code-page text or a version 5 file's UTF-16) compare equal. Key and
value names compare without regard to letter case, as the registry's do.
Usage: reg-compare.py FIRST.reg SECOND.reg   Prints the differences; exits 1 when there are any.
Reads REGEDIT4 (Windows-1252), UTF-16LE with a byte-order mark, and UTF-8 files."""
import codecs, sys

def read_lines(path):
    """The file's lines with continuation lines joined to the line they continue."""
    raw = open(path, 'rb').read()
    if raw.startswith(codecs.BOM_UTF16_LE):
        text = raw[2:].decode('utf-16-le')
    elif raw.startswith(b'REGEDIT4'):
        text = raw.decode('cp1252')
    else:
        text = raw.decode('utf-8-sig')
    lines, pending = [], ''
    for line in text.replace('\r\n', '\n').split('\n'):
        if pending:
            line = line.lstrip()
        if line.endswith('\\') and not line.startswith('['):
            pending += line[:-1]
            continue
        lines.append(pending + line)
        pending = ''
    return lines

def unescape_name(line):
    """The quoted name at the start of line, and the rest after its '='."""
    i, name = 1, []
    while line[i] != '"':
        if line[i] == '\\':
            i += 1
        name.append(line[i])
        i += 1
    return ''.join(name), line[i + 2:]

def decode(data, unicode_file):
    """A value's data text (after the '=') as (type, bytes or text)."""
    if data.startswith('"'):
        body, text, i = data[1:-1], [], 0
        while i < len(body):
            if body[i] == '\\' and i + 1 < len(body):
                i += 1
            text.append(body[i])
            i += 1
        return normalise(1, (''.join(text) + '\0').encode('utf-16-le'))
    if data.lower().startswith('dword:'):
        return normalise(4, int(data[6:], 16).to_bytes(4, 'little'))
    tag, _, digits = data.partition(':')
    kind = 3 if tag.lower() == 'hex' else int(tag[4:-1], 16)
    raw = bytes(int(b, 16) for b in digits.replace(' ', '').split(',') if b)
    if not unicode_file and kind in (1, 2, 7):   # REGEDIT4 holds ANSI text
        raw = raw.decode('cp1252').encode('utf-16-le')
    return normalise(kind, raw)

def normalise(kind, raw):
    """A string whose bytes are UTF-16 text with one terminating zero compares as its text."""
    if kind in (1, 2) and len(raw) % 2 == 0:
        text = raw.decode('utf-16-le', 'surrogatepass')
        if text.endswith('\0') and '\0' not in text[:-1]:
            return (kind, text[:-1])
    return (kind, raw)

def load(path):
    """{lower-cased key: {lower-cased value name: (type, data)}}."""
    lines = read_lines(path)
    unicode_file = not lines[0].startswith('REGEDIT4')
    keys, key = {}, None
    for line in lines[1:]:
        if line.startswith('[') and line.endswith(']'):
            key = line[1:-1].rstrip('\\').lower()
            keys.setdefault(key, {})
        elif key is not None and (line.startswith('@=') or line.startswith('"')):
            name, data = ('', line[2:]) if line.startswith('@=') else unescape_name(line)
            keys[key][name.lower()] = decode(data, unicode_file)
    return keys

def main():
    a, b = load(sys.argv[1]), load(sys.argv[2])
    problems = []
    for key in sorted(set(a) | set(b)):
        if key not in b or key not in a:
            problems.append(f'key only in {"first" if key in a else "second"}: {key}')
            continue
        for name in sorted(set(a[key]) | set(b[key])):
            if a[key].get(name) != b[key].get(name):
                problems.append(f'{key} [{name}]: {a[key].get(name)!r:.120} != {b[key].get(name)!r:.120}')
    values = sum(len(v) for v in a.values())
    print(f'{len(a)} keys, {values} values compared; {len(problems)} differences')
    for p in problems[:40]:
        print('  ' + p)
    return 1 if problems else 0

sys.exit(main())
