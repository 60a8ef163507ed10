#!/usr/bin/env python3
"""Runs the end-to-end scenarios: every case against the native checker, and
with --windows-bin also against kvchecks.exe under Wine in a prefix realised
from the scenario's machine profile. A case that runs in both places must
give the same output there (line ends aside).

    run_scenarios.py --native build/native/kvchecks [--windows-bin build/windows-bin]
                     [--profile-tool build/native/tests/resolve_profile]
                     [--only TEXT] [--keep] tests/scenarios
"""

import argparse
import glob
import json
import os
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import tomllib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import profiles  # noqa: E402
import regread  # noqa: E402
from wine import capture_proof, planting, realise_environment, realisers, snapshot  # noqa: E402
from wine.common import EXE_FOLDER, WINE, CannotExpress, Context, host_to_windows, kill_session  # noqa: E402
from wine.prefix import WineRun  # noqa: E402

CASE_TIMEOUT = 20
WINDOWS_BINARIES = ("kvchecks.exe", "fileversion_x64.exe", "kvcapture.exe")
SCENARIO_KEYS = {"profile", "machines", "native_only", "planted_libraries", "planted_companion_libraries",
                 "changes_only_the_record", "case"}
RECORD_KEY = "hkey_local_machine\\software\\norvik computer corporation\\kelvane\\prereqchecks"
COMPANION_OUTPUTS = ("tmp_ver.txt", "storport_ver.txt")
CASE_KEYS = {"name", "args", "stdout", "exit", "native_only", "min_seconds", "max_seconds",
             "registry_after", "stderr_contains", "environment", "current_directory", "registry", "on",
             "only_on"}
REQUIRED_CASE_KEYS = ("name", "args", "stdout", "exit")


class ScenarioError(Exception):
    """A scenario file that cannot be used as it is written."""


REPEAT = re.compile(r"\{\{(\d+)\*(.)\}\}", re.S)


def expand(value):
    """Writes out "{{N*c}}", the character c N times, in a case's strings, so
    that a table can hold arguments of 30 000 characters."""
    if isinstance(value, str):
        return REPEAT.sub(lambda m: m.group(2) * int(m.group(1)), value)
    if isinstance(value, list):
        return [expand(item) for item in value]
    if isinstance(value, dict):
        return {key: expand(item) for key, item in value.items()}
    return value


class Case:
    def __init__(self, scenario, table):
        unknown = set(table) - CASE_KEYS
        missing = [key for key in REQUIRED_CASE_KEYS if key not in table]
        label = table.get("name", "(unnamed case)")
        if unknown:
            raise ScenarioError(f"case {label!r}: unknown key(s) {', '.join(sorted(unknown))}")
        if missing:
            raise ScenarioError(f"case {label!r}: missing key(s) {', '.join(missing)}")
        table = {key: expand(value) if key != "name" else value for key, value in table.items()}
        if not all(isinstance(arg, str) for arg in table["args"]):
            raise ScenarioError(f"case {label!r}: args must be strings")
        self.scenario = scenario
        self.name = table["name"]
        self.args = table["args"]
        self.stdout = table["stdout"]
        self.exit = table["exit"]
        self.native_only = table.get("native_only")
        self.min_seconds = table.get("min_seconds")
        self.max_seconds = table.get("max_seconds")
        self.registry_after = table.get("registry_after", [])
        self.stderr_contains = table.get("stderr_contains")
        # The case's own machine on top of the scenario's: variables, the
        # folder the checker starts in, and .reg text imported before the run.
        self.environment = table.get("environment")
        self.current_directory = table.get("current_directory")
        self.registry = table.get("registry")
        for entry in self.registry_after:
            if "key" not in entry or "name" not in entry or ("data" in entry) == bool(entry.get("absent")):
                raise ScenarioError(f"case {label!r}: each registry_after entry needs key, name "
                                    "and either data or absent = true")

    @property
    def timeout(self):
        """How long a run may take before it counts as hung."""
        return max(CASE_TIMEOUT, (self.max_seconds or 0) + 10)

    @property
    def label(self):
        return f"{self.scenario.stem}: {self.name}"


