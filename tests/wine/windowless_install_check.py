#!/usr/bin/env python3
"""The windowless installation under Wine, checked and compared.

Reads the Wine prefix after `setup64.exe setvosrf32` (its files and the
registry exported with `reg export`, converted to UTF-8) and a simulated
machine that ran the same installation with a profile matching the prefix.
With --wizard the run was the wizard clicked through with the TSF interface
instead (see the end of this text).

1. The Wine installation must hold what the installation leaves: the IME
   modules in both system folders, the uninstaller, the keyboard-layout entry,
   the uninstall, auto-start and user-agent entries, and the 64-bit helper's
   start in the helper stub's log.
2. Wine and the simulated machine must agree on the installed files (names,
   sizes, MD5 digests) and on the registry values the program writes. What
   IMM32 writes is the system's doing, not the program's: its differences are
   printed as notes.

With --wizard: the TSF modules take the IME modules' place in the system
folders, no keyboard-layout entry is made and the preload list stays as it
was (on both sides), and the windows that opened over the wizard under Wine
(--wine-windows, one kind a line) must be those of the simulated run. The
text service's own keys are written by its modules' registration through
regsvr32, which Wine cannot run on the demo modules: when Wine has no text
service key, that, the final check's box about it and the category keys the
program adds only below that key are notes; when it has one, its keys must be
the simulation's. Wine has no runas.exe either, so the helper the program
starts through it is missing from Wine's helper log as a note.

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
TEXT_SERVICE = r"HKEY_LOCAL_MACHINE\SOFTWARE\MICROSOFT\CTF\TIP\{65653599-5030-4C0F-8871-83F6AFDE5098}"
# Files holding the system's tick count at the moment they were written.
TICK_COUNT_FILES = {"c:\\program files\\morvak8\\install.voh": ("Program Files", "morvak8", "install.voh")}
# The helper started at basic-user trust through runas.
RUNAS_HELPER_LINE = b"vqjcdir.exe\r\n"
# The simulated machine's message box captions and dialog templates, by the
# names the Wine run gives the windows.
WINDOW_KINDS = {"智能Qelvo": "product-box", "智能Qelvo(Kelt五笔)安装": "edition-box", "PYKEY": "skin-dialog"}
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
        if name.lower() != "helper-log.txt":
            files["c:\\program files\\morvak8\\" + name.lower()] = describe(os.path.join(install, name))
    for folder, module in (("system32", "morvak4.ime"), ("syswow64", "morvak4.ime"), ("system32", "vorlsrf6.dll"),
                           ("syswow64", "vorlsrf.dll")):
        files["c:\\windows\\%s\\%s" % (folder, module)] = describe(find_path(drive_c, "windows", folder, module))
    for name in ("vorldel8.exe", "vorlpat8.voh"):
        files["c:\\windows\\" + name] = describe(find_path(drive_c, "windows", name))
    files["c:\\morvak8\\vorlpat8.voh"] = describe(find_path(drive_c, "morvak8", "vorlpat8.voh"))
    return files


def product_layouts(registry):
    return {key.rsplit("\\", 1)[1]: values for key, values in registry.items()
            if key.startswith(LAYOUTS + "\\") and values.get("layout text") == LAYOUT_TEXT}


# What each kind of run leaves, as check_wine looks for it: the system
# folders' copies of installed files, whether a keyboard-layout entry is made,
# the registry values and the helper log's first line.
IME_RUN = {
    "copies": [("windows\\system32\\morvak4.ime", "morvak64.ime"), ("windows\\syswow64\\morvak4.ime", "morvak4.ime"),
               ("windows\\vorldel8.exe", "vorldel8.exe")],
    "layout_entry": True,
    "values": {
        CURRENT_VERSION + r"\UNINSTALL\VORLQWB8": {"displayname": "智能Qelvo8",
                                                 "uninstallstring": "C:\\windows\\vorldel8.exe"},
        CURRENT_VERSION + r"\RUN": {"vovqsjgl": '"C:\\Program Files\\morvak8\\vorlkelt.exe" vo'},
        CURRENT_VERSION + r"\INTERNET SETTINGS\USER AGENT\POST PLATFORM": {"kelt8800": ""},
    },
    "first_helper": b"setupw64.exe regvo32=C:\\Program Files\\morvak8\\\r\n",
}
# The wizard writes no auto-start entry; it starts the helper itself.
TSF_WIZARD_RUN = {
    "copies": [("windows\\system32\\vorlsrf6.dll", "vorlsrf6.dll"), ("windows\\syswow64\\vorlsrf.dll", "vorlsrf.dll"),
               ("windows\\vorldel8.exe", "vorldel8.exe")],
    "layout_entry": False,
    "values": {
        CURRENT_VERSION + r"\UNINSTALL\VORLQWB8": IME_RUN["values"][CURRENT_VERSION + r"\UNINSTALL\VORLQWB8"],
        CURRENT_VERSION + r"\RUN": {"vovqsjgl": None},
        CURRENT_VERSION + r"\INTERNET SETTINGS\USER AGENT\POST PLATFORM": {"kelt8800": ""},
    },
    "first_helper": b"vorlkelt.exe vo\r\n",
}


def helper_log(drive_c):
    log = find_path(drive_c, "Program Files", "morvak8", "helper-log.txt")
    return open(log, "rb").read() if os.path.isfile(log) else b""


def check_wine(drive_c, registry, run, problems):
    install = find_path(drive_c, "Program Files", "morvak8")
    for target, source in run["copies"]:
        copy = describe(find_path(drive_c, *target.split("\\")))
        if copy is None or copy != describe(os.path.join(install, source)):
            problems.append("C:\\%s is not a copy of the installed %s" % (target, source))
    if run is IME_RUN:
        for build in ("vorl320.ime", "vorl321.ime", "vorl640.ime", "vorl641.ime", "vorlsrf.dll", "vorlsrf6.dll"):
            if os.path.exists(os.path.join(install, build)):
                problems.append("the installation directory still holds %s" % build)
    if bool(product_layouts(registry)) != run["layout_entry"]:
        problems.append("a keyboard-layout entry with the layout text %s is %s" %
                        (LAYOUT_TEXT, "missing" if run["layout_entry"] else "there"))
    for key, values in run["values"].items():
        for name, value in values.items():
            actual = registry.get(key, {}).get(name)
            if actual != value:
                problems.append("%s\\%s is %r, not %r" % (key, name, actual, value))
    if not helper_log(drive_c).startswith(run["first_helper"]):
        problems.append("the helper log holds %r" % helper_log(drive_c))


def compare(wine_c, wine_reg, sim_c, sim_reg, problems, notes):
    wine_files, sim_files = installed_files(wine_c), installed_files(sim_c)
    for path in sorted(set(wine_files) | set(sim_files)):
        if path in TICK_COUNT_FILES:
            compare_tick_counts(path, wine_c, sim_c, problems, notes)
        elif wine_files.get(path) != sim_files.get(path):
            problems.append("%s: Wine %s, simulation %s" % (path, wine_files.get(path), sim_files.get(path)))
    compare_helper_logs(wine_c, sim_c, problems, notes)
    for key, names in PROGRAM_KEYS:
        wine_values, sim_values = wine_reg.get(key, {}), sim_reg.get(key, {})
        for name in sorted(names or set(wine_values) | set(sim_values)):
            if wine_values.get(name) != sim_values.get(name):
                problems.append("%s\\%s: Wine %r, simulation %r" % (key, name, wine_values.get(name),
                                                                    sim_values.get(name)))
    for side, registry in (("Wine", wine_reg), ("simulation", sim_reg)):
        for layout, values in sorted(product_layouts(registry).items()):
            notes.append("IMM32 on %s: entry %s, Ime File %r" % (side, layout, values.get("ime file")))
        notes.append("IMM32 on %s: user preload %s" % (side, preload_text(registry)))


def compare_tick_counts(path, wine_c, sim_c, problems, notes):
    """Each side's clock differs; both must hold a tick count in decimal
    digits, or both lack the file."""
    counts = []
    for drive_c in (wine_c, sim_c):
        file = find_path(drive_c, *TICK_COUNT_FILES[path])
        counts.append(open(file, "rb").read() if os.path.isfile(file) else None)
    if counts == [None, None]:
        return
    if all(count is not None and count.isdigit() for count in counts):
        notes.append("%s holds each system's tick count: Wine %s, simulation %s" %
                     (path, counts[0].decode(), counts[1].decode()))
    else:
        problems.append("%s: Wine %r, simulation %r, not tick counts" % (path, counts[0], counts[1]))


def compare_helper_logs(wine_c, sim_c, problems, notes):
    wine_log, sim_log = helper_log(wine_c), helper_log(sim_c)
    if not os.path.isfile(find_path(wine_c, "windows", "system32", "runas.exe")) and RUNAS_HELPER_LINE in sim_log:
        notes.append("Wine has no runas.exe: the helper started through it (%r) is only in the simulation's log" %
                     RUNAS_HELPER_LINE)
        sim_log = sim_log.replace(RUNAS_HELPER_LINE, b"")
    if wine_log != sim_log:
        problems.append("the helper logs: Wine %r, simulation %r" % (wine_log, sim_log))


def preload_text(registry):
    preload = registry.get(USER_PRELOAD, {})
    return ",".join("%s=%s" % (name, preload[name])
                    for name in sorted(preload, key=lambda n: int(n) if n.isdigit() else 0))


def text_service_keys(registry):
    return sorted(key for key in registry if key == TEXT_SERVICE or key.startswith(TEXT_SERVICE + "\\"))


def windows_of_sim_run(sim_root):
    """The kinds of the windows that opened over the simulated wizard, in order."""
    kinds = []
    for line in open(os.path.join(sim_root, "events.log"), encoding="utf-8"):
        match = re.match(r'^(?:messagebox caption|dialog name)="([^"]*)"(?! state="ended")', line)
        if match:
            kinds.append(WINDOW_KINDS.get(match.group(1), match.group(1)))
    return kinds


def compare_wizard(args, wine_reg, sim_reg, problems, notes):
    """What only the wizard run with TSF is checked for: the text service's
    keys, the windows over the wizard, the untouched preload lists."""
    wine_windows = open(args.wine_windows, encoding="utf-8").read().split()
    sim_windows = windows_of_sim_run(args.sim_root)
    wine_keys, sim_keys = text_service_keys(wine_reg), text_service_keys(sim_reg)
    if not sim_keys:
        problems.append("the simulation has no text service key")
    if wine_keys:
        if wine_keys != sim_keys:
            problems.append("text service keys: Wine %s, simulation %s" % (wine_keys, sim_keys))
    else:
        notes.append("TSF on Wine: regsvr32 did not register the demo modules, so no text service key; the "
                     "simulation has %d keys below it (the categories the program adds go only there)" % len(sim_keys))
        if wine_windows[-1:] == ["edition-box"] and sim_windows[-1:] != ["edition-box"]:
            notes.append("TSF on Wine: the final check's box about the unregistered text service")
            wine_windows = wine_windows[:-1]
    if wine_windows != sim_windows:
        problems.append("windows over the wizard: Wine %s, simulation %s" % (wine_windows, sim_windows))
    for side, before, after in (("Wine", args.wine_preload_before, wine_reg),
                                ("simulation", args.sim_registry_before, sim_reg)):
        earlier = preload_text(parse_reg(open(before, encoding="utf-8").read()))
        if earlier != preload_text(after):
            problems.append("the preload list on %s changed from %s to %s" % (side, earlier, preload_text(after)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--wine-drive-c", required=True)
    parser.add_argument("--wine-registry", required=True, help="UTF-8 text of the Wine exports")
    parser.add_argument("--sim-root", required=True)
    parser.add_argument("--wizard", action="store_true", help="the wizard with TSF, not the windowless run")
    parser.add_argument("--wine-windows", help="--wizard: the kinds of windows Wine showed, one a line")
    parser.add_argument("--wine-preload-before", help="--wizard: UTF-8 export of Wine's preload list before")
    parser.add_argument("--sim-registry-before", help="--wizard: the simulated machine's registry.reg before")
    args = parser.parse_args()
    if args.wizard and not (args.wine_windows and args.wine_preload_before and args.sim_registry_before):
        parser.error("--wizard needs --wine-windows, --wine-preload-before and --sim-registry-before")
    wine_reg = parse_reg(open(args.wine_registry, encoding="utf-8").read())
    sim_reg = parse_reg(open(os.path.join(args.sim_root, "registry.reg"), encoding="utf-8").read())
    sim_c = os.path.join(args.sim_root, "drives", "c")
    problems, notes = [], []
    check_wine(args.wine_drive_c, wine_reg, TSF_WIZARD_RUN if args.wizard else IME_RUN, problems)
    compare(args.wine_drive_c, wine_reg, sim_c, sim_reg, problems, notes)
    if args.wizard:
        compare_wizard(args, wine_reg, sim_reg, problems, notes)
    for note in notes:
        print("note: " + note)
    for problem in problems:
        print("FAIL: " + problem)
    print("%d installed files compared, %d problems" % (len(installed_files(args.wine_drive_c)), len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
