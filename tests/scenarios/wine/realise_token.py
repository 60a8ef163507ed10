"""Realises [token]: Wine runs every program with an administrator's token
whose Administrators entry is enabled and named, so only that token can be
expressed."""

from .common import CannotExpress

SECTION = "token"


def realise(section, ctx):
    for key, value in section.items():
        if key == "kind" and value == "administrator":
            continue
        if key in ("open_error", "size_query_error", "query_error", "allocate_sid_error") and not value:
            continue
        raise CannotExpress(f"Wine's token is always an elevated administrator's ({key} = {value!r})")
