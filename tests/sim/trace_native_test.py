"""The native checker with KVCHECKS_TRACE=1: a keyword of each kind of call
writes its calls to standard error, and standard output stays as it is."""
import os
import subprocess
import sys
import unittest

CHECKER = os.environ["KVCHECKS_NATIVE"]
HERE = os.path.dirname(os.path.abspath(__file__))
TRACE_MACHINE = os.path.join(HERE, "trace_machine.toml")
SERVER_2003 = os.path.join(os.environ["KVCHECKS_PROFILES"], "server2003-sp2.toml")


def run(args, profile, trace):
    env = {key: value for key, value in os.environ.items() if not key.startswith("KVCHECKS_")}
    env["KVCHECKS_MACHINE"] = profile
    if trace:
        env["KVCHECKS_TRACE"] = "1"
    return subprocess.run([CHECKER] + args, env=env, capture_output=True, text=True, timeout=60)


# Each row: what it shows, the run, the machine, and lines its trace must hold.
CASES = [
    ("os facts", ["ISNOTEM64T", "7", "x"], TRACE_MACHINE, [
        'GetVersionExA(OSVERSIONINFOEXA) -> TRUE; 5.2 build 3790, VER_PLATFORM_WIN32_NT, "Service Pack 1", '
        'service pack 1.0, suite mask 0x0, VER_NT_SERVER',
        'IsWow64Process(GetCurrentProcess()) -> TRUE; a 32-bit process on 64-bit Windows',
    ]),
    ("current directory and drive", ["KRCDFOLDERCHECK", "7", "x"], TRACE_MACHINE, [
        'getcwd(260) -> "D:\\setup"',
        'GetDriveTypeA("D:") -> DRIVE_CDROM',
    ]),
    ("a file and its signature", ["SIGNCHECK", "7", "x", "NODE"], TRACE_MACHINE, [
        'FindFirstFileA("..\\SystemsManagement\\SysMgmt.msi") -> 0x1000; "SysMgmt.msi", FILE_ATTRIBUTE_ARCHIVE, '
        '0 bytes; reaches "D:\\SystemsManagement\\SysMgmt.msi"',
        'LoadLibraryExA("C:\\WINDOWS\\system32\\wintrust.dll", NULL, LOAD_WITH_ALTERED_SEARCH_PATH) -> 0x10010040',
        'WinVerifyTrust(NULL, WINTRUST_ACTION_GENERIC_VERIFY_V2, "..\\SystemsManagement\\SysMgmt.msi") -> '
        'ERROR_SUCCESS; reaches "D:\\SystemsManagement\\SysMgmt.msi"',
    ]),
    ("a text file", ["VERSIONCHECK", "7", "x", "MN"], TRACE_MACHINE, [
        'fopen_text("hwlist.ini") -> file [D:\\setup\\hwlist.ini]; 31 bytes',
        'fclose(file [D:\\setup\\hwlist.ini]); 31 of 31 bytes read',
    ]),
    ("the environment and a file version", ["STORPORT", "7", "x", "5.2.3790.4000"], SERVER_2003, [
        'getenv("windir") -> "C:\\WINDOWS"',
        'GetFileVersionInfoSizeA("C:\\WINDOWS\\system32\\drivers\\storport.sys") -> 92',
        'VerQueryValueA("\\") -> TRUE; file version 5.2.3790.3959',
    ]),
    ("the token", ["ADMINCHECK", "7", "x"], TRACE_MACHINE, [
        'OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY) -> TRUE; token 0x1000',
        'EqualSid(S-1-5-32-544, S-1-5-32-544) -> TRUE',
        'FreeSid(S-1-5-32-544) -> NULL',
    ]),
    ("the devices", ["INTELDRIVERINSTALLEDCHECK", "7", "x"], TRACE_MACHINE, [
        'SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT|DIGCF_ALLCLASSES) -> 0x1004',
        'SetupDiEnumDeviceInfo(0x1004, 3) -> FALSE, last error ERROR_NO_MORE_ITEMS',
    ]),
    ("a family library", ["R2HWMGMTINSTALLEDCHECK", "7", "x"], TRACE_MACHINE, [
        'LoadLibraryA("KVIL32.DLL") -> 0x10010000',
        'KVIL32.DLL!IsSystem7GOrLower() -> 1',
    ]),
]


class NativeTrace(unittest.TestCase):
    def test_each_kind_of_call_is_traced_and_the_report_is_unchanged(self):
        for name, args, profile, lines in CASES:
            with self.subTest(name):
                plain = run(args, profile, trace=False)
                traced = run(args, profile, trace=True)
                self.assertEqual(plain.returncode, 0, plain.stderr)
                self.assertEqual(plain.stderr, "")
                self.assertEqual(traced.stdout, plain.stdout)
                written = traced.stderr.splitlines()
                for line in lines:
                    self.assertTrue(line in written, line + "\nnot in\n" + traced.stderr)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
