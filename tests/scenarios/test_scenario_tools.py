"""Tests of the runner's own logic: profile chains, .reg read-back and the
Windows version recipe. Run: python3 -m unittest tests/scenarios/test_scenario_tools.py"""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import profiles  # noqa: E402
import run_scenarios  # noqa: E402
import regread  # noqa: E402
from wine import realisers, realise_environment, realise_files, realise_os, realise_process, realise_registry, realise_user  # noqa: E402
from wine.common import Context  # noqa: E402
from wine.common import CannotExpress  # noqa: E402


def write(folder, name, text):
    path = os.path.join(folder, name)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w") as file:
        file.write(text)
    return path


# The native loader's resolve_profile, which the build passes in.
PROFILE_TOOL = os.environ.get("KVCHECKS_RESOLVE_PROFILE", "")


@unittest.skipUnless(os.path.exists(PROFILE_TOOL), "KVCHECKS_RESOLVE_PROFILE names no resolve_profile")
class ProfileChain(unittest.TestCase):
    def test_base_chain_merges_as_the_native_loader_does(self):
        with tempfile.TemporaryDirectory() as folder:
            write(folder, "shared/base.toml", '[os]\nmajor = 5\nminor = 2\n[os.entry_points]\n'
                  'IsWow64Process = false\n[environment]\ntemp = "C:\\\\T"\nwindir = "C:\\\\W"\n'
                  '[registry]\nimport = ["base.reg"]\n')
            top = write(folder, "machines/top.toml", 'base = "../shared/base.toml"\n[os]\nminor = 1\n'
                        '[os.entry_points]\nGetProductInfo = true\n[environment]\ntemp = "D:\\\\T"\n'
                        '[registry]\nimport = ["sub/top.reg"]\n')
            merged = profiles.load_profile(top, PROFILE_TOOL)
        self.assertEqual(merged["os"], {"major": 5, "minor": 1,
                                        "entry_points": {"IsWow64Process": False, "GetProductInfo": True}})
        self.assertEqual(merged["environment"], {"temp": "D:\\T", "windir": "C:\\W"})
        # Each file name is relative to the profile that names it; the base's come first.
        self.assertEqual(merged["registry"]["import"], [os.path.join(folder, "shared", "base.reg"),
                                                        os.path.join(folder, "machines", "sub", "top.reg")])
        self.assertNotIn("base", merged)

    def test_named_again_a_library_device_or_token_list_replaces_the_base_one(self):
        with tempfile.TemporaryDirectory() as folder:
            write(folder, "base.toml", '[libraries."KVIL32.DLL"]\nCheckForOldKVNode = 1\n'
                  'IsSystem7GOrLower = 0\n[devices."ROOT\\\\X\\\\0000"]\nhardware_ids = ["a"]\n'
                  'present = false\n[[token.groups]]\nsid = "S-1-5-32-544"\n')
            top = write(folder, "top.toml", 'base = "base.toml"\n[libraries."KVIL32.DLL"]\n'
                        'CheckForOldKVNode = 2\n[devices."ROOT\\\\X\\\\0000"]\nhardware_ids = ["b"]\n'
                        '[[token.groups]]\nsid = "S-1-5-32-545"\n')
            merged = profiles.load_profile(top, PROFILE_TOOL)
        self.assertEqual(merged["libraries"], {"KVIL32.DLL": {"CheckForOldKVNode": 2}})
        self.assertEqual(merged["devices"], {"ROOT\\X\\0000": {"hardware_ids": ["b"]}})
        self.assertEqual(merged["token"]["groups"], [{"sid": "S-1-5-32-545"}])

    def test_broken_chains_are_reported(self):
        with tempfile.TemporaryDirectory() as folder:
            loop = write(folder, "loop.toml", 'base = "loop.toml"\n')
            missing = write(folder, "missing.toml", 'base = "nowhere.toml"\n')
            bad = write(folder, "bad.toml", "[os\n")
            for path, message in ((loop, "nest too deeply"), (missing, "cannot be read"), (bad, "bad.toml")):
                with self.assertRaises(profiles.ProfileProblem) as raised:
                    profiles.load_profile(path, PROFILE_TOOL)
                self.assertIn(message, str(raised.exception))