def case_on(table, machine, machines):
    """A case table as it reads on one machine: its `on.<machine>` keys replace
    the shared ones; None when `only_on` leaves the machine out."""
    label = table.get("name", "(unnamed case)")
    on = table.get("on", {})
    only_on = table.get("only_on", list(machines))
    strange = (set(on) | set(only_on)) - set(machines)
    if strange:
        raise ScenarioError(f"case {label!r}: no machine(s) {', '.join(sorted(strange))}")
    if machine not in only_on:
        return None
    overrides = on.get(machine, {})
    if "on" in overrides or "only_on" in overrides:
        raise ScenarioError(f"case {label!r}: on.{machine} cannot nest on or only_on")
    return {**{k: v for k, v in table.items() if k not in ("on", "only_on")}, **overrides}


class Scenario:
    """The cases of a scenario file on one machine. A file names its machine
    with `profile`, or several with a `machines` table (name = profile); each
    machine is then a scenario of its own, `<file stem>_<machine name>`."""

    def __init__(self, path, document, profile, machine=None, machines=()):
        self.path = path
        stem = os.path.splitext(os.path.basename(path))[0]
        self.stem = f"{stem}_{machine}" if machine else stem
        self.profile = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(path)), profile))
        self.native_only = document.get("native_only")
        # Under Wine, hostile DLLs of these names beside the checker and in its
        # current directory; natively there is nowhere to plant them, as the
        # simulated machine hands out system libraries only from its system folder.
        self.planted_libraries = document.get("planted_libraries", [])
        # Planted as 64-bit libraries, which only the 64-bit companion could load.
        self.planted_companion_libraries = document.get("planted_companion_libraries", [])
        self.changes_only_the_record = document.get("changes_only_the_record", False)
        tables = document.get("case", [])
        if machine:
            tables = [t for t in (case_on(t, machine, machines) for t in tables) if t is not None]
        self.cases = [Case(self, table) for table in tables]


def read_scenario_file(path):
    """The scenarios of one file, one per machine it names."""
    with open(path, "rb") as file:
        try:
            document = tomllib.load(file)
        except tomllib.TOMLDecodeError as error:
            raise ScenarioError(str(error))
    unknown = set(document) - SCENARIO_KEYS
    if unknown:
        raise ScenarioError(f"unknown key(s) {', '.join(sorted(unknown))}")
    if ("profile" in document) == ("machines" in document):
        raise ScenarioError('name the machine with "profile" or the machines with "machines", not both')
    if "profile" in document:
        for table in document.get("case", []):
            if "on" in table or "only_on" in table:
                raise ScenarioError(f"case {table.get('name')!r}: on and only_on need a machines table")
        return [Scenario(path, document, document["profile"])]
    machines = document["machines"]
    if not machines or not all(isinstance(p, str) for p in machines.values()):
        raise ScenarioError('"machines" must name each machine\'s profile')
    return [Scenario(path, document, profile, name, machines) for name, profile in machines.items()]


class Outcome:
    """What one run of a case gave, and what was wrong with it."""

    def __init__(self, stdout=b"", exit_code=None, seconds=0.0, problems=None):
        self.stdout = stdout
        self.exit_code = exit_code
        self.seconds = seconds
        self.problems = problems or []

    @property
    def passed(self):
        return not self.problems


def expected_exit(code):
    return code % 256  # -1 arrives as 255


def check_common(case, outcome, expected_stdout, registry_values):
    if outcome.stdout != expected_stdout:
        outcome.problems.append(f"stdout {outcome.stdout!r}, expected {expected_stdout!r}")
    if outcome.exit_code != expected_exit(case.exit):
        outcome.problems.append(f"exit code {outcome.exit_code}, expected {expected_exit(case.exit)}")
    if case.min_seconds is not None and outcome.seconds < case.min_seconds:
        outcome.problems.append(f"took {outcome.seconds:.2f} s, expected at least {case.min_seconds} s")
    if case.max_seconds is not None and outcome.seconds > case.max_seconds:
        outcome.problems.append(f"took {outcome.seconds:.2f} s, expected at most {case.max_seconds} s")
    for entry, found in zip(case.registry_after, registry_values):
        complaint = regread.matches(found, entry)
        if complaint:
            outcome.problems.append(f"registry {entry['key']} \"{entry['name']}\" {complaint}")


def toml_string(text):
    return json.dumps(text)  # a JSON string is a TOML basic string


