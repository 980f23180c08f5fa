#!/usr/bin/env python3
"""An independent reader of the package archive, written from the format's
description with Python's zlib and hashlib only, sharing no code with the
installer or vozpack.

    archive_independent_reader.py PACKAGE PAYLOAD_FOLDER [--installed FOLDER]

Checks that the package agrees with itself and with the payload it was made
from: the header's layout, total and count; every entry's mark, name field,
digest text and stream; each entry's content against the payload file of the
same name, and that every payload file is in the package; the skin archives
inside it (short layout, eight files, small enough for the installer). With
--installed, also checks that FOLDER holds every payload file byte for byte,
except the phrase-list backup, which the installer writes compacted, and the
module builds that the windowless run's deployment deletes or rewrites after
unpacking them (the IME interface keeps no TSF build; the version text of the
IME builds and the 64-bit companion is rewritten). Exits 0 when everything agrees, 1 with the disagreements
listed otherwise.
"""
import argparse
import hashlib
import os
import struct
import sys
import zlib

LONG_HEADER = 56
SHORT_HEADER = 20
INSTALLER_CAPACITY = 0x200000 - 100 - 44
SKIN_READ_LIMIT = 0x20000
SKIN_FILES = {"vobmp8.voh"} | {"vobmpsx%d.bmp" % i for i in range(1, 8)}
COMPACTED_ENTRY = "vorlcyzk.bak"
REARRANGED_BY_DEPLOYMENT = {"csrf732.dll", "csrf764.dll", "vorlsrf.dll", "vorlsrf6.dll", "vorl320.ime",
                            "vorl321.ime", "vorl640.ime", "vorl641.ime", "setupw64.exe"}


class Problems(list):
    def add(self, text):
        self.append(text)


def read_entries(data, problems, what):
    """Yields (name bytes, header, stream) for each counted entry."""
    if len(data) < 10:
        problems.add("%s: %d bytes, shorter than the archive header" % (what, len(data)))
        return
    long_layout = data[1:2] == b"0"
    total, count = struct.unpack_from("<II", data, 2)
    if total != len(data):
        problems.add("%s: total field %d, but the archive has %d bytes" % (what, total, len(data)))
    header_size = LONG_HEADER if long_layout else SHORT_HEADER
    name_size = 16 if long_layout else 14
    offset, seen = 10, 0
    while seen < count:
        header = data[offset:offset + header_size]
        if len(header) < header_size or header[:2] != b"CF":
            problems.add("%s: entry %d of %d has no complete header with CF" % (what, seen, count))
            return
        length = struct.unpack_from("<I", header, header_size - 4)[0]
        stream = data[offset + header_size:offset + header_size + length]
        if len(stream) != length:
            problems.add("%s: entry %d runs past the end" % (what, seen))
            return
        field = header[2:2 + name_size]
        if b"\0" not in field:
            problems.add("%s: entry %d has no zero in its name field" % (what, seen))
            return
        yield field.split(b"\0")[0], header, stream
        offset += header_size + length
        seen += 1
    if offset != len(data):
        problems.add("%s: %d bytes follow the last counted entry" % (what, len(data) - offset))


def check_long_header(name, header, content, problems):
    field = header[2:18]
    if field[len(name):] != b"\0" * (16 - len(name)):
        problems.add("%s: name field not zero-filled" % name.decode("gbk"))
    digest = header[18:52]
    expected = hashlib.md5(content).hexdigest().upper().encode("ascii")
    if digest != expected + b"\0\0":
        problems.add("%s: digest field %r, content digest %s" % (name.decode("gbk"), digest, expected))


def check_skin(name, data, problems):
    what = "skin " + name
    if len(data) > SKIN_READ_LIMIT:
        problems.add("%s: %d bytes, more than the installer reads" % (what, len(data)))
    if data[1:2] == b"0":
        problems.add("%s: long layout, skins use the short one" % what)
    names = set()
    for entry_name, _, stream in read_entries(data, problems, what):
        names.add(entry_name.decode("ascii"))
        if not zlib.decompress(stream):
            problems.add("%s: %s is empty" % (what, entry_name))
    if names != SKIN_FILES:
        problems.add("%s: holds %s" % (what, sorted(names)))


def compact_phrase_list(data):
    """The phrase-list compaction, from its description: keeps phrases of two
    or more two-byte characters followed by "; ", and appends the trailer.
    Bytes past the end read as 0; a pair reaching past the end is cut."""
    if len(data) >= 12 and data[-12:-8] == b"VORL":
        return bytes(data)
    b = bytearray(data)
    n = len(b)
    at = lambda i: b[i] if i < n else 0
    out = bytearray()
    total = count = r = 0
    while r < n:
        mark = len(out)
        run = 0
        while b[r] >= 0x81 and at(r + 1) >= 0x40:
            total += b[r] + b[r + 1]
            out += b[r:r + 2]
            r += 2
            run += 1
            if r >= n:
                break
        if run >= 2 and at(r) == ord(";") and at(r + 1) == ord(" "):
            count += 1
        else:
            del out[mark:]
            while r < n and b[r] != ord(";") and at(r + 1) != ord(" "):
                r += 1
            if r >= n:
                break
        pair = 2 if r + 1 < n else 1
        out += b[r:r + pair]
        r += pair
    return bytes(out) + b"VORL" + struct.pack("<II", total & 0xFFFFFFFF, count)


def check_installed(folder, payload, problems):
    for name in sorted(set(os.listdir(payload)) - REARRANGED_BY_DEPLOYMENT):
        expected = open(os.path.join(payload, name), "rb").read()
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            problems.add("installed: %s is missing" % name)
            continue
        if name == COMPACTED_ENTRY:
            expected = compact_phrase_list(expected)
        if open(path, "rb").read() != expected:
            problems.add("installed: %s differs from the payload" % name)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("package")
    parser.add_argument("payload")
    parser.add_argument("--installed")
    arguments = parser.parse_args()
    package, payload = arguments.package, arguments.payload
    data = open(package, "rb").read()
    problems = Problems()
    if data[1:2] != b"0":
        problems.add("package: layout byte %r, not the long layout" % data[1:2])
    payload_names = set(os.listdir(payload))
    names, largest, inflated = [], 0, 0
    for raw_name, header, stream in read_entries(data, problems, "package"):
        name = raw_name.decode("gbk")
        content = zlib.decompress(stream)
        names.append(name)
        largest, inflated = max(largest, len(content)), inflated + len(content)
        check_long_header(raw_name, header, content, problems)
        if not content or len(content) > INSTALLER_CAPACITY:
            problems.add("%s: inflates to %d bytes" % (name, len(content)))
        if name not in payload_names:
            problems.add("%s: not in the payload" % name)
        elif open(os.path.join(payload, name), "rb").read() != content:
            problems.add("%s: differs from the payload file" % name)
        if name.endswith(".voz"):
            check_skin(name, content, problems)
    count = struct.unpack_from("<I", data, 6)[0] if len(data) >= 10 else 0
    if len(names) != count or len(set(names)) != len(names):
        problems.add("package: %d entries read, %d distinct, %d counted" % (len(names), len(set(names)), count))
    for missing in sorted(payload_names - set(names)):
        problems.add("%s: in the payload but not in the package" % missing)
    if arguments.installed:
        check_installed(arguments.installed, payload, problems)
    print("package: %d entries, %d bytes, %d bytes inflated, largest entry %d bytes"
          % (len(names), len(data), inflated, largest))
    for problem in problems:
        print("PROBLEM " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
