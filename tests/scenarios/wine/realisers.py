"""Finds the realiser modules (realise_<section>.py) and applies them.

A module exports SECTION and realise(section, ctx), and may export
ALWAYS = True (realise even when the profile has no such section, because
Wine's own default differs from the profile's) and ORDER (lower first; 50
unless given). File names in a section arrive absolute: the native loader
resolves them while it resolves the profile's base chain.
"""

import glob
import importlib
import os
import sys

from . import common

# Realisers may import the shared module either way and get the same classes.
sys.modules.setdefault("common", common)


def discover():
    modules = {}
    folder = os.path.dirname(__file__)
    for path in sorted(glob.glob(os.path.join(folder, "realise_*.py"))):
        name = os.path.splitext(os.path.basename(path))[0]
        module = importlib.import_module(f"{__package__}.{name}")
        modules[module.SECTION] = module
    return modules


def unexpressed_sections(profile, modules):
    """The reason a profile cannot run under Wine because no module realises a section, or None."""
    missing = sorted(name for name in profile if name not in modules)
    if not missing:
        return None
    return "no Wine realiser for profile section " + ", ".join(f"[{name}]" for name in missing)


def realise_all(profile, modules, ctx):
    ordered = sorted(modules.values(), key=lambda m: (getattr(m, "ORDER", 50), m.SECTION))
    for module in ordered:
        section = profile.get(module.SECTION)
        if section is None and not getattr(module, "ALWAYS", False):
            continue
        module.realise(section if isinstance(section, dict) else {}, ctx)
