"""Wine prefixes of one test run: two templates, and a copy per scenario.

Everything lives in a temporary folder of the run (never ~/.wine): the
prefixes, HOME, and Wine's socket folder (TMPDIR). The run starts a
persistent wineserver per prefix while it works and stops only the servers
it started, with `wineserver -k` under that prefix.
"""

import os
import shutil
import subprocess
import tempfile
import threading
import time

from .common import kill_running, run_quietly

WINESERVER = "/usr/bin/wineserver"
WINEBOOT = "/usr/bin/wineboot"
TEMPLATE_TIMEOUT = 600
# The server outlives its last client by this much, so a killed run leaves no
# server behind for long; the run itself stops its servers at once.
SERVER_LINGER_SECONDS = 30

# System files that no scenario changes are shared with the template through
# hard links; everything else (registry hives, drivers, user folders) is copied.
_SHARED_SUFFIXES = (".dll", ".exe", ".drv", ".ocx", ".cpl", ".acm", ".tlb", ".ax", ".ds", ".nls",
                    ".mui", ".ttf", ".fon", ".ime", ".msstyles", ".tsp", ".vxd", ".com", ".sys16")


def _shared_with_template(relative):
    parts = relative.split(os.sep)
    return (len(parts) > 2 and parts[0] == "drive_c" and parts[1] == "windows"
            and "drivers" not in parts and relative.lower().endswith(_SHARED_SUFFIXES))


def copy_prefix(template, target):
    """Copies a stopped prefix, hard-linking the unchanging system files."""
    for folder, dirs, files in os.walk(template):
        relative_folder = os.path.relpath(folder, template)
        destination = os.path.normpath(os.path.join(target, relative_folder))
        os.makedirs(destination, exist_ok=True)
        for name in list(dirs):
            source = os.path.join(folder, name)
            if os.path.islink(source):
                os.symlink(os.readlink(source), os.path.join(destination, name))
                dirs.remove(name)
        for name in files:
            source = os.path.join(folder, name)
            copy = os.path.join(destination, name)
            if os.path.islink(source):
                os.symlink(os.readlink(source), copy)
            elif _shared_with_template(os.path.normpath(os.path.join(relative_folder, name))):
                try:
                    os.link(source, copy)
                except OSError:  # a file system without hard links
                    shutil.copy2(source, copy)
            else:
                shutil.copy2(source, copy)


class Prefix:
    def __init__(self, path, sixty_four_bit, env, work_folder):
        self.path = path
        self.work_folder = work_folder  # exists before the prefix does
        self.sixty_four_bit = sixty_four_bit
        self.env = dict(env, WINEPREFIX=path)
        self.server_started = False

    def run(self, command, timeout, cwd=None, extra_env=None):
        env = dict(self.env, **(extra_env or {}))
        return run_quietly(command, env, timeout, cwd=cwd or self.work_folder)

    def start_server(self):
        # The wrapper passes -p0 first; the later option wins.
        self.run([WINESERVER, f"-p{SERVER_LINGER_SECONDS}"], timeout=60)
        self.server_started = True

    def stop_server(self):
        if not self.server_started:
            return
        try:
            self.run([WINESERVER, "-k"], timeout=60)
            self.run([WINESERVER, "-w"], timeout=60)
        except (OSError, subprocess.TimeoutExpired):
            pass  # nothing more can be done; the server ends by itself after its linger time
        self.server_started = False

    def restart_server(self):
        self.stop_server()
        self.start_server()


class WineRun:
    """The Wine side of one test run; use as a context manager so it cleans up."""

    def __init__(self, parent=None):
        self.folder = tempfile.mkdtemp(prefix="kvchecks-wine-", dir=parent)
        home = os.path.join(self.folder, "home")
        os.makedirs(home)
        # The server's socket ends up some 50 characters below TMPDIR, and a
        # socket path may not be longer than 107.
        if len(self.folder) < 50:
            sockets = os.path.join(self.folder, "t")
            os.makedirs(sockets)
            self.socket_folder = None
        else:
            sockets = self.socket_folder = tempfile.mkdtemp(prefix="kvw-", dir="/tmp")
        self.env = {
            "PATH": os.environ.get("PATH", "/usr/bin:/bin"),
            "HOME": home,
            "TMPDIR": sockets,  # Debian's Wine puts its server socket folder here
            "USER": os.environ.get("USER", "root"),
            "LC_ALL": "C.UTF-8",
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
        }
        self.templates = {}
        self.template_seconds = {}
        self.prefixes = []
        self._discarding = None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def make_templates(self, kinds):
        """Boots the templates for the bitnesses in `kinds`, side by side."""
        errors = {}

        def boot(sixty_four_bit):
            path = os.path.join(self.folder, "template-win64" if sixty_four_bit else "template-win32")
            env = dict(self.env, WINEARCH="win64" if sixty_four_bit else "win32")
            prefix = Prefix(path, sixty_four_bit, env, self.folder)
            self.prefixes.append(prefix)
            started = time.monotonic()
            try:
                prefix.server_started = True  # wineboot starts one; stop it in any case
                result = prefix.run([WINEBOOT, "-i"], timeout=TEMPLATE_TIMEOUT)
                if result.returncode != 0:
                    raise RuntimeError(f"wineboot -i ended with {result.returncode}: "
                                       f"{result.stderr.decode(errors='replace')[-400:]}")
                # The registry is complete on disk once the server has ended.
                prefix.run([WINESERVER, "-w"], timeout=TEMPLATE_TIMEOUT)
                prefix.server_started = False
            except Exception as error:  # a broken template must not end the whole run
                prefix.stop_server()
                errors[sixty_four_bit] = str(error)
                return
            self.templates[sixty_four_bit] = path
            self.template_seconds[sixty_four_bit] = time.monotonic() - started

        threads = [threading.Thread(target=boot, args=(kind,)) for kind in sorted(set(kinds))]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        return errors

    def new_prefix(self, name, sixty_four_bit):
        template = self.templates[sixty_four_bit]
        path = os.path.join(self.folder, "prefixes", name)
        copy_prefix(template, path)
        prefix = Prefix(path, sixty_four_bit, self.env, self.folder)
        self.prefixes.append(prefix)
        return prefix

    def discard(self, prefix):
        """Stops the prefix's server and removes it, in the background: `wineserver -k`
        takes half a second, which the next scenario need not wait for."""
        self._finish_discard()

        def remove():
            prefix.stop_server()
            shutil.rmtree(prefix.path, ignore_errors=True)

        self.prefixes.remove(prefix)
        self._discarding = (threading.Thread(target=remove), prefix)
        self._discarding[0].start()

    def _finish_discard(self):
        if self._discarding:
            thread, prefix = self._discarding
            thread.join()
            self._discarding = None

    def close(self):
        kill_running()
        try:
            self._finish_discard()
            for prefix in list(self.prefixes):
                prefix.stop_server()
            self.prefixes.clear()
        finally:
            shutil.rmtree(self.folder, ignore_errors=True)
            if self.socket_folder:
                shutil.rmtree(self.socket_folder, ignore_errors=True)
