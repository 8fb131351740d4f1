#!/usr/bin/env python3
"""Prints a shortcut's (.lnk) target path, then its arguments: what Explorer starts, and what
it puts before the files it hands over.  usage: lnk_target.py FILE.lnk"""
import struct
import sys

data = open(sys.argv[1], "rb").read()
flags = struct.unpack_from("<I", data, 0x14)[0]
at = 0x4C
if flags & 0x1:  # the target as a shell item list, skipped
    at += 2 + struct.unpack_from("<H", data, at)[0]
target = ""
if flags & 0x2:  # the target as a path, in the ANSI code page (ASCII here)
    size, base = struct.unpack_from("<I12xI", data, at)
    target = data[at + base:data.index(b"\0", at + base)].decode("latin-1")
    at += size
strings = {}
width = 2 if flags & 0x80 else 1
for bit in (0x4, 0x8, 0x10, 0x20, 0x40):  # name, relative path, folder, arguments, icon
    if flags & bit:
        count = struct.unpack_from("<H", data, at)[0]
        raw = data[at + 2:at + 2 + count * width]
        # Wine counts a closing NUL in, Windows does not.
        strings[bit] = raw.decode("utf-16-le" if width == 2 else "latin-1").rstrip("\0")
        at += 2 + count * width
print(target)
print(strings.get(0x20, ""))