EXPORT = ("Windows Registry Editor Version 5.00\r\n\r\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norvik\\Kelvane]\r\n"
          "@=\"default\"\r\n"
          "\"Path\"=\"C:\\\\Program Files\\\\a \\\"b\\\"\"\r\n"
          "\"Count\"=dword:0000012c\r\n"
          "\"Expand\"=hex(2):25,00,77,00,69,00,6e,00,64,00,\\\r\n  69,00,72,00,25,00,00,00\r\n"
          "\"Gone\"=-\r\n\r\n"
          "[HKEY_CURRENT_USER\\Software\\X]\r\n\"Blob\"=hex:01,02\r\n")


class ScenarioFiles(unittest.TestCase):
    MULTI = """
[machines]
x86 = "machines/a-x86.toml"
x64 = "machines/a-x64.toml"

[[case]]
name = "shared"
args = ["NULL", "1", "d"]
stdout = "Status=1\\nDescriptionID=d\\n"
exit = 0
[case.on.x64]
name = "shared, 64-bit"
stdout = "Status=0\\nDescriptionID=d\\n"

[[case]]
name = "only on x86"
only_on = ["x86"]
args = ["NULL", "2", "d"]
stdout = "Status=2\\nDescriptionID=d\\n"
exit = 0
"""

    def test_a_file_of_several_machines_is_one_scenario_per_machine(self):
        with tempfile.TemporaryDirectory() as folder:
            path = write(folder, "checks.toml", self.MULTI)
            x86, x64 = run_scenarios.read_scenario_file(path)
            self.assertEqual((x86.stem, x64.stem), ("checks_x86", "checks_x64"))
            self.assertEqual(x64.profile, os.path.join(folder, "machines", "a-x64.toml"))
            self.assertEqual([c.name for c in x86.cases], ["shared", "only on x86"])
            self.assertEqual([c.label for c in x64.cases], ["checks_x64: shared, 64-bit"])
            self.assertEqual(x64.cases[0].stdout, "Status=0\nDescriptionID=d\n")
            self.assertEqual(x64.cases[0].args, ["NULL", "1", "d"])

    def test_the_single_machine_form_still_reads(self):
        with tempfile.TemporaryDirectory() as folder:
            path = write(folder, "one.toml", 'profile = "m.toml"\n[[case]]\nname = "n"\nargs = []\n'
                                             'stdout = ""\nexit = 0\n')
            (scenario,) = run_scenarios.read_scenario_file(path)
            self.assertEqual((scenario.stem, [c.label for c in scenario.cases]), ("one", ["one: n"]))

    def test_malformed_machine_lists_are_refused(self):
        case = '[[case]]\nname = "n"\nargs = []\nstdout = ""\nexit = 0\n'
        bad = {
            "both": 'profile = "m.toml"\n[machines]\na = "a.toml"\n' + case,
            "neither": case,
            "unknown machine": '[machines]\na = "a.toml"\n' + case + '[case.on.b]\nexit = 1\n',
            "only_on elsewhere": '[machines]\na = "a.toml"\n' + case.replace("exit = 0", 'exit = 0\nonly_on = ["c"]'),
            "on without machines": 'profile = "m.toml"\n' + case + '[case.on.a]\nexit = 1\n',
        }
        with tempfile.TemporaryDirectory() as folder:
            for label, text in bad.items():
                with self.subTest(label):
                    with self.assertRaises(run_scenarios.ScenarioError):
                        run_scenarios.read_scenario_file(write(folder, "bad.toml", text))


