"""Realising machine profiles in Wine prefixes."""
