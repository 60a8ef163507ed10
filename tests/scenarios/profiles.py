"""Machine profiles as the native loader reads them, for the Wine side.

A profile may name a `base` profile (relative to itself). The base is loaded
first and this profile's tables apply on top: scalar keys replace the base's,
tables are merged by key, and lists (registry imports) are appended to the
base's; a library, a device or the token's groups named again replace the
base's as a whole. File names that a section holds are relative to the profile that
names them, so they are made absolute while the chain is resolved.
"""

import os
import tomllib

MAX_DEPTH = 8


class ProfileProblem(Exception):
    """A profile that cannot be read or whose base chain is broken."""


def _resolve(folder, name):
    return name if os.path.isabs(name) else os.path.normpath(os.path.join(folder, name))


def _absolute_paths(section, keys, folder):
    """Makes the values of `keys` (a string or a list of strings) absolute."""
    for key in keys:
        value = section.get(key)
        if isinstance(value, str):
            section[key] = _resolve(folder, value)
        elif isinstance(value, list):
            section[key] = [_resolve(folder, v) if isinstance(v, str) else v for v in value]


# Entries that a profile names again replace the base's as a whole, as the
# native loader does: a library with its exports, a device, the token's groups.
_REPLACED_WHOLE = {("libraries", "*"), ("devices", "*"), ("token", "groups")}


def _replaced_whole(path):
    return len(path) == 2 and ((path[0], "*") in _REPLACED_WHOLE or tuple(path) in _REPLACED_WHOLE)


def _merge(base, top, path=()):
    merged = dict(base)
    for key, value in top.items():
        old = merged.get(key)
        here = path + (key,)
        if _replaced_whole(here):
            merged[key] = value
        elif isinstance(old, dict) and isinstance(value, dict):
            merged[key] = _merge(old, value, here)
        elif isinstance(old, list) and isinstance(value, list):
            merged[key] = old + value
        else:
            merged[key] = value
    return merged


def load_profile(path, path_keys=None, depth=0):
    """Returns the merged profile of `path` with its base chain resolved.

    `path_keys` maps a section name to the keys of that section that hold
    file names relative to the profile.
    """
    path_keys = path_keys or {}
    try:
        with open(path, "rb") as file:
            document = tomllib.load(file)
    except OSError as error:
        raise ProfileProblem(f"{path}: cannot be read: {error.strerror}")
    except tomllib.TOMLDecodeError as error:
        raise ProfileProblem(f"{path}: {error}")
    folder = os.path.dirname(os.path.abspath(path))
    for name, section in document.items():
        if isinstance(section, dict) and name in path_keys:
            _absolute_paths(section, path_keys[name], folder)
    base = document.pop("base", None)
    if base is None:
        return document
    if not isinstance(base, str):
        raise ProfileProblem(f'{path}: "base" must be the file name of another profile')
    if depth > MAX_DEPTH:
        raise ProfileProblem(f'{path}: "base" profiles nest too deeply')
    return _merge(load_profile(_resolve(folder, base), path_keys, depth + 1), document)
