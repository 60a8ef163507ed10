#!/usr/bin/env python3
"""Fails when a shipped program's version resource does not carry the
project's version.

Reads VS_VERSIONINFO (resource type 16, id 1) back out of each program and
checks the fixed file and product versions, the usual string fields and the
translation against the version given on the command line, the one CMake
takes from its project() line.
"""
import argparse
import pathlib
import struct
import sys

import pe_resources

VS_FFI_SIGNATURE = 0xFEEF04BD
REQUIRED_STRINGS = ("CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                    "OriginalFilename", "ProductName", "ProductVersion")


def _align(offset):
    return (offset + 3) & ~3


def parse_block(data, offset=0):
    """One block of the version resource: (key, value bytes, is text, children)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_end = offset + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    position = _align(key_end + 2)
    is_text = value_type == 1
    value_size = value_length * 2 if is_text else value_length  # text lengths count characters
    value = data[position:position + value_size]
    position = _align(position + value_size)
    children = []
    while position < end:
        child = parse_block(data, position)
        children.append(child)
        position = _align(position + struct.unpack_from("<H", data, position)[0])
    return key, value, is_text, children


def text_of(value):
    return value.decode("utf-16-le").rstrip("\0")


def four_numbers(version):
    parts = [int(part) for part in version.split(".")]
    return tuple(parts + [0] * (4 - len(parts)))


def version_problems(exe, version):
    numbers = four_numbers(version)
    text = ".".join(str(n) for n in numbers)
    raw = pe_resources.read_resource(exe, pe_resources.RT_VERSION, 1)
    if not raw:
        return ["no version resource with id 1"]
    key, fixed, _, children = parse_block(raw)
    problems = []
    if key != "VS_VERSION_INFO" or len(fixed) < 52:
        return [f"the resource is {key!r} with a {len(fixed)}-byte fixed part, not VS_VERSION_INFO"]
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != VS_FFI_SIGNATURE:
        problems.append(f"fixed file info signature {signature:#x}")
    for label, ms, ls in (("file", file_ms, file_ls), ("product", product_ms, product_ls)):
        found = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        if found != numbers:
            problems.append(f"fixed {label} version {found}, the project's is {numbers}")

    blocks = {child[0]: child for child in children}
    tables = blocks.get("StringFileInfo", (None, None, None, []))[3]
    translations = [var[1] for var in blocks.get("VarFileInfo", (None, None, None, []))[3] if var[0] == "Translation"]
    if len(tables) != 1 or len(translations) != 1:
        return problems + [f"{len(tables)} string tables and {len(translations)} translations, not one each"]
    table_key, _, _, entries = tables[0]
    language, code_page = struct.unpack_from("<HH", translations[0])
    if table_key.lower() != f"{language:04x}{code_page:04x}":
        problems.append(f"string table {table_key} is not the translation {language:04x}{code_page:04x}")
    strings = {entry[0]: text_of(entry[1]) for entry in entries if entry[2]}
    for name in REQUIRED_STRINGS:
        if not strings.get(name):
            problems.append(f"no {name}")
    expected = {"FileVersion": text, "ProductVersion": text, "OriginalFilename": exe.name, "InternalName": exe.stem}
    for name, value in expected.items():
        if strings.get(name, value) != value:
            problems.append(f"{name} is {strings[name]!r}, not {value!r}")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--version", required=True, help="the project's version, as CMake has it")
    parser.add_argument("exe", type=pathlib.Path, nargs="+")
    args = parser.parse_args()
    return pe_resources.report(args.exe, lambda exe: version_problems(exe, args.version), "version resource of " + args.version)


if __name__ == "__main__":
    sys.exit(main())
