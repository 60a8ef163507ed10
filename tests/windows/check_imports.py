#!/usr/bin/env python3
"""Fails when kvchecks.exe could not start on Windows 2000, or would start slowly or unsafely.

Reads the import tables and the PE header with objdump and checks that only
kernel32, advapi32 and msvcrt are imported (any other DLL costs every run its
start-up, and one that is not a KnownDLL can be planted beside the program),
that every imported function is on the allow-list with a release no later than 5.0, that
the subsystem and OS versions are at most 5.0, that no C++ stream code has
crept in (it imports _fstat64), and that the binary stays small.
"""
import argparse
import pathlib
import subprocess
import sys

WINDOWS_2000 = (5, 0)
IMPORTED_DLLS = {"kernel32.dll", "advapi32.dll", "msvcrt.dll"}
SIZE_LIMIT = 300 * 1024


def parse_version(text):
    major, minor = text.split(".")
    return int(major), int(minor)


def read_allow_list(path):
    allowed = {}
    for line in path.read_text().splitlines():
        line = line.split("#", 1)[0].strip()
        if not line:
            continue
        dll, function, since = line.split()
        allowed[(dll.lower(), function)] = parse_version(since)
    return allowed


def read_pe(objdump, exe):
    text = subprocess.run([objdump, "-p", str(exe)], check=True, capture_output=True, text=True).stdout
    imports, header = [], {}
    in_imports, dll = False, None
    for line in text.splitlines():
        fields = line.split()
        if line.startswith("The Import Tables"):
            in_imports = True
        elif in_imports and line.startswith(("The ", "PE File Base Relocations")):
            in_imports, dll = False, None
        elif in_imports and line.strip().startswith("DLL Name:"):
            dll = line.split(":", 1)[1].strip()
        elif in_imports and dll and line.startswith("\t") and len(fields) == 3 and fields[1].isdigit():
            imports.append((dll, fields[2]))
        if len(fields) == 2 and fields[0] in (
            "MajorOSystemVersion", "MinorOSystemVersion", "MajorSubsystemVersion", "MinorSubsystemVersion"):
            header[fields[0]] = int(fields[1])
    return imports, header


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe", type=pathlib.Path)
    parser.add_argument("--objdump", default="i686-w64-mingw32-objdump")
    parser.add_argument("--allow-list", type=pathlib.Path,
                        default=pathlib.Path(__file__).with_name("win2000_imports.txt"))
    parser.add_argument("--dlls-only", action="store_true",
                        help="check only which DLLs are imported (the 64-bit companion, which needs no Windows 2000)")
    parser.add_argument("--size-limit", type=int, default=SIZE_LIMIT,
                        help="the largest file size in bytes that passes")
    args = parser.parse_args()

    allowed = read_allow_list(args.allow_list)
    imports, header = read_pe(args.objdump, args.exe)
    problems = []
    if not imports:
        problems.append("no import table found")
    for dll in sorted({dll for dll, _ in imports if dll.lower() not in IMPORTED_DLLS}):
        problems.append(f"{dll}: imported, but only {', '.join(sorted(IMPORTED_DLLS))} may be")
    for dll, function in imports:
        since = allowed.get((dll.lower(), function))
        if dll.lower() not in IMPORTED_DLLS or args.dlls_only:
            continue
        if since is None:
            problems.append(f"{dll} {function}: not on the allow-list")
        elif since > WINDOWS_2000:
            problems.append(f"{dll} {function}: introduced in {since[0]}.{since[1]}, after Windows 2000")
    for major, minor in () if args.dlls_only else (("MajorOSystemVersion", "MinorOSystemVersion"),
                                                    ("MajorSubsystemVersion", "MinorSubsystemVersion")):
        version = (header.get(major, 99), header.get(minor, 99))
        if version > WINDOWS_2000:
            problems.append(f"{major}.{minor} is {version[0]}.{version[1]}, Windows 2000 needs at most 5.0")
    size = args.exe.stat().st_size
    if size > args.size_limit:
        problems.append(f"{args.exe.name} is {size} bytes, more than {args.size_limit}")

    dlls = sorted({dll for dll, _ in imports})
    print(f"{args.exe.name}: {size} bytes, {len(imports)} imports from {', '.join(dlls)}")
    for problem in problems:
        print("  " + problem)
    print(f"{0 if problems else 1} passed, {1 if problems else 0} failed")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
