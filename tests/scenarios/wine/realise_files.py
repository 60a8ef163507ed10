"""Realises [files]: drives as dosdevices links (their type in
HKLM\\Software\\Wine\\Drives), folders and files written into the prefix,
files with a version resource as real PE programs built with windres and
the MinGW linker, plain programs (one that never exits among them) as
small programs, and packages with a signature verdict as real Windows
Installer packages built with wixl and signed with osslsigncode by a test
certificate authority made for this run. Nothing of the test authority is
kept outside the run's scratch folder.

What Wine 8 cannot express: a signature that is valid but whose content was
changed afterwards ("bad_digest": Wine does not verify the digest of .msi
packages) and a signer that is explicitly distrusted ("not_trusted"); a
companion told to fail, to skip its output or to run for a while; a failing
GetExitCodeProcess."""

import atexit
import hashlib
import os
import shutil
import struct
import subprocess
import tempfile

from .common import CannotExpress, host_to_windows

SECTION = "files"
# After the registry (20); before [process] (50), whose folder may lie on a drive made here.
ORDER = 40

WINE_DRIVE_TYPES = {"fixed": "hd", "cdrom": "cdrom", "remote": "network", "removable": "floppy",
                    "ramdisk": "ramdisk"}
COMPILERS = {False: "i686-w64-mingw32-gcc-win32", True: "x86_64-w64-mingw32-gcc-win32"}
WINDRES = {False: "i686-w64-mingw32-windres", True: "x86_64-w64-mingw32-windres"}

_work = None  # this run's scratch folder for built programs, packages and the test authority
_built = {}   # what has been built in this run, by what it is


def work_dir():
    global _work
    if _work is None:
        _work = tempfile.mkdtemp(prefix="realise-files-")
        atexit.register(shutil.rmtree, _work, True)
    return _work


def run(args, cwd=None):
    subprocess.run(args, cwd=cwd, check=True, capture_output=True)


def reg_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


# Paths and files ---------------------------------------------------------

def host_path(ctx, windows_path):
    """The host path of a full Windows path in the prefix, following existing
    folders whatever their letter case (Wine matches names without case)."""
    if len(windows_path) < 3 or windows_path[1] != ":" or windows_path[2] != "\\":
        raise CannotExpress(f'"{windows_path}" is not a full Windows path')
    return ctx.windows_to_host(windows_path)


def place(ctx, target, data):
    # The prefix shares system files with its template through hard links:
    # replace a file, never write through it.
    ctx.place_file(target, data)


# Drives -------------------------------------------------------------------

def realise_drives(drives, ctx):
    lines = ["Windows Registry Editor Version 5.00", "", r"[HKEY_LOCAL_MACHINE\Software\Wine\Drives]"]
    for letter, kind in drives.items():
        if len(letter) != 1 or not letter.isalpha() or kind not in list(WINE_DRIVE_TYPES) + ["none"]:
            raise CannotExpress(f"drive {letter} = {kind!r} is not a drive letter and type")
        name = letter.lower() + ":"
        link = os.path.join(ctx.prefix, "dosdevices", name)
        if kind == "none":
            if name == "c:":
                raise CannotExpress("a Wine prefix cannot do without drive C:")
            if os.path.lexists(link):
                os.remove(link)
            continue
        if name != "c:":
            target = os.path.join(ctx.prefix, "drive_" + letter.lower())
            os.makedirs(target, exist_ok=True)
            if os.path.lexists(link):
                os.remove(link)
            os.symlink(target, link)
        lines.append(f'"{name}"="{WINE_DRIVE_TYPES[kind]}"')
    ctx.reg_import("\r\n".join(lines) + "\r\n")
    # The mount manager reads the drive types when the server starts.
    ctx.restart_server()


# Programs with a version resource ----------------------------------------

