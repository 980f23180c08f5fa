#!/usr/bin/env python3
"""The windowless installation under Wine, checked and compared.

Reads the Wine prefix after `setup64.exe setvosrf32` (its files and the
registry exported with `reg export`, converted to UTF-8) and a simulated
machine that ran the same installation with a profile matching the prefix.

1. The Wine installation must hold what the installation leaves: the IME
   modules in both system folders, the uninstaller, the keyboard-layout entry,
   the uninstall, auto-start and user-agent entries, and the 64-bit helper's
   start in the helper stub's log.
2. Wine and the simulated machine must agree on the installed files (names,
   sizes, MD5 digests) and on the registry values the program writes. What
   IMM32 writes is the system's doing, not the program's: its differences are
   printed as notes.

Exit status 0 when all holds, 1 with the differences listed otherwise.
"""
import argparse
import hashlib
import os
import re
import sys

LAYOUT_TEXT = "智能Qelvo输入平台I"
CURRENT_VERSION = r"HKEY_LOCAL_MACHINE\SOFTWARE\MICROSOFT\WINDOWS\CURRENTVERSION"
PROGRAM_KEYS = [
    # key, value names (None: every value of the key)
    (CURRENT_VERSION + r"\UNINSTALL\VORLQWB8", None),
    (CURRENT_VERSION + r"\RUN", ["vovqsjgl"]),
    (CURRENT_VERSION + r"\INTERNET SETTINGS\USER AGENT\POST PLATFORM", None),
]
LAYOUTS = r"HKEY_LOCAL_MACHINE\SYSTEM\CURRENTCONTROLSET\CONTROL\KEYBOARD LAYOUTS"
USER_PRELOAD = r"HKEY_CURRENT_USER\KEYBOARD LAYOUT\PRELOAD"


