#!/usr/bin/env python3
"""The executable loads on the oldest Windows the program supports.

check_imports.py [--objdump PROGRAM] EXE...

Reads each EXE's import table and header with the MinGW objdump and fails,
naming the function, when it imports a function that the system DLL of the
oldest supported Windows does not export: Windows XP SP3 for the 32-bit
setup.exe, Windows XP x64 / Server 2003 for the 64-bit setup64.exe. The
exports known there are the committed lists in xp_exports/ (one file per
DLL). The header's OS and subsystem versions must not ask for a newer
Windows either: Windows refuses to start an executable whose subsystem
version is above its own.
"""
import argparse
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
EXPORTS = os.path.join(HERE, "xp_exports")

# Per machine: the name in the lists and the newest version the header may ask for.
MACHINES = {
    "pei-i386": ("x86", (5, 1), "Windows XP"),
    "pei-x86-64": ("x64", (5, 2), "Windows XP x64"),
}


def read_exports(dll, arch):
    """The functions the list of DLL names for ARCH, or None without a list.

    A line is a name, optionally followed by "x86" or "x64" when only that
    processor's DLL exports it."""
    path = os.path.join(EXPORTS, dll.lower().removesuffix(".dll") + ".txt")
    if not os.path.exists(path):
        return None
    names = set()
    with open(path, encoding="utf-8") as lines:
        for line in lines:
            fields = line.split("#", 1)[0].split()
            if fields and (len(fields) == 1 or fields[1] == arch):
                names.add(fields[0])
    return names


def parse_objdump(text):
    """(file format, header fields, {dll: [imported names]}) of objdump -p output."""
    file_format = re.search(r"file format (\S+)", text).group(1)
    header = dict(re.findall(r"^(M\w+(?:System|Subsystem)Version)\s+(\d+)$", text, re.M))
    imports = {}
    dll = None
    for line in text.splitlines():
        named = re.match(r"\s+DLL Name: (\S+)", line)
        if named:
            dll = named.group(1)
            imports[dll] = []
        elif dll and not line.strip():
            continue
        elif dll:
            entry = re.match(r"\t[0-9a-f]+\t\s*(\d+)\s+(\S+)", line)
            if entry:
                imports[dll].append(entry.group(2) if entry.group(2) != "<none>" else "#" + entry.group(1))
            elif not re.match(r"\s+vma:", line):
                dll = None
    return file_format, header, imports


def check(exe, objdump):
    """The faults of EXE, one line each, and a summary line."""
    text = subprocess.run([objdump, "-p", exe], check=True, capture_output=True, text=True).stdout
    file_format, header, imports = parse_objdump(text)
    if file_format not in MACHINES:
        return [f"{exe}: not a Windows executable objdump knows ({file_format})"], ""
    arch, newest, system = MACHINES[file_format]
    name = os.path.basename(exe)
    faults = []
    for field, label in (("OSystem", "OS"), ("Subsystem", "subsystem")):
        version = (int(header[f"Major{field}Version"]), int(header[f"Minor{field}Version"]))
        if version > newest:
            faults.append(f"{name}: the header asks for {label} version {version[0]}.{version[1]}, "
                          f"newer than {system} ({newest[0]}.{newest[1]})")
    count = 0
    for dll, functions in imports.items():
        exported = read_exports(dll, arch)
        if exported is None:
            faults.append(f"{name}: imports from {dll}, which has no list of the {system} exports "
                          f"in {os.path.relpath(EXPORTS, os.path.join(HERE, '..', '..'))}")
            continue
        count += len(functions)
        for function in functions:
            if function not in exported:
                faults.append(f"{name}: imports {function} from {dll}, which {system} does not export")
    summary = (f"{name}: {count} functions from {len(imports)} DLLs, all exported by {system}; "
               f"OS version {header['MajorOSystemVersion']}.{header['MinorOSystemVersion']}, "
               f"subsystem {header['MajorSubsystemVersion']}.{header['MinorSubsystemVersion']}")
    return faults, summary


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--objdump", default="x86_64-w64-mingw32-objdump")
    parser.add_argument("exes", nargs="+")
    args = parser.parse_args()
    status = 0
    for exe in args.exes:
        faults, summary = check(exe, args.objdump)
        for fault in faults:
            print(fault, file=sys.stderr)
        if faults:
            status = 1
        else:
            print(summary)
    return status


if __name__ == "__main__":
    sys.exit(main())
