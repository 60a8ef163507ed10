"""The [registry] section: the profile's .reg files, imported as they are.

The 64-bit importer (/reg:64) writes the physical layout that the files
describe, so HKLM\\SOFTWARE\\Wow6432Node is the 32-bit view on a 64-bit
prefix, as on Windows.
"""

import codecs
import os

from .common import CannotExpress

SECTION = "registry"
ORDER = 20

UNICODE_HEADER = "Windows Registry Editor Version 5.00"


def _as_regedit_writes_it(raw):
    """A version 5.00 file saved as ANSI, re-encoded as the UTF-16 that regedit writes.

    The header says that hex(2) and hex(7) data are UTF-16 bytes; Wine's
    importer goes by the file's encoding instead and would widen every byte
    of an ANSI file.
    """
    if raw.startswith(codecs.BOM_UTF16_LE):
        return None
    text = raw[3:] if raw.startswith(codecs.BOM_UTF8) else raw
    text = text.decode("cp1252", errors="replace")
    if not text.lstrip().startswith(UNICODE_HEADER):
        return None
    return codecs.BOM_UTF16_LE + text.encode("utf-16-le")


def realise(section, ctx):
    if section.get("deny_read"):
        raise CannotExpress("Wine gives an administrator every registry key; "
                            "it cannot deny reading one")
    for number, path in enumerate(section.get("import", [])):
        with open(path, "rb") as file:
            converted = _as_regedit_writes_it(file.read())
        if converted is not None:
            path = os.path.join(ctx.tmp, f"profile-{number}-{os.path.basename(path)}")
            with open(path, "wb") as file:
                file.write(converted)
        ctx.reg_import_file(path)