class RegistryReadBack(unittest.TestCase):
    def test_export_values_are_found_by_any_spelling_of_the_key(self):
        values = regread.parse_export(b"\xff\xfe" + EXPORT.encode("utf-16-le"))
        key = "HKLM\\software\\NORVIK\\Kelvane"
        self.assertEqual(regread.lookup_export(values, key, ""), (regread.REG_SZ, "default"))
        self.assertEqual(regread.lookup_export(values, key, "path"), (regread.REG_SZ, 'C:\\Program Files\\a "b"'))
        self.assertEqual(regread.lookup_export(values, key, "Count"), (regread.REG_DWORD, 300))
        self.assertEqual(regread.lookup_export(values, key, "Expand"), (regread.REG_EXPAND_SZ, "%windir%"))
        self.assertIsNone(regread.lookup_export(values, key, "Gone"))
        self.assertEqual(regread.lookup_export(values, "HKCU\\Software\\X", "Blob"), (regread.REG_BINARY, b"\1\2"))

    def test_expectations(self):
        rows = [
            ("text matches", (regread.REG_SZ, "4.2"), {"data": "4.2"}, None),
            ("text differs", (regread.REG_SZ, "4.1"), {"data": "4.2"}, "holds '4.1'"),
            ("number matches a dword", (regread.REG_DWORD, 300), {"data": 300}, None),
            ("a number is not text", (regread.REG_SZ, "300"), {"data": 300}, "holds '300'"),
            ("missing", None, {"data": "4.2"}, "missing"),
            ("absent as expected", None, {"absent": True}, None),
            ("present though absent expected", (regread.REG_SZ, "x"), {"absent": True}, "present"),
        ]
        for name, found, expected, complaint in rows:
            result = regread.matches(found, expected)
            if complaint is None:
                self.assertIsNone(result, name)
            else:
                self.assertIn(complaint, result or "", name)


class FakeContext:
    def __init__(self, sixty_four_bit=False, drive_c="/nonexistent"):
        self.sixty_four_bit = sixty_four_bit
        self.imported = []
        self.drive_c = drive_c
        self.drives = {}
        self.cwd = None

    def reg_import(self, text):
        self.imported.append(text)

    def windows_to_host(self, path):
        # Like the real mapping: only drives the prefix has, here C: and those in `drives`.
        drive = path[0].lower()
        if drive != "c" and drive not in self.drives:
            raise CannotExpress(f"the prefix has no drive {drive.upper()}:")
        root = self.drive_c if drive == "c" else self.drives[drive]
        return os.path.join(root, *[p for p in path[2:].split("\\") if p])