def version_program(version, sixty_four_bit=False):
    parts = version.split(".")
    if len(parts) != 4 or not all(p.isdigit() and int(p) <= 0xFFFF for p in parts):
        raise CannotExpress(f'version "{version}" is not four numbers from 0 to 65535')
    key = ("version", version, sixty_four_bit)
    if key in _built:
        return _built[key]
    build = os.path.join(work_dir(), f"version-{version}-{'x64' if sixty_four_bit else 'x86'}")
    os.makedirs(build, exist_ok=True)
    commas = ",".join(parts)
    with open(os.path.join(build, "version.rc"), "w") as rc:
        rc.write(f"""#include <winver.h>
1 VERSIONINFO
FILEVERSION {commas}
PRODUCTVERSION {commas}
FILEOS VOS_NT_WINDOWS32
FILETYPE VFT_APP
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904b0"
    BEGIN
      VALUE "FileVersion", "{version}"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1200
  END
END
""")
    with open(os.path.join(build, "main.c"), "w") as source:
        source.write("int main(void) { return 0; }\n")
    run([WINDRES[sixty_four_bit], "version.rc", "-O", "coff", "-o", "version.o"], cwd=build)
    run([COMPILERS[sixty_four_bit], "-s", "-o", "program.exe", "main.c", "version.o"], cwd=build)
    _built[key] = os.path.join(build, "program.exe")
    return _built[key]


# Signed packages -----------------------------------------------------------

AUTHORITY_CONFIG = """[req]
distinguished_name = dn
prompt = no
[dn]
CN = kvchecks test root
[authority]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
[signer]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
authorityKeyIdentifier = keyid
subjectKeyIdentifier = hash
[ca]
default_ca = authority_db
[authority_db]
database = index.txt
new_certs_dir = .
serial = serial
default_md = sha1
policy = any_name
unique_subject = no
[any_name]
commonName = supplied
"""

PACKAGE_SOURCE = """<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="kvchecks test package" Language="1033" Version="1.0.0" Manufacturer="kvchecks tests"
           UpgradeCode="6E1C2F52-8A3B-4C47-9D0B-1F4E2A7C5B90">
    <Package InstallerVersion="200" Compressed="yes"/>
    <Media Id="1" Cabinet="package.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="kvchecks test">
          <Component Id="Readme" Guid="0B8E3F1D-5C6A-4E2B-A7D9-3C1F0E8B4A62">
            <File Id="readme" Name="readme.txt" Source="readme.txt"/>
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Main" Level="1"><ComponentRef Id="Readme"/></Feature>
  </Product>
</Wix>
"""


def authority(name):
    """A certificate authority and a code-signing certificate it issued, made
    for this run. Both are SHA-1 signed: Wine 8 checks the trust of those."""
    key = ("authority", name)
    if key in _built:
        return _built[key]
    folder = os.path.join(work_dir(), "authority-" + name)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "openssl.cnf"), "w") as config:
        config.write(AUTHORITY_CONFIG)
    run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha1", "-days", "7",
         "-keyout", "ca.key", "-out", "ca.pem", "-config", "openssl.cnf", "-extensions", "authority",
         "-subj", f"/CN=kvchecks test {name}"], cwd=folder)
    run(["openssl", "req", "-newkey", "rsa:2048", "-nodes", "-keyout", "signer.key", "-out", "signer.csr",
         "-subj", f"/CN=kvchecks test signer ({name})"], cwd=folder)
    run(["openssl", "x509", "-req", "-in", "signer.csr", "-CA", "ca.pem", "-CAkey", "ca.key",
         "-CAcreateserial", "-sha1", "-days", "7", "-extfile", "openssl.cnf", "-extensions", "signer",
         "-out", "signer.pem"], cwd=folder)
    der = subprocess.run(["openssl", "x509", "-in", "ca.pem", "-outform", "DER"], cwd=folder,
                         check=True, capture_output=True).stdout
    _built[key] = (folder, der)
    return _built[key]


