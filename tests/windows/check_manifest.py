#!/usr/bin/env python3
"""Fails when a shipped program lacks the application manifest every
supported Windows accepts.

Reads resource type 24, id 1 back out of each program and checks: it is the
only manifest; it requests the "asInvoker" level without UI access, so that
Vista and later do not virtualize the registry writes of the 32-bit checker;
it names Vista and 7 as supported; its trustInfo element declares exactly
one namespace, asm.v2 or asm.v3, and nothing inside it declares another (XP
SP2 and Server 2003 without SP1 can restart the machine on a second
declaration, XP refuses the program when there is none); and its identity's
architecture is the program's.
"""
import argparse
import pathlib
import re
import sys
import xml.etree.ElementTree as ElementTree

import pe_resources

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
TRUST_NAMESPACES = ("urn:schemas-microsoft-com:asm.v2", "urn:schemas-microsoft-com:asm.v3")
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
SUPPORTED_OS = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Vista", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "7"}
ARCHITECTURES = {pe_resources.IMAGE_FILE_MACHINE_I386: "x86", pe_resources.IMAGE_FILE_MACHINE_AMD64: "amd64"}
DECLARATION = re.compile(r"\sxmlns(:[\w.-]+)?\s*=\s*([\"'])(.*?)\2")


def trust_info_problems(text):
    """The namespace rules of trustInfo, checked on the text: a parser hides declarations."""
    start = re.search(r"<(?:[\w.-]+:)?trustInfo\b[^>]*>", text)
    end = re.search(r"</(?:[\w.-]+:)?trustInfo\s*>", text)
    if not start or not end:
        return ["no trustInfo element"]
    problems = []
    own = DECLARATION.findall(start.group(0))
    if len(own) != 1:
        problems.append(f"trustInfo declares {len(own)} namespaces, not exactly one")
    elif own[0][2] not in TRUST_NAMESPACES:
        problems.append(f"trustInfo's namespace is {own[0][2]!r}, not asm.v2 or asm.v3")
    inner = DECLARATION.findall(text[start.end():end.start()])
    if inner:
        problems.append(f"the elements inside trustInfo declare {len(inner)} more namespace(s)")
    return problems


def manifest_problems(exe):
    names = pe_resources.list_resources(exe, pe_resources.RT_MANIFEST)
    if names != ["1"]:
        return [f"manifest resources {names}, not exactly one with id 1"]
    raw = pe_resources.read_resource(exe, pe_resources.RT_MANIFEST, 1)
    text = raw.decode("utf-8")
    try:
        root = ElementTree.fromstring(raw)
    except ElementTree.ParseError as error:
        return [f"the manifest is not well-formed XML: {error}"]
    problems = trust_info_problems(text)
    if root.tag != f"{{{ASM_V1}}}assembly" or root.get("manifestVersion") != "1.0":
        problems.append(f"the root is {root.tag} version {root.get('manifestVersion')}, not an asm.v1 assembly 1.0")

    levels = [element for namespace in TRUST_NAMESPACES
              for element in root.iter(f"{{{namespace}}}requestedExecutionLevel")]
    if len(levels) != 1:
        problems.append(f"{len(levels)} requestedExecutionLevel elements in trustInfo's namespace, not one")
    elif (levels[0].get("level"), levels[0].get("uiAccess")) != ("asInvoker", "false"):
        problems.append(f"execution level {levels[0].get('level')!r} with uiAccess {levels[0].get('uiAccess')!r}, "
                        "not 'asInvoker' with 'false'")

    declared = {element.get("Id", "").lower() for element in root.iter(f"{{{COMPATIBILITY}}}supportedOS")}
    for guid, release in SUPPORTED_OS.items():
        if guid not in declared:
            problems.append(f"no supportedOS entry for Windows {release}")

    identity = root.find(f"{{{ASM_V1}}}assemblyIdentity")
    expected = ARCHITECTURES.get(pe_resources.machine(exe))
    if identity is None or identity.get("processorArchitecture") != expected:
        found = None if identity is None else identity.get("processorArchitecture")
        problems.append(f"the identity's processorArchitecture is {found!r}, the program is {expected!r}")
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe", type=pathlib.Path, nargs="+")
    args = parser.parse_args()
    return pe_resources.report(args.exe, lambda exe: manifest_problems(exe), "manifest as every supported Windows accepts it")


if __name__ == "__main__":
    sys.exit(main())
