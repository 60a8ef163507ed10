"""The [environment] section: the checker's environment variables.

Wine builds a process's environment from the registry after the Unix one,
and sets windir and TEMP itself, so the variables go to HKCU\\Environment,
which comes last and wins. Wine's own variables that a profile does not
name stay as Wine sets them. The temporary folder that temp or tmp names is
made in the prefix, so that programs can write there.

Wine drops an empty value there and keeps the system's, and a value too long
for the registry's environment stays out of it: variables set empty, very
long ones and those the profile lists under `unset` are made by a launcher
(tests/doubles/launch_with_environment.c) that starts the checker.
"""

import os
import subprocess

SECTION = "environment"
ORDER = 30
TEMPORARY_FOLDER_VARIABLES = ("temp", "tmp")
LONGEST_REGISTRY_VALUE = 1024
COMPILER = "i686-w64-mingw32-gcc-win32"
LAUNCHER = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "doubles",
                        "launch_with_environment.c")
LAUNCHER_EXE = "launch_with_environment.exe"
SETTINGS = "environment.txt"


def _quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def settings_of(section):
    """The variables of an [environment] table that the registry takes, and the
    launcher's settings lines for the rest."""
    unset = [name.lower() for name in section.get("unset", [])]
    values = {name: value for name, value in section.items() if name != "unset" and name.lower() not in unset}
    launched = {name: value for name, value in values.items() if not value or len(value) > LONGEST_REGISTRY_VALUE}
    written = {name: value for name, value in values.items() if name not in launched}
    return written, [f"-{name}" for name in unset] + [f"{name}={value}" for name, value in launched.items()]


def launcher(ctx, settings, file_name=SETTINGS):
    """The launcher's arguments that start the checker with these settings lines."""
    with open(os.path.join(ctx.exe_dir, file_name), "w", encoding="cp1252", newline="\r\n") as out:
        out.write("\n".join(settings) + "\n")
    program = os.path.join(ctx.exe_dir, LAUNCHER_EXE)
    if not os.path.exists(program):
        subprocess.run([COMPILER, "-O2", "-s", "-Wall", "-Werror", "-o", program, os.path.abspath(LAUNCHER)],
                       check=True, capture_output=True, text=True)
    return [f"C:\\kvchecks\\{LAUNCHER_EXE}", f"C:\\kvchecks\\{file_name}", "--"]


def realise(section, ctx):
    if not section:
        return
    written, settings = settings_of(section)
    if written:
        lines = [f"{_quote(name)}={_quote(value)}" for name, value in written.items()]
        ctx.reg_import("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Environment]\n"
                       + "\n".join(lines) + "\n")
    for name, value in written.items():
        if name.lower() in TEMPORARY_FOLDER_VARIABLES and value[:2].lower() == "c:":
            os.makedirs(ctx.windows_to_host(value), exist_ok=True)
    if settings:
        ctx.launcher_settings = settings
        ctx.launcher = launcher(ctx, settings)