def expired_signer(folder):
    """A second code-signing certificate of the authority in folder, whose
    validity ended years ago; `openssl ca` is the tool that sets both dates."""
    if not os.path.exists(os.path.join(folder, "expired.pem")):
        with open(os.path.join(folder, "index.txt"), "w"):
            pass
        with open(os.path.join(folder, "serial"), "w") as serial:
            serial.write("1000\n")
        run(["openssl", "ca", "-batch", "-config", "openssl.cnf", "-cert", "ca.pem", "-keyfile", "ca.key",
             "-in", "signer.csr", "-out", "expired.pem", "-extfile", "openssl.cnf", "-extensions", "signer",
             "-startdate", "20200101000000Z", "-enddate", "20200108000000Z", "-notext"], cwd=folder)
    return "expired.pem"


def add_to_store(ctx, store, der):
    """Adds a certificate to a machine store in both registry views, as a
    serialised element: property 32 (CERT_CERT_PROP_ID) holding the DER."""
    thumbprint = hashlib.sha1(der).hexdigest().upper()
    blob = struct.pack("<III", 32, 1, len(der)) + der
    text = "\r\n".join([
        "Windows Registry Editor Version 5.00", "",
        rf"[HKEY_LOCAL_MACHINE\Software\Microsoft\SystemCertificates\{store}\Certificates\{thumbprint}]",
        '"Blob"=hex:' + ",".join(f"{b:02x}" for b in blob), ""])
    ctx.reg_import(text)
    reg_file = os.path.join(ctx.tmp, f"store-{store}-{thumbprint}.reg")
    with open(reg_file, "wb") as out:
        out.write(b"\xff\xfe" + text.encode("utf-16-le"))
    ctx.wine(["reg", "import", host_to_windows(reg_file), "/reg:32"])


def package(signature, ctx):
    if signature in ("bad_digest", "not_trusted"):
        raise CannotExpress(
            "Wine 8 cannot express a package " +
            ("changed after signing: it does not verify the digest of .msi packages" if signature == "bad_digest"
             else "whose signer is explicitly distrusted: it does not consult the Disallowed store"))
    if signature not in ("valid", "unsigned", "untrusted_root", "expired"):
        raise CannotExpress(f'signature "{signature}" is not a verdict')
    if ("package", "unsigned") not in _built:
        folder = os.path.join(work_dir(), "package")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "readme.txt"), "w") as readme:
            readme.write("kvchecks test package\n")
        with open(os.path.join(folder, "package.wxs"), "w") as source:
            source.write(PACKAGE_SOURCE)
        run(["wixl", "-o", "package.msi", "package.wxs"], cwd=folder)
        _built[("package", "unsigned")] = os.path.join(folder, "package.msi")
    if signature == "unsigned":
        return _built[("package", "unsigned")]
    # A trusted root vouches for "valid" and "expired" (whose signer's
    # validity has ended; the package carries no timestamp, so Wine judges it
    # now). For "untrusted_root" the authority is only an intermediate: Wine 8
    # lets a chain it cannot complete pass, so the authority must be found,
    # and found untrusted.
    trusted = signature != "untrusted_root"
    folder, der = authority("root" if trusted else "untrusted")
    add_to_store(ctx, "Root" if trusted else "CA", der)
    key = ("package", signature)
    if key not in _built:
        signed = os.path.join(folder, f"package-{signature}.msi")
        signer = expired_signer(folder) if signature == "expired" else "signer.pem"
        run(["osslsigncode", "sign", "-certs", signer, "-key", "signer.key", "-h", "sha1",
             "-n", "kvchecks test package", "-in", _built[("package", "unsigned")], "-out", signed], cwd=folder)
        _built[key] = signed
    return _built[key]


# Files -------------------------------------------------------------------

