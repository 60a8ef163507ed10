#!/usr/bin/env python3
"""Makes the release twice from the working tree, signed with a throwaway
certificate authority made for this run, and checks what a vendor ships:

- the two releases (each built from a fresh copy of the tree, in a folder
  of its own) hold the same programs, byte for byte, with no build folder
  in them, and the same SHA256SUMS and zip;
- SHA256SUMS lists every file of the folder and the zip holds the folder;
- `osslsigncode verify` accepts every program's SHA-256 signature against
  the test authority and refuses them against the system's authorities;
- under Wine, WinVerifyTrust refuses the signed kvchecks.exe while the test
  authority is unknown, accepts it once the authority is in the prefix's
  root store, and still refuses an unsigned copy.

Nothing of the authority outlives the run. Usage: check_release.py
"""
import hashlib
import os
import pathlib
import secrets
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

ROOT = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests" / "scenarios"))

from wine import realise_files  # noqa: E402
from wine.common import Context, host_to_windows  # noqa: E402
from wine.prefix import WineRun  # noqa: E402

PROGRAMS = ("kvchecks.exe", "fileversion_x64.exe", "kvcapture.exe")
BUILD_FOLDER_MARK = b"kvchecks-release."  # the release script's scratch folders are named so
TRUST_E_NOSIGNATURE = "800b0100"
VERIFIER = pathlib.Path(__file__).with_name("verify_trust.c")


def run(args, **kwargs):
    return subprocess.run([str(arg) for arg in args], capture_output=True, text=True, **kwargs)


class Results:
    def __init__(self):
        self.passed = self.failed = 0

    def check(self, what, problems):
        print(f"{'ok  ' if not problems else 'FAIL'} {what}")
        for problem in problems:
            print("       " + problem)
        if problems:
            self.failed += 1
        else:
            self.passed += 1


def make_pkcs12(scratch):
    """The test authority's signing certificate and key as the PKCS#12 file a vendor would pass."""
    folder, der = realise_files.authority("release")
    password = scratch / "password"
    password.write_text(secrets.token_hex(16) + "\n")
    pkcs12 = scratch / "signer.p12"
    result = run(["openssl", "pkcs12", "-export", "-inkey", "signer.key", "-in", "signer.pem", "-certfile",
                  "ca.pem", "-passout", f"file:{password}", "-out", pkcs12], cwd=folder)
    if result.returncode != 0:
        raise RuntimeError("openssl pkcs12: " + result.stderr.strip()[-400:])
    return pathlib.Path(folder) / "ca.pem", der, pkcs12, password


def release(out, pkcs12, password, signing_time):
    # Wine judges the signer's certificate at the signature's own time, which defaults to the
    # commit's: older than the authority made a moment ago.
    result = run(["bash", ROOT / "scripts" / "release.sh", "--allow-dirty", "--pkcs12", pkcs12,
                  "--password-file", password, "--out", out],
                 env=dict(os.environ, SOURCE_DATE_EPOCH=str(signing_time)))
    if result.returncode != 0:
        raise RuntimeError("release.sh: " + (result.stderr + result.stdout).strip()[-800:])
    folders = sorted(out.glob("kvchecks-*/"))
    if len(folders) != 1 or not (out / (folders[0].name + ".zip")).is_file():
        raise RuntimeError(f"release.sh wrote {sorted(p.name for p in out.iterdir())}, not one folder and its zip")
    return folders[0]


def unsigned_copy(exe, target):
    result = run(["osslsigncode", "remove-signature", "-in", exe, "-out", target])
    return [] if result.returncode == 0 else [f"osslsigncode remove-signature {exe.name}: {result.stderr.strip()}"]


def check_reproducible(results, first, second, scratch):
    problems = []
    for name in PROGRAMS:
        copies = [scratch / f"unsigned-{index}-{name}" for index in (1, 2)]
        problems += unsigned_copy(first / name, copies[0]) + unsigned_copy(second / name, copies[1])
        if problems:
            break
        if copies[0].read_bytes() != copies[1].read_bytes():
            problems.append(f"{name} differs between the two builds")
        if BUILD_FOLDER_MARK in copies[0].read_bytes():
            problems.append(f"{name} holds the path of its build folder")
    results.check("two clean builds in different folders give byte-identical programs", problems)


def check_same_release(results, first, second):
    problems = []
    if (first / "SHA256SUMS").read_bytes() != (second / "SHA256SUMS").read_bytes():
        problems.append("the two SHA256SUMS differ")
    zips = [folder.with_name(folder.name + ".zip").read_bytes() for folder in (first, second)]
    if zips[0] != zips[1]:
        problems.append("the two zips differ")
    results.check("a release made twice from one tree has identical sums and zip", problems)


