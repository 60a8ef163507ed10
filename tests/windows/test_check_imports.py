#!/usr/bin/env python3
"""The import audit itself: it passes a program that imports only kernel32
and msvcrt, and fails one that imports another DLL or a function newer than
Windows 2000. Builds the programs with MinGW-w64 in a scratch folder.

    test_check_imports.py
"""
import os
import pathlib
import subprocess
import sys
import tempfile

HERE = pathlib.Path(__file__).resolve().parent
COMPILER = "i686-w64-mingw32-gcc-win32"
WINDOWS_2000_LINK = ["-Wl,--major-subsystem-version,5", "-Wl,--minor-subsystem-version,0",
                     "-Wl,--major-os-version,5", "-Wl,--minor-os-version,0"]

CASES = [
    # name, source, libraries, passes, what the audit must say
    ("plain", "int main(void) { return 0; }\n", [], True, "0 failed"),
    ("user32", "#include <windows.h>\nint main(void) { return GetSystemMetrics(0); }\n", ["-luser32"], False,
     "USER32.dll: imported, but only"),
    ("wintrust", "#include <windows.h>\n#include <wintrust.h>\n"
     "int main(void) { return (int)WinVerifyTrust(0, 0, 0); }\n", ["-lwintrust"], False,
     "WINTRUST.dll: imported, but only"),
    ("vista function", "#define _WIN32_WINNT 0x0600\n#include <windows.h>\n"
     "int main(void) { return (int)GetTickCount64(); }\n", [], False, "GetTickCount64: not on the allow-list"),
]


def main():
    failures = 0
    with tempfile.TemporaryDirectory(prefix="import-audit-") as scratch:
        for name, source, libraries, passes, says in CASES:
            stem = os.path.join(scratch, name.replace(" ", "_"))
            with open(stem + ".c", "w") as out:
                out.write(source)
            subprocess.run([COMPILER, "-O2", "-s", "-o", stem + ".exe", stem + ".c", *WINDOWS_2000_LINK, *libraries],
                           check=True, capture_output=True, text=True)
            audit = subprocess.run([sys.executable, str(HERE / "check_imports.py"), stem + ".exe"],
                                   capture_output=True, text=True)
            ok = (audit.returncode == 0) == passes and says in audit.stdout
            failures += not ok
            print(f"{'PASS' if ok else 'FAIL'}  {name}: audit exit {audit.returncode}")
            if not ok:
                print("      " + audit.stdout.replace("\n", "\n      "))
    print(f"{len(CASES) - failures} passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
