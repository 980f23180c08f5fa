#!/usr/bin/env python3
"""The resources of a Windows executable, read without running it.

pe_resources.py list EXE      every resource: type, name, language, size, SHA-256
pe_resources.py version EXE   the version resource: fixed versions, then each
                              translation's strings

It walks the resource directory of the PE file itself (type, name,
language), as Windows' resource loader does.
"""
import hashlib
import struct
import sys

RT_VERSION = 16


def align4(offset):
    return (offset + 3) & ~3


def read_resources(exe):
    """[(type, name, language, bytes)] of EXE's resource section, in the
    order of its directory (types, then names, then languages)."""
    data = open(exe, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        raise ValueError(f"{exe} is not a Windows executable")
    sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
    optional = pe + 24
    directories = optional + (96 if struct.unpack_from("<H", data, optional)[0] == 0x10B else 112)
    rsrc_rva = struct.unpack_from("<I", data, directories + 2 * 8)[0]

    def file_offset(rva):
        for section in range(sections):
            size, address, raw_size, raw = struct.unpack_from("<IIII", data, optional + optional_size + 40 * section + 8)
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise ValueError(f"{exe}: address {rva:#x} lies in no section")

    base = file_offset(rsrc_rva)

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, base + directory + 12)
        for entry in range(named + numbered):
            name, target = struct.unpack_from("<II", data, base + directory + 16 + 8 * entry)
            if name & 0x80000000:
                length = struct.unpack_from("<H", data, base + (name & 0x7FFFFFFF))[0]
                start = base + (name & 0x7FFFFFFF) + 2
                name = data[start:start + 2 * length].decode("utf-16-le")
            yield name, target & 0x7FFFFFFF

    resources = []
    for kind, names in entries(0):
        for name, languages in entries(names):
            for language, leaf in entries(languages):
                rva, size = struct.unpack_from("<II", data, base + leaf)
                start = file_offset(rva)
                resources.append((kind, name, language, data[start:start + size]))
    return resources


def read_version_block(data, offset):
    """One node of a version resource: (key, value, children, offset after)."""
    length, value_length, is_text = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_end = offset + 6
    while struct.unpack_from("<H", data, key_end)[0] != 0:
        key_end += 2
    key = data[offset + 6:key_end].decode("utf-16-le")
    value_start = align4(key_end + 2)
    value_size = value_length * 2 if is_text else value_length
    value = data[value_start:value_start + value_size]
    if is_text:
        value = value.decode("utf-16-le").rstrip("\0")
    children = []
    child = align4(value_start + value_size)
    while child < end:
        node = read_version_block(data, child)
        children.append(node[:3])
        child = align4(node[3])
    return key, value, children, end


def version_lines(data):
    """The version resource as lines of text."""
    _, fixed, children, _ = read_version_block(data, 0)
    words = struct.unpack_from("<13I", fixed)
    lines = [f"file version {words[2] >> 16}.{words[2] & 0xFFFF}.{words[3] >> 16}.{words[3] & 0xFFFF}",
             f"product version {words[4] >> 16}.{words[4] & 0xFFFF}.{words[5] >> 16}.{words[5] & 0xFFFF}"]
    for key, _, tables in children:
        if key == "StringFileInfo":
            for table, _, strings in tables:
                lines += [f"{table.lower()} {name}: {text}" for name, text, _ in strings]
        elif key == "VarFileInfo":
            for name, value, _ in tables:
                pairs = struct.unpack(f"<{len(value) // 2}H", value)
                lines.append(f"{name}: " + " ".join(f"{pairs[i]:04x}{pairs[i + 1]:04x}" for i in range(0, len(pairs), 2)))
    return lines


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("list", "version"):
        print(__doc__, file=sys.stderr)
        return 2
    resources = read_resources(sys.argv[2])
    if sys.argv[1] == "list":
        for kind, name, language, data in resources:
            print(f"{kind} {name} {language} {len(data)} {hashlib.sha256(data).hexdigest()}")
        return 0
    versions = [data for kind, _, _, data in resources if kind == RT_VERSION]
    if not versions:
        print(f"{sys.argv[2]} has no version resource", file=sys.stderr)
        return 1
    for data in versions:
        print("\n".join(version_lines(data)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
