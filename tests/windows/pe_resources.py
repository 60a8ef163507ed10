"""Reads resources back out of a built Windows program with wrestool (icoutils)."""
import struct
import subprocess

RT_VERSION = 16
RT_MANIFEST = 24
IMAGE_FILE_MACHINE_I386 = 0x14C
IMAGE_FILE_MACHINE_AMD64 = 0x8664


def list_resources(exe, resource_type):
    """The names of the resources of one type, as wrestool lists them ("1", "2", ...)."""
    text = subprocess.run(["wrestool", "-l", f"--type={resource_type}", str(exe)], check=True,
                          capture_output=True, text=True).stdout
    names = []
    for line in text.splitlines():
        for field in line.split():
            if field.startswith("--name="):
                names.append(field.split("=", 1)[1].strip("'"))
    return names


def read_resource(exe, resource_type, name):
    """The raw bytes of one resource; empty when the program has none such."""
    return subprocess.run(["wrestool", "-x", "--raw", f"--type={resource_type}", f"--name={name}", str(exe)],
                          check=True, capture_output=True).stdout


def machine(exe):
    """The PE header's machine field."""
    data = exe.read_bytes()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{exe.name} is not a PE file")
    return struct.unpack_from("<H", data, pe + 4)[0]


def report(exes, problems_of, sound):
    """Prints each program's verdict and its problems, then the closing tally; the exit code."""
    failed = 0
    for exe in exes:
        problems = problems_of(exe)
        print(f"{exe.name}: {sound if not problems else 'faults'}")
        for problem in problems:
            print("  " + problem)
        failed += bool(problems)
    print(f"{len(exes) - failed} passed, {failed} failed")
    return 1 if failed else 0