class WindowsVersionRecipe(unittest.TestCase):
    def test_registry_recipe_writes_both_views_on_64_bit(self):
        ctx = FakeContext(sixty_four_bit=True)
        realise_os.realise({"major": 5, "minor": 2, "build": 3790, "service_pack": "Service Pack 1",
                            "service_pack_major": 1, "service_pack_minor": 2, "product_type": 2,
                            "sixty_four_bit": True}, ctx)
        (text,) = ctx.imported
        self.assertIn('[HKEY_CURRENT_USER\\Software\\Wine]\n"Version"=-', text)
        self.assertEqual(text.count('"CurrentVersion"="5.2"'), 2)
        self.assertIn("Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion]", text)
        self.assertIn('"CSDVersion"="Service Pack 1"', text)
        self.assertIn('"CSDVersion"=dword:00000102', text)
        self.assertIn('"ProductType"="LanmanNT"', text)

    def test_a_profile_without_os_means_server_2003_sp2_on_one_view(self):
        ctx = FakeContext()
        realise_os.realise({}, ctx)
        (text,) = ctx.imported
        self.assertNotIn("Wow6432Node", text)
        for line in ('"CurrentVersion"="5.2"', '"CurrentBuildNumber"="3790"', '"CSDVersion"="Service Pack 2"',
                     '"CSDVersion"=dword:00000200', '"ProductType"="ServerNT"'):
            self.assertIn(line, text)

    def test_single_user_terminal_services_uses_the_version_setting(self):
        ctx = FakeContext()
        realise_os.realise({"major": 6, "minor": 1, "build": 7601, "service_pack": "Service Pack 1",
                            "service_pack_major": 1, "product_type": 1, "product_info": 0x1C,
                            "suite_mask": 0x100}, ctx)
        # Wine 8's table swaps Windows 7 and Server 2008 R2.
        self.assertEqual(ctx.imported, ['Windows Registry Editor Version 5.00\n\n'
                                        '[HKEY_CURRENT_USER\\Software\\Wine]\n"Version"="win2008r2"\n'])

    def test_what_wine_cannot_report(self):
        server2008 = {"major": 6, "minor": 0, "build": 6002, "service_pack": "Service Pack 2",
                      "service_pack_major": 2, "product_type": 3, "product_info": 7}
        rows = [
            ("failing GetVersionExA", {"version_call_fails": True}, "GetVersionExA"),
            ("failing IsWow64Process", {"wow64_call_fails": True}, "IsWow64Process"),
            ("Windows 9x platform", {"platform": 1}, "platform"),
            ("Itanium", {"native_architecture": "ia64", "sixty_four_bit": True}, "ia64"),
            ("x64 on a 32-bit machine", {"native_architecture": "amd64"}, "amd64"),
            ("missing entry point", {"entry_points": {"IsWow64Process": False}}, "IsWow64Process"),
            ("unknown product type", {"product_type": 4}, "product type"),
            ("other suite mask", {"suite_mask": 0x10}, "suite mask"),
            ("suite 0x100 without a Version entry", {"suite_mask": 0x100, "service_pack": "Service Pack 1",
                                                     "service_pack_major": 1}, "Version setting"),
            ("edition other than Wine's", dict(server2008, product_info=10), "GetProductInfo"),
        ]
        for name, facts, reason in rows:
            with self.assertRaises(CannotExpress, msg=name) as raised:
                realise_os.realise(facts, FakeContext())
            self.assertIn(reason, str(raised.exception), name)
        realise_os.realise(server2008, FakeContext())  # Wine's own edition is fine
        # Before 6.0 both answer FALSE, whatever edition the profile names.
        realise_os.realise({"entry_points": {"GetProductInfo": True}, "product_info": 10}, FakeContext())


class Comparison(unittest.TestCase):
    def test_native_and_wine_agree_only_on_the_same_lines_and_exit_code(self):
        native = run_scenarios.Outcome(b"Status=1\nDescriptionID=x\n", 0)
        rows = [
            ("same lines, Windows line ends", b"Status=1\r\nDescriptionID=x\r\n", 0, None),
            ("another status", b"Status=0\r\nDescriptionID=x\r\n", 0, "Wine b'Status=0"),
            ("another exit code", b"Status=1\r\nDescriptionID=x\r\n", 255, "exit code"),
        ]
        for name, stdout, exit_code, difference in rows:
            result = run_scenarios.compare(native, run_scenarios.Outcome(stdout, exit_code))
            if difference is None:
                self.assertIsNone(result, name)
            else:
                self.assertIn(difference, result or "", name)

    def test_usage_exit_code_minus_one_is_255_as_a_process_status(self):
        self.assertEqual(run_scenarios.expected_exit(-1), 255)
        self.assertEqual(run_scenarios.expected_exit(2), 2)


class Realisers(unittest.TestCase):
    def test_every_module_is_found_and_sections_without_one_are_named(self):
        modules = realisers.discover()
        self.assertTrue({"os", "registry", "environment", "user", "process"} <= set(modules))
        self.assertIsNone(realisers.unexpressed_sections({"os": {}, "registry": {}}, modules))
        reason = realisers.unexpressed_sections({"os": {}, "zz_devices": {}, "zz_drives": {}}, modules)
        self.assertEqual(reason, "no Wine realiser for profile section [zz_devices], [zz_drives]")

    def test_sections_run_in_order_and_defaults_apply_without_a_section(self):
        calls = []

        def module(section, order, always=False):
            return type("M", (), {"SECTION": section, "ORDER": order, "ALWAYS": always,
                                  "realise": staticmethod(lambda s, ctx: calls.append((section, s)))})

        modules = {"late": module("late", 90), "first": module("first", 5, always=True),
                   "absent": module("absent", 50)}
        realisers.realise_all({"late": {"x": 1}}, modules, FakeContext())
        self.assertEqual(calls, [("first", {}), ("late", {"x": 1})])


