"""Realises [libraries."NAME"] (export = result): our own i686 DLL per library,
built for the scenario and placed in the exe folder, where the checker's
LoadLibraryA finds a bare name first. It exports exactly the listed exports,
undecorated, each returning its configured 32-bit value."""

import os
import re
import subprocess

from .common import CannotExpress

SECTION = "libraries"

COMPILER = "i686-w64-mingw32-gcc-win32"
SOURCE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "doubles", "family_library.c")
IDENTIFIER = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*$")
FILE_NAME = re.compile(r"^[A-Za-z0-9_.-]+$")


def build_library(name, exports, out_dir, work_dir):
    """Builds NAME into out_dir with the given {export: value} and returns its path."""
    if not FILE_NAME.match(name):
        raise CannotExpress(f'library name "{name}" is not a plain file name')
    build = os.path.join(work_dir, "library-" + re.sub(r"[^A-Za-z0-9]", "_", name))
    os.makedirs(build, exist_ok=True)
    header = []
    definitions = [f'LIBRARY "{name}"', "EXPORTS"]
    for export, value in exports.items():
        if not IDENTIFIER.match(export):
            raise CannotExpress(f'export "{export}" of {name} is not a C identifier')
        if not isinstance(value, int) or isinstance(value, bool) or not -(2**31) <= value < 2**32:
            raise CannotExpress(f'export "{export}" of {name} must return a 32-bit integer')
        header.append(f"FAMILY_EXPORT({export}, 0x{value & 0xFFFFFFFF:08X}u)")
        # The stdcall symbol is decorated "name@0"; the export keeps the plain name.
        definitions.append(f"  {export}={export}@0")
    with open(os.path.join(build, "family_exports.h"), "w") as out:
        out.write("\n".join(header) + "\n")
    definition = os.path.join(build, "exports.def")
    with open(definition, "w") as out:
        out.write("\n".join(definitions) + "\n")
    os.makedirs(out_dir, exist_ok=True)
    target = os.path.join(out_dir, name)
    subprocess.run(
        [COMPILER, "-shared", "-O2", "-s", "-Wall", "-Werror", "-static-libgcc", "-I", build,
         "-o", target, os.path.abspath(SOURCE), definition],
        check=True, capture_output=True, text=True)
    return target


def realise(section, ctx):
    for name, exports in section.items():
        if not isinstance(exports, dict):
            raise CannotExpress(f"library {name} must be a table of exports")
        build_library(name, exports, ctx.exe_dir, ctx.tmp)