def check_contents(results, folder):
    problems = []
    files = sorted(path.name for path in folder.iterdir())
    expected = sorted(PROGRAMS + ("COMMAND-LINE.txt", "SHA256SUMS"))
    if files != expected:
        problems.append(f"the folder holds {files}, not {expected}")
    listed = {}
    for line in (folder / "SHA256SUMS").read_text().splitlines():
        digest, name = line.split("  ", 1)
        listed[name] = digest
    for name in expected:
        if name == "SHA256SUMS":
            continue
        if listed.get(name) != hashlib.sha256((folder / name).read_bytes()).hexdigest():
            problems.append(f"SHA256SUMS does not give {name}'s digest")
    if set(listed) != set(expected) - {"SHA256SUMS"}:
        problems.append(f"SHA256SUMS lists {sorted(listed)}")
    contract = (folder / "COMMAND-LINE.txt").read_bytes()
    if b"kvchecks.exe MODE STATUS DESC" not in contract or b"| 31 | NULL |" not in contract:
        problems.append("COMMAND-LINE.txt lacks the command line or the keyword table")
    with zipfile.ZipFile(folder.with_name(folder.name + ".zip")) as archive:
        names = sorted(archive.namelist())
        if names != sorted(f"{folder.name}/{name}" for name in expected):
            problems.append(f"the zip holds {names}")
        else:
            for name in expected:
                if archive.read(f"{folder.name}/{name}") != (folder / name).read_bytes():
                    problems.append(f"the zip's {name} is not the folder's")
    results.check("the folder holds the programs, the contract and SHA256SUMS of them; the zip holds the folder",
                  problems)


def check_osslsigncode(results, folder, ca):
    problems = []
    for name in PROGRAMS:
        trusted = run(["osslsigncode", "verify", "-CAfile", ca, "-in", folder / name])
        if trusted.returncode != 0:
            problems.append(f"{name}: {(trusted.stdout + trusted.stderr).strip()[-400:]}")
        elif "SHA256" not in trusted.stdout.split("Message digest algorithm", 1)[-1].split("\n", 1)[0]:
            problems.append(f"{name}: the signature's digest is not SHA-256")
        other = run(["osslsigncode", "verify", "-CAfile", "/etc/ssl/certs/ca-certificates.crt",
                     "-in", folder / name])
        if other.returncode == 0:
            problems.append(f"{name}: verifies against the system's authorities too")
    results.check("osslsigncode verifies every program's SHA-256 signature against the test authority, and only that", problems)


def check_win_verify_trust(results, folder, der, scratch):
    verifier = scratch / "verify_trust.exe"
    build = run(["i686-w64-mingw32-gcc-win32", "-municode", "-Wall", "-Wextra", "-Werror", "-o", verifier,
                 VERIFIER, "-lwintrust"])
    if build.returncode != 0:
        results.check("WinVerifyTrust accepts the signed kvchecks.exe", [build.stderr.strip()[-400:]])
        return
    unsigned = scratch / "unsigned-kvchecks.exe"
    problems = unsigned_copy(folder / "kvchecks.exe", unsigned)
    with WineRun() as wine:
        errors = wine.make_templates([False])
        if errors:
            results.check("WinVerifyTrust accepts the signed kvchecks.exe", list(errors.values()))
            return
        prefix = wine.new_prefix("release", False)
        prefix.start_server()
        context_folder = scratch / "wine-context"
        context_folder.mkdir()
        context = Context(prefix, {}, str(scratch), str(context_folder))

        def verdict(exe):
            result = context.wine([host_to_windows(verifier), host_to_windows(exe)], check=False)
            return result.returncode, result.stdout.decode(errors="replace").strip()

        before = verdict(folder / "kvchecks.exe")
        realise_files.add_to_store(context, "Root", der)
        after = verdict(folder / "kvchecks.exe")
        bare = verdict(unsigned) if not problems else None
    if before[0] == 0:
        problems.append("accepted while the test authority was not trusted")
    if after[0] != 0:
        problems.append(f"refused with {after[1] or after[0]} once the test authority was in the root store")
    if bare is not None and bare[1] != TRUST_E_NOSIGNATURE:
        problems.append(f"an unsigned copy gives {bare[1] or bare[0]}, not TRUST_E_NOSIGNATURE")
    results.check("under Wine WinVerifyTrust accepts the signed kvchecks.exe once the authority is a trusted root "
                  f"(before: {before[1]}, unsigned: {bare[1] if bare else '-'})", problems)


def main():
    results = Results()
    scratch = pathlib.Path(tempfile.mkdtemp(prefix="kvchecks-release-test-"))
    try:
        ca, der, pkcs12, password = make_pkcs12(scratch)
        signing_time = int(time.time())
        first = release(scratch / "first", pkcs12, password, signing_time)
        second = release(scratch / "second", pkcs12, password, signing_time)
        print(f"released {first.name} twice")
        check_reproducible(results, first, second, scratch)
        check_same_release(results, first, second)
        check_contents(results, first)
        check_osslsigncode(results, first, ca)
        check_win_verify_trust(results, first, der, scratch)
    except (RuntimeError, OSError, subprocess.SubprocessError) as error:
        results.check("the signed release could be made and examined", [str(error)])
    finally:
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"{results.passed} passed, {results.failed} failed")
    return 1 if results.failed else 0


if __name__ == "__main__":
    sys.exit(main())
