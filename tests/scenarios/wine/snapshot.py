"""What a Wine prefix holds that a run could change: HKLM exported in both
registry views, and every file and folder of drive C: with its size and
modification time. Two snapshots taken around a run show what it changed."""

import os

import regread

from .common import host_to_windows

# What Wine's own libraries write the first time the checker uses them, not
# the checker: crypt32 fills the system certificate stores from the host's
# when a signature is first verified, and setupapi adds a device's "Class"
# name to its enum key when the devices are first listed.
WINE_OWN_WRITES = ("\\microsoft\\systemcertificates\\", "\\microsoft\\systemcertificates]")


def wine_own_write(entry):
    key = entry.split(" ", 2)[2] if entry.startswith("registry ") else ""
    if any(part in key for part in WINE_OWN_WRITES):
        return True
    return key.startswith("[hkey_local_machine\\system\\currentcontrolset\\enum\\") and key.endswith("] class")


def take(ctx):
    entries = {}
    # A 32-bit prefix has one view only.
    for view in ("/reg:64", "/reg:32") if ctx.sixty_four_bit else ("/reg:64",):
        export = os.path.join(ctx.tmp, "snapshot.reg")
        if os.path.exists(export):
            os.unlink(export)
        ctx.wine(["reg", "export", "HKLM", host_to_windows(export), "/y", view])
        with open(export, "rb") as file:
            for entry, data in regread.export_entries(file.read()).items():
                entries[f"registry {view} {entry}"] = data
    for folder, folders, files in os.walk(ctx.drive_c):
        relative = os.path.relpath(folder, ctx.drive_c)
        windows = "c:\\" + ("" if relative == "." else relative.replace("/", "\\").lower())
        entries[f"folder {windows}"] = ""
        for name in files:
            path = os.path.join(folder, name)
            try:
                facts = os.lstat(path)
            except FileNotFoundError:
                continue
            entries[f"file {windows.rstrip(chr(92))}\\{name.lower()}"] = f"{facts.st_size} {facts.st_mtime_ns}"
    return entries


def changes(before, after):
    """The entries that appeared, went or changed."""
    return sorted(entry for entry in set(before) | set(after)
                  if before.get(entry) != after.get(entry) and not wine_own_write(entry))
