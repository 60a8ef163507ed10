#!/usr/bin/env python3
"""Prints how long kvchecks.exe takes to start and answer, against an empty
program started the same way: a table of medians, not a test.

Under Wine, in a 32-bit and a 64-bit prefix of its own with the server kept
warm, it times every keyword against an empty MinGW program, the 32-keyword
sweep against 32 empty runs, each keyword that needs a system library
against an empty program importing that library, and the companion keywords
(MSICHECK, STORPORT) on 64-bit Server 2003 against NULL. Natively it times
NULL on the embedded default machine against /bin/true. All runs of one
table are interleaved round by round, so a slower moment of the machine
weighs on every program alike.

    startup_bench.py --windows-bin build/windows-bin --native build/native/kvchecks [--rounds 15]
"""

import argparse
import os
import platform
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "scenarios"))

import profiles  # noqa: E402
from wine import realisers  # noqa: E402
from wine.common import WINE, Context  # noqa: E402
from wine.prefix import WineRun  # noqa: E402

COMPILER = "i686-w64-mingw32-gcc-win32"
COMPANION_PROFILE = os.path.join(HERE, "server2003-sp2-x64-companion.toml")
WINDOWS_BINARIES = ("kvchecks.exe", "fileversion_x64.exe")

# The system library each keyword needs, where it needs one, on the machine
# the bench runs it on (version only where file versions are read in-process).
LIBRARY_OF = {"TSMODECHECK": "user32", "SIGNCHECK": "wintrust", "INTELDRIVERINSTALLEDCHECK": "setupapi",
              "MSICHECK": "version", "STORPORT": "version", "STORPORTSP1": "version"}
# A function of each library that an empty program imports, so the linker keeps the import.
LIBRARY_FUNCTION = {"user32": "GetSystemMetrics", "wintrust": "WinVerifyTrust",
                    "setupapi": "SetupDiDestroyDeviceInfoList", "version": "GetFileVersionInfoSizeA"}


def keywords():
    """The keywords in table order, as the keyword table lists them."""
    with open(os.path.join(ROOT, "src", "app", "keyword_table.cpp")) as file:
        return re.findall(r'^\s*\{"([A-Z0-9_]+)",', file.read(), re.M)


def arguments(keyword):
    if keyword == "VERSIONCHECK":
        return [keyword, "MN", "1", "a", "2", "b", "3", "c", "4", "d"]
    if keyword == "SLEEP":
        return [keyword, "0", "D"]
    if keyword == "SIGNCHECK":
        return [keyword, "7", "D", "NODE"]
    return [keyword, "7", "D", "5.2.3790.2075"]


def build_empty_programs(folder):
    """An empty MinGW program, and one per library that imports that library alone besides the C run-time."""
    programs = {}
    for library in [None] + sorted(LIBRARY_FUNCTION):
        name = f"empty-{library}.exe" if library else "empty.exe"
        source = os.path.join(folder, name + ".c")
        with open(source, "w") as out:
            if library:
                out.write("#include <windows.h>\n#include <setupapi.h>\n#include <wintrust.h>\n"
                          f"void* volatile keep = (void*)&{LIBRARY_FUNCTION[library]};\n")
            out.write("int main(void) { return 0; }\n")
        command = [COMPILER, "-O2", "-s", "-o", os.path.join(folder, name), source]
        if library:
            command.append("-l" + library)
        subprocess.run(command, check=True, capture_output=True, text=True)
        programs[library] = name
    return programs


def timed(command, env, cwd):
    started = time.perf_counter()
    subprocess.run(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, check=False)
    return time.perf_counter() - started


def medians(samples):
    return {name: statistics.median(times) for name, times in samples.items()}


class WinePrefixBench:
    """One prefix with the checker and the empty programs in one folder and the server warm."""

    def __init__(self, run, sixty_four_bit, windows_bin, empty_dir, profile=None):
        self.prefix = run.new_prefix(("companion" if profile else "plain") + ("-64" if sixty_four_bit else "-32"),
                                     sixty_four_bit)
        self.prefix.start_server()
        tmp = os.path.join(run.folder, "scratch", os.path.basename(self.prefix.path))
        os.makedirs(tmp, exist_ok=True)
        self.ctx = Context(self.prefix, profile or {}, os.path.dirname(COMPANION_PROFILE), tmp)
        os.makedirs(self.ctx.exe_dir, exist_ok=True)
        for name in WINDOWS_BINARIES:
            if os.path.exists(os.path.join(windows_bin, name)):
                shutil.copy2(os.path.join(windows_bin, name), self.ctx.exe_dir)
        for name in os.listdir(empty_dir):
            if name.endswith(".exe"):
                shutil.copy2(os.path.join(empty_dir, name), self.ctx.exe_dir)
        if profile:
            modules = realisers.discover()
            realisers.realise_all(profile, modules, self.ctx)
        self.env = dict(self.prefix.env, **self.ctx.env)
        # One run to warm the server and the file cache.
        self.run("empty.exe", [])

    def run(self, program, args):
        return timed([WINE, "C:\\kvchecks\\" + program] + args, self.env, self.ctx.cwd)


