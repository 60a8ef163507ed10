"""The [os] section: the Windows version that GetVersionExA reports.

The 64-bit or the 32-bit prefix is the runner's choice (sixty_four_bit).
The version comes from the registry, not from Wine's "Version" setting:
with HKCU\\Software\\Wine "Version" absent, Wine 8 takes the version from
CurrentVersion, CurrentBuildNumber and CSDVersion under
HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion (a 32-bit process reads
the Wow6432Node copy on a 64-bit prefix), the service pack from the
CSDVersion DWORD under HKLM\\System\\CurrentControlSet\\Control\\Windows and
the product type from ProductOptions. That recipe reports a suite mask of 0.
Only the "Version" setting reports single-user terminal services (0x100),
and only for the versions of its own table.
"""

from .common import CannotExpress

SECTION = "os"
ALWAYS = True  # a profile without [os] still means Server 2003 SP2, not Wine's default
ORDER = 10

# The defaults of a profile that leaves a key out.
DEFAULTS = {
    "major": 5, "minor": 2, "build": 3790, "platform": 2, "service_pack": "Service Pack 2",
    "service_pack_major": 2, "service_pack_minor": 0, "suite_mask": 0, "product_type": 3,
    "version_call_fails": False, "sixty_four_bit": False, "wow64_call_fails": False, "product_info": 0,
}

PRODUCT_OPTIONS = {1: "WinNT", 2: "LanmanNT", 3: "ServerNT"}
VER_SUITE_SINGLEUSERTS = 0x100

# What Wine 8's "Version" setting reports (measured with GetVersionExA):
# major, minor, build, CSD text, SP major, SP minor, product type. All of them
# report suite mask 0x100; win7 and win2008r2 have their product types swapped.
WINE_VERSION_TABLE = {
    "winxp": (5, 1, 2600, "Service Pack 3", 3, 0, 1),
    "winxp64": (5, 2, 3790, "Service Pack 2", 2, 0, 1),
    "win2003": (5, 2, 3790, "Service Pack 2", 2, 0, 3),
    "vista": (6, 0, 6002, "Service Pack 2", 2, 0, 1),
    "win2008": (6, 0, 6002, "Service Pack 2", 2, 0, 3),
    "win7": (6, 1, 7601, "Service Pack 1", 1, 0, 3),
    "win2008r2": (6, 1, 7601, "Service Pack 1", 1, 0, 1),
    "win8": (6, 2, 9200, "", 0, 0, 1),
}

CURRENT_VERSION = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion"
CURRENT_VERSION_32 = "HKEY_LOCAL_MACHINE\\Software\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion"


def _quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def wine_product_info(product_type):
    """What Wine's GetProductInfo answers from 6.0 on: one fixed edition."""
    return 0x1C if product_type == 1 else 0x07  # PRODUCT_ULTIMATE_N, PRODUCT_STANDARD_SERVER


def _refuse_what_wine_cannot(os_facts, major):
    if os_facts["version_call_fails"]:
        raise CannotExpress("GetVersionExA never fails under Wine")
    if os_facts["wow64_call_fails"]:
        raise CannotExpress("IsWow64Process never fails under Wine")
    if os_facts["platform"] != 2:
        raise CannotExpress(f"Wine reports only the NT platform (2), not {os_facts['platform']}")
    arch = os_facts.get("native_architecture")
    native = "amd64" if os_facts["sixty_four_bit"] else "x86"
    if arch is not None and arch != native:
        raise CannotExpress(f"a {'64' if os_facts['sixty_four_bit'] else '32'}-bit prefix is natively "
                            f"{native}, not {arch}")
    for name, present in os_facts.get("entry_points", {}).items():
        if not present:
            raise CannotExpress(f"Wine's kernel32 always exports {name}")
    if os_facts["product_type"] not in PRODUCT_OPTIONS:
        raise CannotExpress(f"Wine knows no product type {os_facts['product_type']}")
    if os_facts["service_pack_major"] > 0xFF or os_facts["service_pack_minor"] > 0xFF:
        raise CannotExpress("Wine keeps the service pack numbers in one byte each")
    # Both answer FALSE for versions before 6.0; from 6.0 on Wine knows one
    # edition per product type.
    has_product_info = os_facts.get("entry_points", {}).get("GetProductInfo", major >= 6)
    wine_value = wine_product_info(os_facts["product_type"])
    if has_product_info and major >= 6 and os_facts["product_info"] != wine_value:
        raise CannotExpress(f"Wine's GetProductInfo answers {wine_value:#x} here, "
                            f"not {os_facts['product_info']:#x}")


def _version_setting_for(os_facts):
    wanted = (os_facts["major"], os_facts["minor"], os_facts["build"], os_facts["service_pack"],
              os_facts["service_pack_major"], os_facts["service_pack_minor"], os_facts["product_type"])
    for name, reported in WINE_VERSION_TABLE.items():
        if reported == wanted:
            return name
    return None


def realise(section, ctx):
    os_facts = dict(DEFAULTS, **section)
    major = os_facts["major"]
    _refuse_what_wine_cannot(os_facts, major)

    suite = os_facts["suite_mask"]
    if suite == VER_SUITE_SINGLEUSERTS:
        version = _version_setting_for(os_facts)
        if version is None:
            raise CannotExpress("suite mask 0x100 needs Wine's Version setting, which has no entry for "
                                f"{major}.{os_facts['minor']}.{os_facts['build']} "
                                f"{os_facts['service_pack']!r} product type {os_facts['product_type']}")
        ctx.reg_import(f'Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Wine]\n'
                       f'"Version"="{version}"\n')
        return
    if suite != 0:
        raise CannotExpress(f"Wine reports suite mask 0 or 0x100, not {suite:#x}")

    version_values = (f'"CurrentVersion"="{major}.{os_facts["minor"]}"\n'
                      f'"CurrentBuildNumber"="{os_facts["build"]}"\n'
                      f'"CSDVersion"={_quote(os_facts["service_pack"])}\n'
                      # Set on Windows 10 and later only; Wine would prefer them.
                      '"CurrentMajorVersionNumber"=-\n"CurrentMinorVersionNumber"=-\n')
    views = [CURRENT_VERSION] + ([CURRENT_VERSION_32] if ctx.sixty_four_bit else [])
    service_pack = (os_facts["service_pack_major"] << 8) | os_facts["service_pack_minor"]
    text = "Windows Registry Editor Version 5.00\n\n"
    text += '[HKEY_CURRENT_USER\\Software\\Wine]\n"Version"=-\n\n'
    for key in views:
        text += f"[{key}]\n{version_values}\n"
    text += ("[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Windows]\n"
             f'"CSDVersion"=dword:{service_pack:08x}\n\n'
             "[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\ProductOptions]\n"
             f'"ProductType"="{PRODUCT_OPTIONS[os_facts["product_type"]]}"\n')
    ctx.reg_import(text)
