#!/usr/bin/env python3
"""quillmorph.ico as Explorer wants it: the sizes 16 to 256, each below 256 a 32-bit bitmap
with its AND mask, 256 a PNG; and each program given carrying those very images.
usage: ico_check.py ICO EXE..."""
import struct
import sys

SIZES = [16, 20, 24, 32, 40, 48, 64, 256]


def entries(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind) != (0, 1):
        yield None, b"not an icon file"
        return
    for i in range(count):
        width, height, _, _, _, bits, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        yield (width or 256, height or 256, bits), data[offset:offset + length]


def faults(data):
    found = list(entries(data))
    if [e[0][0] for e in found if e[0]] != SIZES:
        yield f"sizes {[e[0] for e in found]}, not {SIZES}"
        return
    for (width, height, bits), image in found:
        if width == 256:
            if image[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack_from(">II", image, 16) != (256, 256):
                yield "the 256 image is no 256x256 PNG"
            continue
        if len(image) < 40:
            yield f"the {width} image is cut short"
            continue
        size, w, h, _, depth = struct.unpack_from("<IiiHH", image, 0)
        mask_row = (width + 31) // 32 * 4
        if (size, w, h, depth, bits) != (40, width, 2 * height, 32, 32) or \
                len(image) != 40 + width * height * 4 + mask_row * height:
            yield f"the {width} image is no 32-bit bitmap with its mask"


def main():
    data = open(sys.argv[1], "rb").read()
    problems = list(faults(data))
    images = [image for _, image in entries(data)]
    for exe in sys.argv[2:]:
        held = open(exe, "rb").read()
        if not all(image in held for image in images):
            problems.append(f"{exe} does not carry quillmorph.ico")
    for problem in problems:
        print(f"ico_check: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
