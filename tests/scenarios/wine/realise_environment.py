"""The [environment] section: the checker's environment variables.

Wine builds a process's environment from the registry after the Unix one,
and sets windir and TEMP itself, so the variables go to HKCU\\Environment,
which comes last and wins. Wine's own variables that a profile does not
name stay as Wine sets them. The temporary folder that temp or tmp names is
made in the prefix, so that programs can write there.
"""

import os

SECTION = "environment"
ORDER = 30
TEMPORARY_FOLDER_VARIABLES = ("temp", "tmp")


def _quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def realise(section, ctx):
    if not section:
        return
    lines = [f"{_quote(name)}={_quote(value)}" for name, value in section.items()]
    ctx.reg_import("Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Environment]\n"
                   + "\n".join(lines) + "\n")
    for name, value in section.items():
        if name.lower() in TEMPORARY_FOLDER_VARIABLES and value[:2].lower() == "c:":
            os.makedirs(ctx.windows_to_host(value), exist_ok=True)