class CaseMachines(unittest.TestCase):
    def test_settings_the_registry_cannot_hold_go_to_the_launcher(self):
        written, settings = realise_environment.settings_of(
            {"windir": "C:\\WINDOWS", "temp": "", "tmp": "C:\\" + "t" * 2000, "unset": ["windir", "Path"]})
        self.assertEqual(written, {})
        self.assertEqual(settings, ["-windir", "-path", "temp=", "tmp=C:\\" + "t" * 2000])

    def test_a_case_with_a_machine_of_its_own_gets_a_profile_on_the_scenarios(self):
        with tempfile.TemporaryDirectory() as folder:
            scenario_file = os.path.join(folder, "s.toml")
            with open(scenario_file, "w") as out:
                out.write('profile = "m.toml"\n[[case]]\nname = "x"\nargs = ["NULL", "{{3*7}}", "d"]\n'
                          'stdout = "Status={{3*7}}\\n"\nexit = 0\nenvironment = { temp = "", unset = ["windir"] }\n'
                          "current_directory = 'D:\\kit'\n"
                          "registry = \'\'\'Windows Registry Editor Version 5.00\n\'\'\'\n")
            (scenario,) = run_scenarios.read_scenario_file(scenario_file)
            (case,) = scenario.cases
            self.assertEqual(case.args, ["NULL", "777", "d"])
            self.assertEqual(case.stdout, "Status=777\n")
            path = run_scenarios.case_profile(case, folder)
            with open(path) as profile:
                text = profile.read()
            self.assertIn('base = "%s"' % os.path.join(folder, "m.toml"), text)
            self.assertIn('[environment]\n"temp" = ""\nunset = ["windir"]\n', text)
            self.assertIn('[process]\ncurrent_directory = "D:\\\\kit"\n', text)
            self.assertIn('import = ["%s"]' % os.path.join(folder, "case.reg"), text)


class OtherSections(unittest.TestCase):
    def test_refusals(self):
        with self.assertRaises(CannotExpress):
            realise_user.realise({"elevated": False}, FakeContext())
        realise_user.realise({"elevated": True}, FakeContext())
        with self.assertRaises(CannotExpress):
            realise_registry.realise({"deny_read": ["HKLM\\SOFTWARE\\X"]}, FakeContext())
        for folder in ("D:\\setup", "\\\\server\\share", "setup"):
            with self.assertRaises(CannotExpress, msg=folder):
                realise_process.realise({"current_directory": folder}, FakeContext())

    def test_current_directory_is_made_in_the_prefix(self):
        with tempfile.TemporaryDirectory() as drive_c:
            ctx = FakeContext(drive_c=drive_c)
            realise_process.realise({"current_directory": "C:\\Media\\Setup"}, ctx)
            self.assertEqual(ctx.cwd, os.path.join(drive_c, "Media", "Setup"))
            self.assertTrue(os.path.isdir(ctx.cwd))
            realise_process.realise({}, ctx)
            self.assertEqual(ctx.cwd, drive_c)

    def test_current_directory_may_lie_on_another_drive_of_the_prefix(self):
        with tempfile.TemporaryDirectory() as drive_d:
            ctx = FakeContext()
            ctx.drives["d"] = drive_d
            realise_process.realise({"current_directory": "D:\\windows\\rodadazadezad"}, ctx)
            self.assertEqual(ctx.cwd, os.path.join(drive_d, "windows", "rodadazadezad"))

    def test_environment_goes_to_the_user_environment_and_temp_is_made(self):
        with tempfile.TemporaryDirectory() as drive_c:
            ctx = FakeContext(drive_c=drive_c)
            realise_environment.realise({"windir": "C:\\WINNT", "temp": "C:\\DOCUME~1\\Temp",
                                         "Quote": 'a "b"'}, ctx)
            (text,) = ctx.imported
            self.assertIn('[HKEY_CURRENT_USER\\Environment]\n"windir"="C:\\\\WINNT"\n', text)
            self.assertIn('"Quote"="a \\"b\\""', text)
            self.assertTrue(os.path.isdir(os.path.join(drive_c, "DOCUME~1", "Temp")))

    def test_ansi_version_5_files_are_imported_as_utf16(self):
        text = 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\X]\r\n"A"="\xe9"\r\n'
        converted = realise_registry._as_regedit_writes_it(text.encode("cp1252"))
        self.assertEqual(converted, b"\xff\xfe" + text.encode("utf-16-le"))
        self.assertIsNone(realise_registry._as_regedit_writes_it(b"REGEDIT4\r\n"))
        self.assertIsNone(realise_registry._as_regedit_writes_it(b"\xff\xfe" + text.encode("utf-16-le")))