def parse_reg(text):
    """regedit export text -> {KEY (upper case): {name (lower case): value}}.
    String data (also hex(1), hex(2) and hex(7)) becomes text without its
    terminators; dwords become ints; other data stays bytes."""
    keys, current, pending = {}, None, ""
    for raw in text.splitlines():
        line = pending + raw.strip()
        if line.endswith("\\") and not line.endswith('\\"') and "=hex" in line:
            pending = line[:-1]
            continue
        pending = ""
        if not line or line.startswith(";") or line.startswith("Windows Registry"):
            continue
        if line.startswith("[") and line.endswith("]"):
            current = keys.setdefault(line[1:-1].upper(), {})
            continue
        match = re.match(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$', line)
        if not match or current is None:
            continue
        name = "" if match.group(1) == "@" else unescape(match.group(1)[1:-1])
        current[name.lower()] = parse_data(match.group(2))
    return keys


def unescape(text):
    return re.sub(r"\\(.)", r"\1", text)


def parse_data(data):
    if data.startswith('"'):
        return unescape(data[1:-1])
    if data.startswith("dword:"):
        return int(data[6:], 16)
    match = re.match(r"^hex(?:\(([0-9a-f]+)\))?:(.*)$", data)
    if not match:
        return data
    kind = int(match.group(1) or "3", 16)
    raw = bytes(int(b, 16) for b in match.group(2).replace(" ", "").split(",") if b)
    if kind in (1, 2, 7):
        return raw.decode("utf-16-le", "replace").rstrip("\0")
    return raw


def find_path(root, *parts):
    """The host path of a Windows path below `root`, names matched without case."""
    path = root
    for part in parts:
        names = {name.lower(): name for name in os.listdir(path)} if os.path.isdir(path) else {}
        path = os.path.join(path, names.get(part.lower(), part))
    return path


def describe(path):
    if not os.path.isfile(path):
        return None
    with open(path, "rb") as f:
        data = f.read()
    return (len(data), hashlib.md5(data).hexdigest())


def installed_files(drive_c):
    """{Windows path (lower case): (size, md5)} of what the installation leaves."""
    files = {}
    install = find_path(drive_c, "Program Files", "morvak8")
    for name in sorted(os.listdir(install)):
        files["c:\\program files\\morvak8\\" + name.lower()] = describe(os.path.join(install, name))
    for folder in ("system32", "syswow64"):
        files["c:\\windows\\%s\\morvak4.ime" % folder] = describe(find_path(drive_c, "windows", folder, "morvak4.ime"))
    for name in ("vorldel8.exe", "vorlpat8.voh"):
        files["c:\\windows\\" + name] = describe(find_path(drive_c, "windows", name))
    files["c:\\morvak8\\vorlpat8.voh"] = describe(find_path(drive_c, "morvak8", "vorlpat8.voh"))
    return files


def product_layouts(registry):
    return {key.rsplit("\\", 1)[1]: values for key, values in registry.items()
            if key.startswith(LAYOUTS + "\\") and values.get("layout text") == LAYOUT_TEXT}


def check_wine(drive_c, registry, problems):
    install = find_path(drive_c, "Program Files", "morvak8")
    same = [("windows\\system32\\morvak4.ime", "morvak64.ime"), ("windows\\syswow64\\morvak4.ime", "morvak4.ime"),
            ("windows\\vorldel8.exe", "vorldel8.exe")]
    for target, source in same:
        copy = describe(find_path(drive_c, *target.split("\\")))
        if copy is None or copy != describe(os.path.join(install, source)):
            problems.append("C:\\%s is not a copy of the installed %s" % (target, source))
    for build in ("vorl320.ime", "vorl321.ime", "vorl640.ime", "vorl641.ime", "vorlsrf.dll", "vorlsrf6.dll"):
        if os.path.exists(os.path.join(install, build)):
            problems.append("the installation directory still holds %s" % build)
    if not product_layouts(registry):
        problems.append("no keyboard-layout entry carries the layout text %s" % LAYOUT_TEXT)
    expected = {
        CURRENT_VERSION + r"\UNINSTALL\VORLQWB8": {"displayname": "智能Qelvo8",
                                                 "uninstallstring": "C:\\windows\\vorldel8.exe"},
        CURRENT_VERSION + r"\RUN": {"vovqsjgl": '"C:\\Program Files\\morvak8\\vorlkelt.exe" vo'},
        CURRENT_VERSION + r"\INTERNET SETTINGS\USER AGENT\POST PLATFORM": {"kelt8800": ""},
    }
    for key, values in expected.items():
        for name, value in values.items():
            actual = registry.get(key, {}).get(name)
            if actual != value:
                problems.append("%s\\%s is %r, not %r" % (key, name, actual, value))
    log = find_path(install, "helper-log.txt")
    text = open(log, "rb").read() if os.path.isfile(log) else b""
    if text != b"setupw64.exe regvo32=C:\\Program Files\\morvak8\\\r\n":
        problems.append("the helper log holds %r" % text)


def compare(wine_c, wine_reg, sim_c, sim_reg, problems, notes):
    wine_files, sim_files = installed_files(wine_c), installed_files(sim_c)
    for path in sorted(set(wine_files) | set(sim_files)):
        if wine_files.get(path) != sim_files.get(path):
            problems.append("%s: Wine %s, simulation %s" % (path, wine_files.get(path), sim_files.get(path)))
    for key, names in PROGRAM_KEYS:
        wine_values, sim_values = wine_reg.get(key, {}), sim_reg.get(key, {})
        for name in sorted(names or set(wine_values) | set(sim_values)):
            if wine_values.get(name) != sim_values.get(name):
                problems.append("%s\\%s: Wine %r, simulation %r" % (key, name, wine_values.get(name),
                                                                    sim_values.get(name)))
    for side, registry in (("Wine", wine_reg), ("simulation", sim_reg)):
        for layout, values in sorted(product_layouts(registry).items()):
            notes.append("IMM32 on %s: entry %s, Ime File %r" % (side, layout, values.get("ime file")))
        preload = registry.get(USER_PRELOAD, {})
        notes.append("IMM32 on %s: user preload %s" % (side, ",".join(
            "%s=%s" % (name, preload[name]) for name in sorted(preload, key=lambda n: int(n) if n.isdigit() else 0))))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--wine-drive-c", required=True)
    parser.add_argument("--wine-registry", required=True, help="UTF-8 text of the Wine exports")
    parser.add_argument("--sim-root", required=True)
    args = parser.parse_args()
    wine_reg = parse_reg(open(args.wine_registry, encoding="utf-8").read())
    sim_reg = parse_reg(open(os.path.join(args.sim_root, "registry.reg"), encoding="utf-8").read())
    sim_c = os.path.join(args.sim_root, "drives", "c")
    problems, notes = [], []
    check_wine(args.wine_drive_c, wine_reg, problems)
    compare(args.wine_drive_c, wine_reg, sim_c, sim_reg, problems, notes)
    for note in notes:
        print("note: " + note)
    for problem in problems:
        print("FAIL: " + problem)
    print("%d installed files compared, %d problems" % (len(installed_files(args.wine_drive_c)), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
