#!/usr/bin/env python3
"""Every piece of program state has an owner whose reset puts it back.

check_program_state.py RESET_SOURCE OBJECT...

Tests run many installations in one process and put the program back to its
start between them (testing_support::ResetProgramState in RESET_SOURCE). A
program-wide value that reset misses carries one run's bytes into the next.
So the state of each source file of the product is one record, reset whole
by a function its header declares, and RESET_SOURCE calls that function.
This check reads the compiled objects of the product (every writable object
in their data and bss sections, as objdump lists them) and fails, naming
the file, when

- a source file holds more than one writable object: a second one would
  stand outside the record its reset assigns afresh;
- a source file that holds one has no function declared in its header that
  RESET_SOURCE calls.

The objects are those of the native build, whose paths end in
"src/<folder>/<name>.cpp.o"; OBJECT arguments may also be one argument of
paths separated by ';', as CMake passes a list.
"""
import os
import re
import subprocess
import sys

WRITABLE_SECTION = re.compile(r"^\.(data|bss)(\.|$)")
READ_ONLY_SECTION = re.compile(r"^\.data\.rel\.ro(\.|$)")
# Objects the compiler or the sanitizers add: their names are reserved.
GENERATED_NAME = re.compile(r"^(__|\.|DW\.ref\.|typeinfo |vtable |guard variable )")
CALL = re.compile(r"\b([A-Z]\w*)\s*\(\s*\)\s*;")
DECLARATION = re.compile(r"^\s*void\s+([A-Z]\w*)\s*\(\s*\)\s*;", re.MULTILINE)


def writable_objects(path):
    listing = subprocess.run(["objdump", "-t", "-C", path], check=True, capture_output=True, text=True).stdout
    names = []
    for line in listing.splitlines():
        fields = line.split()
        if "O" not in fields[1:4]:
            continue
        at = fields.index("O", 1)
        section = fields[at + 1]
        name = " ".join(fields[at + 3:]).replace(".hidden ", "")
        if WRITABLE_SECTION.match(section) and not READ_ONLY_SECTION.match(section) and not GENERATED_NAME.match(name):
            names.append(name)
    return names


def source_of(path):
    match = re.search(r"(src/[^/]+/[^/]+)\.cpp\.o(bj)?$", path.replace(os.sep, "/"))
    return match.group(1) if match else None


def main(argv):
    if len(argv) < 3:
        print(__doc__)
        return 2
    reset_source = argv[1]
    objects = [path for argument in argv[2:] for path in argument.split(";") if path]
    calls = set(CALL.findall(open(reset_source, encoding="utf-8").read()))
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    faults = []
    owners = 0
    for path in sorted(objects):
        source = source_of(path)
        names = writable_objects(path)
        if not source or not names:
            continue
        owners += 1
        if len(names) > 1:
            faults.append(f"{source}.cpp holds {len(names)} pieces of state outside one record: {', '.join(names)}")
        header = os.path.join(root, source + ".h")
        declared = set(DECLARATION.findall(open(header, encoding="utf-8").read())) if os.path.exists(header) else set()
        if not declared & calls:
            faults.append(f"{source}.cpp holds {', '.join(names)}, and no reset in {source}.h is called by "
                          f"{os.path.relpath(reset_source, root)}")
    for fault in faults:
        print(fault)
    print(f"{owners} owners of program state, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
