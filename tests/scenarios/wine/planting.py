"""Plants hostile copies of system libraries where a careless program would
load them from: beside kvchecks.exe and in its current directory. Wine is
told to prefer a native DLL of those names (the search Windows makes for a
DLL that is not a KnownDLL), and every copy leaves a marker file when it is
loaded, so a case can tell that none was."""

import os
import re
import subprocess

from .realise_libraries import COMPILER

DOUBLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "doubles")
SOURCE = os.path.join(DOUBLES, "planted_system_library.c")
DEFINITION = os.path.join(DOUBLES, "planted_system_library.def")
MARKER_SUFFIX = ".loaded"
BASE_OVERRIDES = "mscoree,mshtml="
PLAIN_NAME = re.compile(r"^[a-z0-9_]+\.dll$")


def build(work_dir):
    """The hostile library, built once per run folder."""
    target = os.path.join(work_dir, "planted_system_library.dll")
    if not os.path.exists(target):
        os.makedirs(work_dir, exist_ok=True)
        subprocess.run([COMPILER, "-shared", "-O2", "-s", "-Wall", "-Werror", "-static-libgcc",
                        "-o", target, SOURCE, DEFINITION], check=True, capture_output=True, text=True)
    return target


def plant(ctx, names, work_dir):
    """Places the hostile library under each name in the exe folder and the
    current directory and makes Wine prefer native copies of them."""
    for name in names:
        if not PLAIN_NAME.match(name):
            raise ValueError(f"planted library {name!r} is not a lower-case DLL file name")
    with open(build(work_dir), "rb") as file:
        data = file.read()
    for folder in planting_folders(ctx):
        for name in names:
            ctx.place_file(os.path.join(folder, name), data)
    stems = ",".join(name[:-len(".dll")] for name in names)
    ctx.env["WINEDLLOVERRIDES"] = f"{BASE_OVERRIDES};{stems}=n,b"


def planting_folders(ctx):
    # The current directory is a host path in the prefix, the exe folder by default.
    return sorted({os.path.realpath(ctx.exe_dir), os.path.realpath(ctx.cwd)})


def markers(ctx):
    """The planted libraries that were loaded, as their marker files show; removed once seen."""
    found = []
    for folder in planting_folders(ctx):
        for entry in sorted(os.listdir(folder)):
            if entry.lower().endswith(MARKER_SUFFIX):
                found.append(entry[:-len(MARKER_SUFFIX)])
                os.unlink(os.path.join(folder, entry))
    return found