class FilesSection(unittest.TestCase):
    """[files] in a prefix-shaped folder: drives, text files, refusals."""

    def context(self, root):
        ctx = FakeContext(drive_c=os.path.join(root, "drive_c"))
        ctx.prefix = root
        ctx.tmp = root
        ctx.profile_dir = root
        ctx.restarts = 0
        ctx.restart_server = lambda: setattr(ctx, "restarts", ctx.restarts + 1)
        ctx.windows_to_host = lambda path: Context.windows_to_host(ctx, path)
        ctx.place_file = lambda host, data: Context.place_file(ctx, host, data)
        os.makedirs(os.path.join(root, "dosdevices"))
        os.makedirs(ctx.drive_c)
        os.symlink(ctx.drive_c, os.path.join(root, "dosdevices", "c:"))
        return ctx

    def test_a_cd_drive_and_text_files_in_the_code_page(self):
        with tempfile.TemporaryDirectory() as root:
            ctx = self.context(root)
            realise_files.realise({
                "drives": {"D": "cdrom"},
                "folders": ["D:\\empty"],
                "file": [{"path": "D:\\kit\\hwlist.ini", "content": "Caf\u00e9=1\r\nProductVersion=4.2\u001a"},
                         {"path": "C:\\Wide\\hwlist.ini", "content": "P=1\n", "encoding": "utf-16le"}],
            }, ctx)
            self.assertEqual(os.path.realpath(os.path.join(root, "dosdevices", "d:")),
                             os.path.realpath(os.path.join(root, "drive_d")))
            self.assertIn('"d:"="cdrom"', ctx.imported[0])
            self.assertEqual(ctx.restarts, 1)
            self.assertTrue(os.path.isdir(os.path.join(root, "drive_d", "empty")))
            with open(os.path.join(root, "drive_d", "kit", "hwlist.ini"), "rb") as file:
                self.assertEqual(file.read(), b"Caf\xe9=1\r\nProductVersion=4.2\x1a")
            with open(os.path.join(ctx.drive_c, "Wide", "hwlist.ini"), "rb") as file:
                self.assertEqual(file.read(), b"\xff\xfeP\x00=\x001\x00\n\x00")

    def test_what_wine_cannot_express(self):
        refusals = [
            {"file": [{"path": "C:\\a.msi", "signature": "bad_digest"}]},
            {"file": [{"path": "C:\\a.msi", "signature": "not_trusted"}]},
            {"file": [{"path": "C:\\a.exe", "version": "1.2.3"}]},
            {"file": [{"path": "C:\\a.exe", "version": "1.2.3.4", "content": "x"}]},
            {"file": [{"path": "E:\\a.txt", "content": "x"}]},
            {"programs": {"fileversion_x64": {"exit_code": 1}}},
            {"programs": {"fileversion_x64": {"writes_output": False}}},
            {"programs": {"fileversion_x64": {"present": False}}},
            {"programs": {"tool": {"exit_code_query_fails": True}}},
            {"drives": {"C": "none"}},
        ]
        for section in refusals:
            with tempfile.TemporaryDirectory() as root, self.subTest(section=section):
                with self.assertRaises(CannotExpress):
                    realise_files.realise(section, self.context(root))


if __name__ == "__main__":
    unittest.main()
