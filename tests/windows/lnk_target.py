#!/usr/bin/env python3
"""Prints a Windows shortcut's (.lnk) target path and then its arguments, a line each:
what Explorer starts, and what it puts before the files it hands over."""
import struct
import sys

HAS_ID_LIST, HAS_LINK_INFO, IS_UNICODE = 0x1, 0x2, 0x80
# The string data after the link information, in their order: name, relative path, working
# folder, arguments, icon location.
STRINGS = (0x4, 0x8, 0x10, 0x20, 0x40)


def read(path):
    data = open(path, "rb").read()
    if struct.unpack_from("<I", data, 0)[0] != 0x4C:
        sys.exit(f"{path}: not a shortcut")
    flags = struct.unpack_from("<I", data, 0x14)[0]
    at = 0x4C
    if flags & HAS_ID_LIST:
        at += 2 + struct.unpack_from("<H", data, at)[0]
    target = ""
    if flags & HAS_LINK_INFO:
        size, _, _, _, base = struct.unpack_from("<IIIII", data, at)
        end = data.index(b"\0", at + base)
        target = data[at + base:end].decode("latin-1")  # the ANSI code page; ASCII here
        at += size
    strings = {}
    for bit in STRINGS:
        if flags & bit:
            count = struct.unpack_from("<H", data, at)[0]
            width = 2 if flags & IS_UNICODE else 1
            raw = data[at + 2:at + 2 + count * width]
            # Wine counts a closing NUL in, Windows does not.
            strings[bit] = raw.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
            at += 2 + count * width
    return target, strings.get(0x20, "")


if __name__ == "__main__":
    for line in read(sys.argv[1]):
        print(line)
