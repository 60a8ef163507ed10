"""Plants hostile copies of system libraries where a careless program would
load them from: beside kvchecks.exe and in its current directory. Wine is
told to prefer a native DLL of those names (the search Windows makes for a
DLL that is not a KnownDLL), and every copy leaves a marker file when it is
loaded, so a case can tell that none was."""

import os
import re
import subprocess

from .realise_files import COMPILERS

DOUBLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "doubles")
SOURCE = os.path.join(DOUBLES, "planted_system_library.c")
DEFINITION = os.path.join(DOUBLES, "planted_system_library.def")
MARKER_SUFFIX = ".loaded"
BASE_OVERRIDES = "mscoree,mshtml="
PLAIN_NAME = re.compile(r"^[a-z0-9_]+\.dll$")


def build(work_dir, sixty_four_bit=False):
    """The hostile library, built once per run folder: for the 32-bit checker,
    or for the 64-bit companion, whose exports carry no stdcall decoration."""
    target = os.path.join(work_dir, f"planted_system_library_{'x64' if sixty_four_bit else 'x86'}.dll")
    if not os.path.exists(target):
        os.makedirs(work_dir, exist_ok=True)
        definition = DEFINITION
        if sixty_four_bit:
            definition = os.path.join(work_dir, "planted_system_library_x64.def")
            with open(DEFINITION) as source, open(definition, "w") as undecorated:
                undecorated.write(re.sub(r"@\d+", "", source.read()))
        subprocess.run([COMPILERS[sixty_four_bit], "-shared", "-O2", "-s", "-Wall", "-Werror", "-static-libgcc",
                        "-o", target, SOURCE, definition], check=True, capture_output=True, text=True)
    return target


def plant(ctx, names, work_dir, sixty_four_bit=False):
    """Places the hostile library under each name in the exe folder and the
    current directory and makes Wine prefer native copies of them; built for
    64-bit programs when `sixty_four_bit`, for the companion to find."""
    for name in names:
        if not PLAIN_NAME.match(name):
            raise ValueError(f"planted library {name!r} is not a lower-case DLL file name")
    with open(build(work_dir, sixty_four_bit), "rb") as file:
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
