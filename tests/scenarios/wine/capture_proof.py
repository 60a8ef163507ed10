"""Capture and replay tell the truth: in a scenario machine's prefix
kvcapture.exe captures the machine, the native checker replays the capture,
and every keyword must report there exactly what kvchecks.exe reports in the
prefix. MSDEWORKINGCHECK is left aside: the capture never calls the database
library's StartServer, so the replay only assumes its answer."""

import os
import shutil
import subprocess

from . import snapshot
from .common import EXE_FOLDER, WINE

OUT_FOLDER = "C:\\kvcapture"
STORPORT_MINIMUM = "5.2.3790.1830"
NOT_COMPARED = {"MSDEWORKINGCHECK"}
COMPANION_OUTPUTS = ("\\storport_ver.txt", "\\tmp_ver.txt")


def reason_not_to_prove(profile):
    """Why a machine's capture cannot be compared, or None."""
    companion = profile.get("files", {}).get("programs", {}).get("fileversion_x64")
    if companion is not None and companion.get("kind", "fileversion") != "fileversion":
        return "its companion is a test double, whose behaviour a capture cannot record"
    return None


def table_rows(table, profile_path):
    """The (keyword, ARG) rows the native table gives for the captured machine."""
    env = dict(os.environ, KVCHECKS_MACHINE=profile_path)
    done = subprocess.run([table, f"STORPORT={STORPORT_MINIMUM}", f"STORPORTSP1={STORPORT_MINIMUM}"],
                          env=env, capture_output=True, text=True, timeout=120)
    if done.returncode != 0:
        raise RuntimeError(f"kvchecks_table refused the capture: {done.stderr.strip()[-400:]}")
    rows = []
    for line in done.stdout.splitlines()[2:]:
        if not line.startswith("|"):
            break
        cells = [cell.strip() for cell in line.strip("|").split("|")]
        rows.append((cells[1], cells[2]))
    return rows


def checker_args(keyword, arg):
    if keyword == "VERSIONCHECK":
        return [keyword, arg, "1", "MAJOR", "2", "MINOR", "3", "SAME", "4", "DOWN"]
    return [keyword, "1", "d"] + ([arg] if arg else [])


def allowed_capture_change(entry):
    """What running the capture may change: its own output, and the companion's output files."""
    return "c:\\kvcapture" in entry or any(entry.split(" ", 1)[-1].endswith(name) for name in COMPANION_OUTPUTS)


def prove(ctx, native, table, check_unchanged):
    """Returns (problems, rows compared)."""
    host_out = os.path.join(ctx.drive_c, "kvcapture")
    shutil.rmtree(host_out, ignore_errors=True)
    before = snapshot.take(ctx) if check_unchanged else None
    capture = ctx.wine_prefix.run([WINE] + ctx.launcher + [EXE_FOLDER + "\\kvcapture.exe", OUT_FOLDER],
                                  timeout=300, cwd=ctx.cwd, extra_env=ctx.env)
    profile_path = os.path.join(host_out, "machine.toml")
    if capture.returncode != 0 or not os.path.exists(profile_path):
        return [f"kvcapture.exe ended with {capture.returncode}: "
                f"{capture.stderr.decode(errors='replace').strip()[-400:]}"], 0
    problems = []
    if before is not None:
        for entry in snapshot.changes(before, snapshot.take(ctx)):
            if not allowed_capture_change(entry):
                problems.append(f"the capture changed {entry[:160]}")

    rows = table_rows(table, profile_path)
    batch = ["@echo off"]
    for number, (keyword, arg) in enumerate(rows):
        batch.append(f"{EXE_FOLDER}\\kvchecks.exe {' '.join(checker_args(keyword, arg))} "
                     f"> {OUT_FOLDER}\\row-{number}.txt")
    with open(os.path.join(host_out, "rows.bat"), "w", newline="\r\n") as file:
        file.write("\n".join(batch) + "\n")
    ctx.wine_prefix.run([WINE] + ctx.launcher + ["cmd.exe", "/c", OUT_FOLDER + "\\rows.bat"],
                        timeout=600, cwd=ctx.cwd, extra_env=ctx.env)

    env = dict(os.environ, KVCHECKS_MACHINE=profile_path)
    for number, (keyword, arg) in enumerate(rows):
        if keyword in NOT_COMPARED:
            continue
        args = checker_args(keyword, arg)
        replay = subprocess.run([native] + args, env=env, capture_output=True, timeout=120).stdout
        try:
            with open(os.path.join(host_out, f"row-{number}.txt"), "rb") as file:
                under_wine = file.read().replace(b"\r\n", b"\n")
        except OSError:
            under_wine = b"(no report)"
        if replay != under_wine:
            problems.append(f"{' '.join(args)}: kvchecks.exe reports {under_wine!r}, the replay {replay!r}")
    return problems, len(rows) - sum(1 for keyword, _ in rows if keyword in NOT_COMPARED)
