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
    host = ctx.windows_to_host(directory)
    os.makedirs(host, exist_ok=True)
    ctx.cwd = host