def bench_prefix(bench, words, empties, rounds):
    samples = {name: [] for name in ["empty"] + words + [f"empty+{lib}" for lib in LIBRARY_FUNCTION]}
    sweeps = {"sweep": [], "empty sweep": []}
    for _ in range(rounds):
        samples["empty"].append(bench.run(empties[None], []))
        for word in words:
            samples[word].append(bench.run("kvchecks.exe", arguments(word)))
            samples["empty"].append(bench.run(empties[None], []))
        for library in LIBRARY_FUNCTION:
            samples[f"empty+{library}"].append(bench.run(empties[library], []))
        sweeps["sweep"].append(sum(bench.run("kvchecks.exe", arguments(word)) for word in words))
        sweeps["empty sweep"].append(sum(bench.run(empties[None], []) for _ in words))
    return medians(samples), medians(sweeps)


def bench_companion(bench, rounds):
    samples = {"NULL": [], "MSICHECK": [], "STORPORT": []}
    for _ in range(rounds):
        for word in samples:
            samples[word].append(bench.run("kvchecks.exe", arguments(word)))
    return medians(samples)


def bench_native(native, rounds):
    env = {k: v for k, v in os.environ.items() if k != "KVCHECKS_MACHINE"}
    samples = {"kvchecks NULL": [], "/bin/true": []}
    for _ in range(rounds):
        samples["kvchecks NULL"].append(timed([native, "NULL", "17", "abc"], env, ROOT))
        samples["/bin/true"].append(timed(["/bin/true"], env, ROOT))
    return medians(samples)


def wine_version():
    try:
        return subprocess.run([WINE, "--version"], capture_output=True, text=True, timeout=30).stdout.strip()
    except OSError:
        return "unknown"


def machine_line():
    cpu = "unknown processor"
    try:
        with open("/proc/cpuinfo") as file:
            for line in file:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    return f"{cpu}, {os.cpu_count()} cores, {platform.system()} {platform.release()}, {wine_version()}"


def ms(seconds):
    return f"{seconds * 1000:.1f} ms"


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--windows-bin", required=True, help="folder with kvchecks.exe and fileversion_x64.exe")
    parser.add_argument("--native", required=True, help="the native kvchecks")
    parser.add_argument("--rounds", type=int, default=15)
    args = parser.parse_args()

    words = keywords()
    print(f"# Start-up of kvchecks: medians of {args.rounds} interleaved rounds")
    print()
    print(f"Machine: {machine_line()}")
    print()
    sizes = {name: os.path.getsize(os.path.join(args.windows_bin, name))
             for name in WINDOWS_BINARIES if os.path.exists(os.path.join(args.windows_bin, name))}
    print("| file | bytes |")
    print("|---|---|")
    for name, size in sizes.items():
        print(f"| {name} | {size} |")
    print()

    native = bench_native(args.native, max(args.rounds, 50))
    print("Natively, on the embedded default machine:")
    print()
    print("| program | median | against /bin/true |")
    print("|---|---|---|")
    for name, value in native.items():
        print(f"| {name} | {ms(value)} | {value / native['/bin/true']:.2f}x |")
    print()

    with tempfile.TemporaryDirectory(prefix="kvchecks-bench-") as empty_dir, WineRun() as run:
        empties = build_empty_programs(empty_dir)
        errors = run.make_templates([False, True])
        if errors:
            sys.exit(f"no Wine template: {errors}")
        results = {}
        for sixty_four_bit in (False, True):
            bench = WinePrefixBench(run, sixty_four_bit, args.windows_bin, empty_dir)
            results[sixty_four_bit] = bench_prefix(bench, words, empties, args.rounds)
            run.discard(bench.prefix)
        companion_profile = profiles.load_profile(COMPANION_PROFILE, profiles.default_tool(args.native))
        bench = WinePrefixBench(run, True, args.windows_bin, empty_dir, companion_profile)
        companion = bench_companion(bench, args.rounds)
        run.discard(bench.prefix)

    print("Under Wine, each keyword against an empty MinGW program in the same prefix; a keyword that")
    print("needs a system library also against an empty program importing that library:")
    print()
    print("| keyword | 32-bit prefix | 64-bit prefix | library | empty+library, 32 / 64 |")
    print("|---|---|---|---|---|")
    for word in words:
        cells = []
        for sixty_four_bit in (False, True):
            times = results[sixty_four_bit][0]
            cells.append(f"{times[word] / times['empty']:.2f}x")
        library = LIBRARY_OF.get(word, "")
        linked = ""
        if library:
            linked = " / ".join(f"{results[b][0]['empty+' + library] / results[b][0]['empty']:.2f}x"
                                for b in (False, True))
        print(f"| {word} | {cells[0]} | {cells[1]} | {library} | {linked} |")
    print()
    print("| | 32-bit prefix | 64-bit prefix |")
    print("|---|---|---|")
    print("| empty program | " + " | ".join(ms(results[b][0]["empty"]) for b in (False, True)) + " |")
    print("| 32-keyword sweep against 32 empty runs | "
          + " | ".join(f"{results[b][1]['sweep'] / results[b][1]['empty sweep']:.2f}x "
                       f"({ms(results[b][1]['sweep'])} / {ms(results[b][1]['empty sweep'])})"
                       for b in (False, True)) + " |")
    print()
    print("Under Wine, 64-bit Server 2003 SP2 whose file versions come through fileversion_x64:")
    print()
    print("| keyword | median | against NULL |")
    print("|---|---|---|")
    for word, value in companion.items():
        print(f"| {word} | {ms(value)} | {value / companion['NULL']:.2f}x |")


if __name__ == "__main__":
    main()