def case_profile(case, scratch):
    """The scenario's profile with the case's own machine on top, or the profile itself."""
    if case.environment is None and case.current_directory is None and case.registry is None:
        return case.scenario.profile
    lines = [f"base = {toml_string(case.scenario.profile)}"]
    if case.environment is not None:
        lines.append("[environment]")
        for name, value in case.environment.items():
            if name == "unset":
                lines.append("unset = [" + ", ".join(toml_string(v) for v in value) + "]")
            else:
                lines.append(f"{toml_string(name)} = {toml_string(value)}")
    if case.current_directory is not None:
        lines += ["[process]", f"current_directory = {toml_string(case.current_directory)}"]
    if case.registry is not None:
        reg = os.path.join(scratch, "case.reg")
        with open(reg, "wb") as file:
            file.write(b"\xff\xfe" + case.registry.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-16-le"))
        lines += ["[registry]", f"import = [{toml_string(reg)}]"]
    path = os.path.join(scratch, "case-profile.toml")
    with open(path, "w", encoding="utf-8") as file:
        file.write("\n".join(lines) + "\n")
    return path


def run_native(native, case, scratch):
    env = dict(os.environ)
    env.pop("KVCHECKS_REGISTRY_OUT", None)
    env["KVCHECKS_MACHINE"] = case_profile(case, scratch)
    export = None
    if case.registry_after:
        export = os.path.join(scratch, "registry-out.reg")
        if os.path.exists(export):
            os.unlink(export)
        env["KVCHECKS_REGISTRY_OUT"] = export
    # The simulated machine's ANSI code page is 1252: hand it those bytes.
    command = [os.fsencode(os.path.abspath(native))] + [arg.encode("cp1252") for arg in case.args]
    started = time.monotonic()
    process = subprocess.Popen(command, env=env, cwd=scratch, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True)
    try:
        stdout, stderr = process.communicate(timeout=case.timeout)
    except subprocess.TimeoutExpired:
        kill_session(process)
        process.communicate()
        return Outcome(seconds=case.timeout, problems=[f"no answer within {case.timeout} s"])
    outcome = Outcome(stdout, process.returncode, time.monotonic() - started)
    values = []
    if export:
        try:
            with open(export, "rb") as file:
                exported = regread.parse_export(file.read())
            values = [regread.lookup_export(exported, e["key"], e["name"]) for e in case.registry_after]
        except (OSError, ValueError) as error:
            outcome.problems.append(f"registry export unreadable: {error}")
            values = [None] * len(case.registry_after)
    check_common(case, outcome, case.stdout.encode("cp1252"), values)
    if case.stderr_contains is not None:
        text = stderr.decode("utf-8", errors="replace")
        if case.stderr_contains not in text:
            outcome.problems.append(f"stderr {text.strip()!r} lacks {case.stderr_contains!r}")
    return outcome


def read_back_under_wine(ctx, entry):
    # `reg export` rather than `reg query`: Wine's reg query prints data through
    # a format string and mangles values that hold a '%'. The 64-bit export sees
    # the physical layout, Wow6432Node included.
    export = os.path.join(ctx.tmp, "registry-after.reg")
    if os.path.exists(export):
        os.unlink(export)
    result = ctx.wine(["reg", "export", entry["key"], host_to_windows(export), "/y", "/reg:64"], check=False)
    if result.returncode != 0:
        return None  # no such key
    with open(export, "rb") as file:
        return regread.lookup_export(regread.parse_export(file.read()), entry["key"], entry["name"])


def allowed_change(entry, case, ctx):
    """What a run may change: VERSIONCHECK its record under PreReqChecks (in
    either view, with the keys above it that it creates), and on 64-bit
    Windows the companion's output files under "temp"."""
    if case.args and case.args[0].upper() == "VERSIONCHECK" and entry.startswith("registry "):
        key = entry.split(" ", 2)[2].split("]")[0].lstrip("[")
        for record in (RECORD_KEY, RECORD_KEY.replace("\\software\\", "\\software\\wow6432node\\")):
            if key == record or record.startswith(key + "\\"):
                return True
    if ctx.sixty_four_bit and entry.startswith("file "):
        temp = ctx.profile.get("environment", {}).get("temp", "").lower()
        return any(entry == f"file {temp}\\{name}" for name in COMPANION_OUTPUTS)
    return False


def check_unchanged(ctx, case, before, outcome):
    """Takes the snapshot after the run, complains of what changed beyond the record, and returns it."""
    after = snapshot.take(ctx)
    for entry in snapshot.changes(before, after):
        if not allowed_change(entry, case, ctx):
            outcome.problems.append(f"changed {entry[:160]}")
    return after


def prepare_case_under_wine(ctx, case):
    """Gives the prefix the case's own machine; the launcher and the folder the checker starts with."""
    if case.registry is not None:
        ctx.reg_import(case.registry)
    cwd = ctx.cwd
    if case.current_directory is not None:
        cwd = ctx.windows_to_host(case.current_directory)
        os.makedirs(cwd, exist_ok=True)
    launcher = ctx.launcher
    if case.environment is not None:
        unset = [f"-{name}" for name in case.environment.get("unset", [])]
        values = [f"{name}={value}" for name, value in case.environment.items() if name != "unset"]
        launcher = realise_environment.launcher(ctx, ctx.launcher_settings + unset + values, "case-environment.txt")
    return launcher, cwd


def run_wine(ctx, case):
    launcher, cwd = prepare_case_under_wine(ctx, case)
    command = [WINE] + launcher + [EXE_FOLDER + "\\kvchecks.exe"] + case.args
    started = time.monotonic()
    try:
        result = ctx.wine_prefix.run(command, timeout=case.timeout, cwd=cwd, extra_env=ctx.env)
    except subprocess.TimeoutExpired:
        return Outcome(seconds=case.timeout, problems=[f"no answer under Wine within {case.timeout} s"])
    outcome = Outcome(result.stdout, result.returncode, time.monotonic() - started)
    values = [read_back_under_wine(ctx, entry) for entry in case.registry_after]
    expected = case.stdout.replace("\n", "\r\n").encode("cp1252")
    check_common(case, outcome, expected, values)
    return outcome


class CaseReport:
    def __init__(self, case):
        self.case = case
        self.native = None
        self.wine = None
        self.wine_skipped = None  # the reason, when the case did not run under Wine
        self.differs = None

    def line(self):
        runs = [f"native {self.native.seconds:.2f} s"]
        if self.wine is not None:
            runs.append(f"wine {self.wine.seconds:.2f} s")
        elif self.wine_skipped:
            runs.append(f"skipped under Wine: {self.wine_skipped}")
        failed = not self.native.passed or (self.wine is not None and not self.wine.passed) or self.differs
        text = f"{'FAIL' if failed else 'PASS'}  {self.case.label}  ({'; '.join(runs)})"
        for where, outcome in (("native", self.native), ("wine", self.wine)):
            for problem in outcome.problems if outcome else []:
                text += f"\n      {where}: {problem}"
        if self.differs:
            text += f"\n      native and Wine differ in scenario {self.case.scenario.stem}, " \
                    f"case {self.case.name!r}: {self.differs}"
        return text


class Tally:
    def __init__(self):
        self.passed = self.failed = self.skipped = 0

    def add_case(self, report):
        self.passed += report.native.passed
        self.failed += not report.native.passed
        if report.wine is not None:
            ok = report.wine.passed and not report.differs
            self.passed += ok
            self.failed += not ok
        elif report.wine_skipped:
            self.skipped += 1

    def add_proof(self, machine, problems, compared, skipped):
        if skipped:
            print(f"SKIP  capture and replay on {machine}: {skipped}", flush=True)
            self.skipped += 1
            return
        print(f"{'FAIL' if problems else 'PASS'}  capture and replay on {machine} ({compared} keyword runs)"
              + "".join(f"\n      {problem}" for problem in problems), flush=True)
        self.passed += not problems
        self.failed += bool(problems)

    def line(self):
        text = f"{self.passed} passed, {self.failed} failed"
        return text + (f", {self.skipped} skipped" if self.skipped else "")


def compare(native, wine):
    native_text = native.stdout
    wine_text = wine.stdout.replace(b"\r\n", b"\n")
    if native_text != wine_text:
        return f"native {native_text!r}, Wine {wine_text!r}"
    if native.exit_code != wine.exit_code:
        return f"native exit code {native.exit_code}, Wine {wine.exit_code}"
    return None


class WineSide:
    """Realises each scenario in a prefix of its own and runs its cases there."""

    def __init__(self, windows_bin, wine_run, modules, keep, profile_tool, native):
        self.windows_bin = windows_bin
        self.native = native
        self.table = os.path.join(os.path.dirname(native), "kvchecks_table")
        self.proven = set()  # the machines whose capture has been replayed
        self.proofs = []  # (machine, problems, rows compared, reason skipped) since last taken
        self.profile_tool = profile_tool
        self.run = wine_run
        self.modules = modules
        self.keep = keep
        self.template_errors = {}

    def profile_of(self, scenario):
        return profiles.load_profile(scenario.profile, self.profile_tool)

    def kind_needed(self, scenario):
        """The template a scenario needs, or None when it cannot run under Wine."""
        if scenario.native_only:
            return None
        try:
            profile = self.profile_of(scenario)
        except profiles.ProfileProblem:
            return None
        if realisers.unexpressed_sections(profile, self.modules):
            return None
        return bool(profile.get("os", {}).get("sixty_four_bit", False))

    def run_scenario(self, scenario, reports):
        active = [r for r in reports if not r.case.native_only]
        for report in reports:
            if report.case.native_only:
                report.wine_skipped = f"native only: {report.case.native_only}"
        if scenario.native_only:
            return self.skip(active, f"native only: {scenario.native_only}")
        try:
            profile = self.profile_of(scenario)
        except profiles.ProfileProblem as error:
            return self.fail(active, f"profile: {error}")
        reason = realisers.unexpressed_sections(profile, self.modules)
        if reason:
            return self.skip(active, reason)
        if not active:
            return
        sixty_four_bit = bool(profile.get("os", {}).get("sixty_four_bit", False))
        if sixty_four_bit not in self.run.templates:
            return self.fail(active, "no Wine template: "
                             + self.template_errors.get(sixty_four_bit, "not made"))

        started = time.monotonic()
        prefix = self.run.new_prefix(scenario.stem, sixty_four_bit)
        copied = time.monotonic()
        try:
            prefix.start_server()
            tmp = os.path.join(self.run.folder, "scratch", scenario.stem)
            os.makedirs(tmp, exist_ok=True)
            ctx = Context(prefix, profile, os.path.dirname(scenario.profile), tmp)
            os.makedirs(ctx.exe_dir, exist_ok=True)
            for name in WINDOWS_BINARIES:
                source = os.path.join(self.windows_bin, name)
                if os.path.exists(source):
                    shutil.copy2(source, os.path.join(ctx.exe_dir, name))
            try:
                realisers.realise_all(profile, self.modules, ctx)
            except CannotExpress as error:
                return self.skip(active, str(error))
            except Exception as error:  # a faulty realiser fails its scenario, not the run
                return self.fail(active, f"realising the profile failed: {type(error).__name__}: {error}")
            if scenario.planted_libraries:
                planting.plant(ctx, scenario.planted_libraries, os.path.join(self.run.folder, "planted"))
            if scenario.planted_companion_libraries:
                planting.plant(ctx, scenario.planted_companion_libraries, os.path.join(self.run.folder, "planted"),
                               sixty_four_bit=True)
            ready = time.monotonic()
            print(f"      wine prefix {scenario.stem} ({'64' if sixty_four_bit else '32'}-bit): "
                  f"copy {copied - started:.2f} s, server and realisation {ready - copied:.2f} s",
                  flush=True)
            before = snapshot.take(ctx) if scenario.changes_only_the_record else None
            for report in active:
                try:
                    report.wine = run_wine(ctx, report.case)
                    if before is not None:
                        before = check_unchanged(ctx, report.case, before, report.wine)
                except (OSError, RuntimeError, subprocess.TimeoutExpired) as error:
                    report.wine = Outcome(problems=[f"{type(error).__name__}: {error}"])
                    continue
                planted = scenario.planted_libraries or scenario.planted_companion_libraries
                for loaded in planting.markers(ctx) if planted else []:
                    report.wine.problems.append(f"the planted {loaded} was loaded")
                report.differs = compare(report.native, report.wine)
            self.prove_capture(ctx, scenario, profile)
            if self.keep:
                env = dict(self.run.env, WINEPREFIX=prefix.path, **ctx.env)
                names = ("WINEPREFIX", "TMPDIR", "HOME", "WINEDEBUG", "WINEDLLOVERRIDES", *ctx.env)
                exports = " ".join(f"{name}={shlex.quote(env[name])}" for name in dict.fromkeys(names))
                print(f"      kept: export {exports}; cd {shlex.quote(ctx.cwd)}", flush=True)
        finally:
            if self.keep:
                prefix.stop_server()
            else:
                self.run.discard(prefix)

    def prove_capture(self, ctx, scenario, profile):
        """Once per machine: its capture, replayed natively, answers as kvchecks.exe does in the prefix."""
        machine = os.path.realpath(scenario.profile)
        if machine in self.proven:
            return
        self.proven.add(machine)
        name = os.path.relpath(scenario.profile, os.path.dirname(os.path.dirname(scenario.profile)))
        reason = capture_proof.reason_not_to_prove(profile)
        if reason:
            self.proofs.append((name, [], 0, reason))
            return
        if not os.path.exists(os.path.join(ctx.exe_dir, "kvcapture.exe")):
            self.proofs.append((name, [f"no kvcapture.exe in {self.windows_bin}"], 0, None))
            return
        try:
            problems, compared = capture_proof.prove(ctx, self.native, self.table, scenario.changes_only_the_record)
        except (OSError, RuntimeError, subprocess.TimeoutExpired) as error:
            problems, compared = [f"{type(error).__name__}: {error}"], 0
        self.proofs.append((name, problems, compared, None))

    def take_proofs(self):
        proofs, self.proofs = self.proofs, []
        return proofs

    @staticmethod
    def skip(reports, reason):
        for report in reports:
            report.wine_skipped = reason

    @staticmethod
    def fail(reports, problem):
        for report in reports:
            report.wine = Outcome(problems=[problem])


def load_scenarios(folder, only):
    scenarios, errors = [], []
    for path in sorted(glob.glob(os.path.join(folder, "*.toml"))):
        try:
            in_file = read_scenario_file(path)
        except (ScenarioError, OSError) as error:
            errors.append(f"{os.path.basename(path)}: {error}")
            continue
        for scenario in in_file:
            if only:
                scenario.cases = [c for c in scenario.cases if only.lower() in c.label.lower()]
            if scenario.cases:
                scenarios.append(scenario)
    return scenarios, errors


def parse_arguments():
    parser = argparse.ArgumentParser(description="Runs the end-to-end scenarios.")
    parser.add_argument("--native", required=True, help="the native kvchecks binary")
    parser.add_argument("--windows-bin", help="folder with kvchecks.exe (and fileversion_x64.exe)")
    parser.add_argument("--only", help="run only cases whose 'scenario: case' name contains this text")
    parser.add_argument("--keep", action="store_true", help="keep the Wine prefixes and print where they are")
    parser.add_argument("--profile-tool", help="the native loader's resolve_profile (default: beside the "
                        "unit tests of the native build)")
    parser.add_argument("scenario_dir")
    return parser.parse_args()


def stop_on_terminate(signum, frame):
    raise SystemExit(128 + signum)


def main():
    arguments = parse_arguments()
    signal.signal(signal.SIGTERM, stop_on_terminate)
    signal.signal(signal.SIGHUP, stop_on_terminate)
    scenarios, errors = load_scenarios(arguments.scenario_dir, arguments.only)
    tally = Tally()
    for error in errors:
        print(f"FAIL  {error}")
        tally.failed += 1
    scratch = tempfile.mkdtemp(prefix="kvchecks-scenarios-")
    wine_run = None
    try:
        wine = None
        if arguments.windows_bin:
            if not os.path.exists(os.path.join(arguments.windows_bin, "kvchecks.exe")):
                print(f"FAIL  no kvchecks.exe in {arguments.windows_bin}")
                tally.failed += 1
                print(tally.line())
                return 1
            modules = realisers.discover()
            wine_run = WineRun()
            tool = arguments.profile_tool or profiles.default_tool(arguments.native)
            wine = WineSide(arguments.windows_bin, wine_run, modules, arguments.keep, tool, arguments.native)
            kinds = {k for k in (wine.kind_needed(s) for s in scenarios) if k is not None}
            started = time.monotonic()
            wine.template_errors = wine_run.make_templates(kinds)
            made = ", ".join(f"{'64' if k else '32'}-bit {s:.1f} s" for k, s in
                             sorted(wine_run.template_seconds.items(), reverse=True))
            print(f"      wine templates: {made or 'none needed'} (together {time.monotonic() - started:.1f} s)",
                  flush=True)
            for kind, error in wine.template_errors.items():
                print(f"      wine template {'64' if kind else '32'}-bit failed: {error}", flush=True)
        for scenario in scenarios:
            reports = [CaseReport(case) for case in scenario.cases]
            for report in reports:
                report.native = run_native(arguments.native, report.case, scratch)
            if wine:
                wine.run_scenario(scenario, reports)
            for report in reports:
                print(report.line(), flush=True)
                tally.add_case(report)
            for machine, problems, compared, skipped in wine.take_proofs() if wine else []:
                tally.add_proof(machine, problems, compared, skipped)
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
        if wine_run:
            if arguments.keep:
                for prefix in wine_run.prefixes:
                    prefix.stop_server()
                print(f"      kept the Wine run in {wine_run.folder}")
            else:
                wine_run.close()
    print(tally.line())
    return 1 if tally.failed else 0


if __name__ == "__main__":
    sys.exit(main())
