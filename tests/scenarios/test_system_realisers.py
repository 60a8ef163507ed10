"""Tests of the realisers of the token, session, device and library tables.
Run: python3 -m unittest tests/scenarios/test_system_realisers.py"""

import os
import subprocess
import sys
import tempfile
import types
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from wine import realise_devices, realise_libraries, realise_session, realise_token  # noqa: E402
from wine.common import CannotExpress  # noqa: E402


class FakeContext:
    def __init__(self, folder):
        self.exe_dir = os.path.join(folder, "drive_c", "kvchecks")
        self.tmp = os.path.join(folder, "tmp")
        os.makedirs(self.tmp)
        self.imports = []

    def reg_import(self, text):
        self.imports.append(text)


def exported_names(dll):
    text = subprocess.run(["i686-w64-mingw32-objdump", "-p", dll], check=True, capture_output=True,
                          text=True).stdout
    names, in_table = [], False
    for line in text.splitlines():
        if line.startswith("[Ordinal/Name Pointer] Table"):
            in_table = True
        elif in_table and line.strip().startswith("["):
            names.append(line.split("]", 1)[1].strip())
        elif in_table:
            break
    return names


class Libraries(unittest.TestCase):
    def test_a_library_exports_exactly_the_listed_names_undecorated(self):
        with tempfile.TemporaryDirectory() as folder:
            ctx = FakeContext(folder)
            realise_libraries.realise(
                {"KVIL32.DLL": {"IsSystem7GOrLower": 0x100, "CheckForOldKVNode": -1},
                 "KxDbLib.dll": {"StartServer": 1}}, ctx)
            self.assertEqual(exported_names(os.path.join(ctx.exe_dir, "KVIL32.DLL")),
                             ["CheckForOldKVNode", "IsSystem7GOrLower"])
            self.assertEqual(exported_names(os.path.join(ctx.exe_dir, "KxDbLib.dll")), ["StartServer"])
            with open(os.path.join(ctx.tmp, "library-KVIL32_DLL", "family_exports.h")) as header:
                self.assertIn("FAMILY_EXPORT(CheckForOldKVNode, 0xFFFFFFFFu)", header.read())

    def test_what_a_c_export_cannot_be(self):
        with tempfile.TemporaryDirectory() as folder:
            ctx = FakeContext(folder)
            for section in ({"KVIL32.DLL": {"Is-System": 0}}, {"KVIL32.DLL": {"IsSystem7GOrLower": 2**32}},
                            {"..\\KVIL32.DLL": {"IsSystem7GOrLower": 0}}, {"KVIL32.DLL": {"X": True}}):
                with self.assertRaises(CannotExpress):
                    realise_libraries.realise(section, ctx)


class Devices(unittest.TestCase):
    def test_devices_become_enum_keys_with_their_hardware_ids(self):
        with tempfile.TemporaryDirectory() as folder:
            ctx = FakeContext(folder)
            realise_devices.realise({"class_devs_error": 0, "ROOT\\KVIMBDRV\\0000": {"hardware_ids": ["*IMBDRV", "R"]},
                                     "ROOT\\NOIDS\\0000": {}}, ctx)
        text = ctx.imports[0]
        self.assertIn("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\ROOT\\KVIMBDRV\\0000]", text)
        ids = "*IMBDRV\0R\0\0".encode("utf-16-le")
        self.assertIn('"HardwareID"=hex(7):' + ",".join(f"{b:02x}" for b in ids), text)
        no_ids = text.split("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\ROOT\\NOIDS\\0000]")[1]
        self.assertIn('"ClassGUID"=', no_ids)
        self.assertNotIn("HardwareID", no_ids)

    def test_what_wine_cannot_list(self):
        ctx = types.SimpleNamespace(reg_import=lambda text: None)
        for section in ({"ROOT\\X\\0000": {"present": False}}, {"ROOT\\X\\0000": {"hardware_id_read_error": 8}},
                        {"class_devs_error": 13}, {"X\\0000": {}}):
            with self.assertRaises(CannotExpress):
                realise_devices.realise(section, ctx)


class TokenAndSession(unittest.TestCase):
    def test_only_the_elevated_administrator_at_the_console(self):
        realise_token.realise({"kind": "administrator", "open_error": 0}, None)
        realise_session.realise({"remote": False}, None)
        for section in ({"kind": "standard_user"}, {"groups": []}, {"query_error": 8}):
            with self.assertRaises(CannotExpress):
                realise_token.realise(section, None)
        with self.assertRaises(CannotExpress):
            realise_session.realise({"remote": True}, None)


if __name__ == "__main__":
    unittest.main()