def file_bytes(entry, ctx):
    if "source" in entry:
        # Names inside [[files.file]] are not rebased along a base chain: they
        # are taken from the folder of the scenario's own profile.
        path = os.path.join(ctx.profile_dir, entry["source"])
        if not os.path.isfile(path):
            raise CannotExpress(f'{entry["source"]} is not beside the scenario\'s profile')
        with open(path, "rb") as source:
            return source.read()
    text = entry.get("content", "") * int(entry.get("repeat", 1))
    encoding = entry.get("encoding", "ansi")
    if encoding == "utf-16le":
        return b"\xff\xfe" + text.encode("utf-16-le")
    if encoding != "ansi":
        raise CannotExpress(f'encoding "{encoding}" is not "ansi" or "utf-16le"')
    try:
        return text.encode("cp1252")
    except UnicodeEncodeError:
        raise CannotExpress(f'{entry["path"]} holds characters outside code page 1252')


def realise_file(entry, ctx, native_overrides):
    path = entry["path"]
    target = host_path(ctx, path)
    os.makedirs(os.path.dirname(target), exist_ok=True)
    has_bytes = "content" in entry or "source" in entry
    if "version" in entry or "signature" in entry:
        if has_bytes:
            raise CannotExpress(f"{path}: a real program or package cannot hold given bytes as well")
        if "version" in entry and "signature" in entry:
            raise CannotExpress(f"{path}: a version resource and a signature verdict at once")
        if "version" in entry:
            with open(version_program(entry["version"]), "rb") as program:
                place(ctx, target, program.read())
            # Wine would serve its builtin program of the same name instead.
            native_overrides.add(path.rsplit("\\", 1)[-1].lower())
        else:
            with open(package(entry["signature"], ctx), "rb") as built:
                place(ctx, target, built.read())
        return
    place(ctx, target, file_bytes(entry, ctx))


# Programs ----------------------------------------------------------------

def realise_program(name, program, ctx):
    kind = program.get("kind", "fileversion" if name.lower() == "fileversion_x64" else "plain")
    if program.get("present", True) is False:
        raise CannotExpress(f"{name}: a program the runner ships cannot be left out")
    if kind == "fileversion":
        if name.lower() != "fileversion_x64" or any(
                program.get(k, d) != d for k, d in
                [("exit_code", 0), ("writes_output", True), ("runs_ms", 0), ("never_exits", False),
                 ("exit_code_query_fails", False)]):
            raise CannotExpress("the real fileversion_x64 cannot be told to fail, to skip its output or to "
                                "run for a while")
        return
    if program.get("exit_code_query_fails", False):
        raise CannotExpress(f"{name}: Wine cannot make GetExitCodeProcess fail")
    build = os.path.join(ctx.tmp, "program-" + name)
    os.makedirs(build, exist_ok=True)
    exit_code = int(program.get("exit_code", 0)) & 0xFFFFFFFF
    body = ("for (;;) Sleep(INFINITE);" if program.get("never_exits", False)
            else f"Sleep({int(program.get('runs_ms', 0))}); ExitProcess(0x{exit_code:08X}u);")
    with open(os.path.join(build, "main.c"), "w") as source:
        source.write(f"#include <windows.h>\nint main(void) {{ {body} }}\n")
    run([COMPILERS[bool(program.get("sixty_four_bit", False))], "-s", "-o",
         os.path.join(ctx.exe_dir, name + ".exe"), "main.c"], cwd=build)


def realise(section, ctx):
    if "drives" in section:
        realise_drives(section["drives"], ctx)
    for folder in section.get("folders", []):
        os.makedirs(host_path(ctx, folder), exist_ok=True)
    native_overrides = set()
    for entry in section.get("file", []):
        realise_file(entry, ctx, native_overrides)
    if native_overrides:
        ctx.reg_import("\r\n".join(["Windows Registry Editor Version 5.00", "",
                                    r"[HKEY_CURRENT_USER\Software\Wine\DllOverrides]"] +
                                   [f'{reg_string(name)}="native"' for name in sorted(native_overrides)]) +
                       "\r\n")
    for name, program in section.get("programs", {}).items():
        realise_program(name, program, ctx)
