"""What realiser modules share: the refusal and the scenario's context."""

import os
import subprocess
import tempfile

WINE = "/usr/bin/wine"
EXE_FOLDER = "C:\\kvchecks"
COMMAND_TIMEOUT = 120


class CannotExpress(Exception):
    """Wine cannot give the machine what the profile asks for; the reason says what."""


def host_to_windows(path):
    """A host path as Wine's Z: drive shows it."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def _find_case_insensitive(folder, name):
    """The entry of `folder` named `name` in any letter case, as Windows finds it."""
    exact = os.path.join(folder, name)
    if os.path.lexists(exact) or not os.path.isdir(folder):
        return exact
    for entry in os.listdir(folder):
        if entry.lower() == name.lower():
            return os.path.join(folder, entry)
    return exact


class Context:
    """One scenario's prefix and how the checker is to be started in it."""

    def __init__(self, prefix, profile, profile_dir, tmp):
        self.wine_prefix = prefix
        self.prefix = prefix.path
        self.profile = profile
        self.profile_dir = profile_dir
        self.tmp = tmp
        self.sixty_four_bit = prefix.sixty_four_bit
        self.drive_c = os.path.join(prefix.path, "drive_c")
        self.exe_dir = os.path.join(self.drive_c, "kvchecks")
        self.cwd = self.exe_dir
        self.env = {}
        self.launcher = []  # a program that starts the checker, with its arguments
        self.launcher_settings = []  # the profile's variables that the launcher sets
        self._imports = 0

    def wine(self, args, check=True, timeout=COMMAND_TIMEOUT, cwd=None):
        """Runs a Wine program in the prefix; raises RuntimeError when `check` and it fails."""
        result = self.wine_prefix.run([WINE] + list(args), timeout=timeout, cwd=cwd or self.tmp)
        if check and result.returncode != 0:
            raise RuntimeError(f"wine {' '.join(args)} ended with {result.returncode}: "
                               f"{result.stderr.decode(errors='replace').strip()[-400:]}")
        return result

    def reg_import(self, text):
        """Imports .reg text with the 64-bit importer, so both views are reachable."""
        self._imports += 1
        path = os.path.join(self.tmp, f"import-{self._imports}.reg")
        if text.lstrip().startswith("REGEDIT4"):
            data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp1252")
        else:
            data = b"\xff\xfe" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-16-le")
        with open(path, "wb") as file:
            file.write(data)
        self.reg_import_file(path)

    def reg_import_file(self, host_path):
        self.wine(["reg", "import", host_to_windows(host_path), "/reg:64"])

    def restart_server(self):
        self.wine_prefix.restart_server()

    def windows_to_host(self, path):
        """Maps 'C:\\x\\y' to the host path in the prefix, following existing letter case."""
        if len(path) < 2 or path[1] != ":":
            raise CannotExpress(f"{path!r} is not a path with a drive letter")
        drive = path[0].lower()
        if drive == "c":
            folder = self.drive_c
        else:
            link = os.path.join(self.prefix, "dosdevices", drive + ":")
            if not os.path.isdir(link):
                raise CannotExpress(f"the prefix has no drive {drive.upper()}:")
            folder = os.path.realpath(link)
        for part in [p for p in path[2:].split("\\") if p]:
            folder = _find_case_insensitive(folder, part)
        return folder

    def place_file(self, host_path, data):
        """Writes a file into the prefix. The prefix shares unchanged system files
        with its template through hard links, so a file is replaced, never written
        through."""
        os.makedirs(os.path.dirname(host_path), exist_ok=True)
        if os.path.lexists(host_path):
            os.unlink(host_path)
        with open(host_path, "wb") as file:
            file.write(data)


def run_quietly(command, env, timeout, cwd=None):
    """Runs a host command in a session of its own and kills the whole session on timeout.

    The output goes to files, not pipes: programs that Wine starts in the
    background (services, device drivers) inherit the handles and would hold
    a pipe open long after the command has ended.
    """
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        process = subprocess.Popen(command, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                   stdout=out, stderr=err, start_new_session=True)
        _running.add(process)
        try:
            process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            kill_session(process)
            process.wait()
            raise
        finally:
            _running.discard(process)
        out.seek(0)
        err.seek(0)
        return subprocess.CompletedProcess(command, process.returncode, out.read(), err.read())


_running = set()  # the commands in flight, in every thread


def kill_running():
    """Ends every command still in flight (the run is being stopped)."""
    for process in list(_running):
        kill_session(process)


def kill_session(process):
    try:
        os.killpg(process.pid, 9)
    except ProcessLookupError:
        pass
