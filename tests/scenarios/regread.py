"""Reads the registry values back that a run left behind.

Natively the checker writes its whole registry as a .reg export (UTF-16LE
with a byte-order mark); under Wine `reg export` writes the keys asked for.
Both are read by the same parser.
"""

import re

ROOTS = {
    "HKLM": "HKEY_LOCAL_MACHINE",
    "HKCU": "HKEY_CURRENT_USER",
    "HKCR": "HKEY_CLASSES_ROOT",
    "HKU": "HKEY_USERS",
    "HKCC": "HKEY_CURRENT_CONFIG",
}

REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ, REG_QWORD = 1, 2, 3, 4, 7, 11


def normal_key(path):
    parts = [p for p in path.split("\\") if p]
    if parts:
        parts[0] = ROOTS.get(parts[0].upper(), parts[0])
    return "\\".join(parts).lower()


def _decode(raw):
    if raw[:2] == b"\xff\xfe":
        return raw[2:].decode("utf-16-le")
    return raw.decode("cp1252", errors="replace")


def _logical_lines(text):
    lines, pending = [], ""
    for line in text.replace("\r\n", "\n").split("\n"):
        if pending:
            line = pending + line.lstrip()
            pending = ""
        stripped = line.rstrip()
        if stripped.endswith("\\") and "=hex" in stripped:
            pending = stripped[:-1]
            continue
        lines.append(line)
    if pending:
        lines.append(pending)
    return lines


def _quoted(text, start):
    out, i = [], start + 1
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            out.append(text[i + 1])
            i += 2
            continue
        if c == '"':
            return "".join(out), i + 1
        out.append(c)
        i += 1
    raise ValueError("string without a closing quote")


def _value(data, unicode_file):
    if data.startswith('"'):
        text, _ = _quoted(data, 0)
        return REG_SZ, text
    if data.startswith("dword:"):
        return REG_DWORD, int(data[6:], 16)
    match = re.match(r"hex(?:\(([0-9a-fA-F]+)\))?:(.*)$", data)
    if not match:
        raise ValueError(f"data of no known form: {data[:40]}")
    kind = int(match.group(1), 16) if match.group(1) else REG_BINARY
    raw = bytes(int(b, 16) for b in match.group(2).replace(" ", "").split(",") if b)
    if kind in (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ):
        text = raw.decode("utf-16-le" if unicode_file else "cp1252", errors="replace")
        return kind, text.split("\0")[0] if kind != REG_MULTI_SZ else text
    if kind == REG_DWORD and len(raw) == 4:
        return kind, int.from_bytes(raw, "little")
    if kind == REG_QWORD and len(raw) == 8:
        return kind, int.from_bytes(raw, "little")
    return kind, raw


def _export_lines(lines):
    """The keys and values of an export's logical lines, in order: ("key", key, None, None)
    and ("value", key, name, text after the '=' sign); names and keys normalised."""
    key = None
    for line in lines[1:]:
        line = line.strip()
        if not line or line.startswith(";"):
            continue
        if line.startswith("["):
            key = normal_key(line[1:-1])
            yield "key", key, None, None
            continue
        if line.startswith("@"):
            name, rest = "", line[1:]
        else:
            name, end = _quoted(line, 0)
            rest = line[end:]
        rest = rest.lstrip()
        if not rest.startswith("=") or key is None:
            raise ValueError(f"malformed value line: {line[:60]}")
        yield "value", key, name.lower(), rest[1:].strip()


def parse_export(raw):
    """Maps (normalised key, lower-case value name) to (type, data)."""
    lines = _logical_lines(_decode(raw))
    unicode_file = lines and lines[0].strip() == "Windows Registry Editor Version 5.00"
    values = {}
    for kind, key, name, data in _export_lines(lines):
        if kind == "value" and data != "-":
            values[(key, name)] = _value(data, unicode_file)
    return values


def lookup_export(values, key, name):
    return values.get((normal_key(key), name.lower()))


def matches(found, expected):
    """Whether a value read back is what a case expects; returns a complaint or None."""
    if expected.get("absent"):
        return None if found is None else f"present with {found[1]!r}"
    if found is None:
        return "missing"
    kind, data = found
    want = expected.get("data")
    if isinstance(want, int) and not isinstance(want, bool):
        ok = kind in (REG_DWORD, REG_QWORD) and data == want
    else:
        ok = kind in (REG_SZ, REG_EXPAND_SZ) and data == want
    return None if ok else f"holds {data!r} (type {kind}), expected {want!r}"


def export_entries(raw):
    """Every key and value of an export, as {"[key]": "", "[key] name": data text},
    keys and value names normalised; for telling two exports apart."""
    entries = {}
    for kind, key, name, data in _export_lines(_logical_lines(_decode(raw))):
        entries[f"[{key}]" if kind == "key" else f"[{key}] {name}"] = "" if kind == "key" else data
    return entries
