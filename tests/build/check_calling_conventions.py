#!/usr/bin/env python3
"""Every function the program reaches through a pointer from Windows is
declared with the Windows calling convention.

check_calling_conventions.py [SOURCE_DIR]   (default: src/ of this checkout)

On 32-bit Windows a function pointer of the wrong convention corrupts the
stack on every call, and nothing shows it on 64-bit Windows. The 32-bit build
refuses such a pointer where the compiler sees one; this check lists the rest
and fails on a fault:

- every function found by name, with its pointer type: GetProcAddress may
  appear only inside FindSystemFunction (src/platform/system_function.h),
  and each pointer type given to it must be a typedef with WINAPI;
- casts to a callback type (WNDPROC, DLGPROC, ...): such a cast turns a
  function of the wrong convention into a callback without a word, as the
  compiler's cast warning does not look at conventions.
"""
import os
import re
import sys

CONVENTIONS = ("WINAPI", "CALLBACK", "APIENTRY", "NTAPI", "__stdcall")
CALLBACK_TYPES = ("FARPROC", "WNDPROC", "DLGPROC", "TIMERPROC", "WNDENUMPROC", "LPTOP_LEVEL_EXCEPTION_FILTER")
LOOKUP_HEADER = os.path.join("platform", "system_function.h")


def sources(root):
    for folder, _, names in os.walk(root):
        for name in sorted(names):
            if name.endswith((".cpp", ".h")):
                yield os.path.join(folder, name)


def line_of(text, offset):
    return text.count("\n", 0, offset) + 1


def check_file(path, root, listing, faults):
    text = open(path, encoding="utf-8").read()
    where = os.path.relpath(path, os.path.dirname(root))
    is_lookup = os.path.relpath(path, root) == LOOKUP_HEADER
    for match in re.finditer(r"\bGetProcAddress\s*\(", text):
        if not is_lookup:
            faults.append(f"{where}:{line_of(text, match.start())}: GetProcAddress outside FindSystemFunction")
    for match in re.finditer(r"\(\s*(" + "|".join(CALLBACK_TYPES) + r")\s*\)", text):
        faults.append(f"{where}:{line_of(text, match.start())}: a cast to {match.group(1)}")
    if is_lookup:
        return
    for match in re.finditer(r"\bFindSystemFunction\s*\(\s*[^,]+,\s*\"(\w+)\"\s*,\s*&\s*(\w+)\s*\)", text):
        function, variable = match.groups()
        here = f"{where}:{line_of(text, match.start())}"
        declared = re.search(r"\b(\w+)\s+" + variable + r"\s*[;=]", text)
        if not declared:
            faults.append(f"{here}: {function}: no declaration of {variable} in this file")
            continue
        pointer_type = declared.group(1)
        typedef = re.search(r"typedef\s+[^;]*?\(\s*(\w+)?\s*\*\s*" + pointer_type + r"\s*\)\s*\([^;]*\);", text)
        if not typedef:
            faults.append(f"{here}: {function}: {pointer_type} is not a function pointer typedef of this file")
            continue
        listing.append(f"{here}: {function} as {' '.join(typedef.group(0).split())}")
        if typedef.group(1) not in CONVENTIONS:
            faults.append(f"{here}: {function}: {pointer_type} lacks the Windows calling convention (WINAPI)")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "src"))
    listing, faults = [], []
    for path in sources(root):
        check_file(path, root, listing, faults)
    for line in listing:
        print(line)
    for fault in faults:
        print(fault, file=sys.stderr)
    if not listing:
        faults.append("no function found by name: the check looked at nothing")
        print(faults[-1], file=sys.stderr)
    print(f"{len(listing)} functions found by name, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
