"""The [process] section: the folder the checker is started in."""

import os

from .common import CannotExpress

SECTION = "process"
ALWAYS = True  # a profile without it starts the checker in C:\
DEFAULT_DIRECTORY = "C:\\"


def realise(section, ctx):
    directory = section.get("current_directory", DEFAULT_DIRECTORY)
    if len(directory) < 2 or directory[1] != ":":
        raise CannotExpress(f"the checker can be started only in a folder with a drive letter, "
                            f"not {directory!r}")
    if directory[0].lower() != "c":
        raise CannotExpress(f"the prefix has only drive C: to start the checker on, not {directory[:2]}")
    host = ctx.windows_to_host(directory)
    os.makedirs(host, exist_ok=True)
    ctx.cwd = host
