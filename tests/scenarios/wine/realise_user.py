"""The [user] section: who runs the checker."""

from .common import CannotExpress

SECTION = "user"


def realise(section, ctx):
    if not section.get("elevated", True):
        raise CannotExpress("Wine always runs programs as an elevated administrator")
