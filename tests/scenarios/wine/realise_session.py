"""Realises [session]: a Wine program always runs at the console."""

from .common import CannotExpress

SECTION = "session"


def realise(section, ctx):
    if section.get("remote", False):
        raise CannotExpress("Wine has no Terminal Services session: SM_REMOTESESSION is always 0")
