"""Machine profiles with their base chains resolved, for the Wine side.

How a profile builds on its base is decided in one place, the native loader
(sim/profile/profile.cpp). Its `resolve_profile` tool, built beside the unit
tests, prints the profile it resolves as JSON; this module only runs it.
"""

import json
import os
import subprocess


class ProfileProblem(Exception):
    """A profile that cannot be read or whose base chain is broken."""


def default_tool(native):
    """Where the build puts resolve_profile, given the native checker."""
    return os.path.join(os.path.dirname(os.path.abspath(native)), "tests", "resolve_profile")


def load_profile(path, tool):
    """Returns the merged profile of `path`, as the native loader resolves it."""
    try:
        result = subprocess.run([tool, path], capture_output=True, timeout=30)
    except (OSError, subprocess.TimeoutExpired) as error:
        raise ProfileProblem(f"{path}: {tool} did not run: {error}")
    if result.returncode != 0:
        message = result.stderr.decode("utf-8", errors="replace").strip()
        raise ProfileProblem(message or f"{path}: {tool} exited with {result.returncode}")
    return json.loads(result.stdout)
