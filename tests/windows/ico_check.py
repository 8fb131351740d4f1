#!/usr/bin/env python3
"""quillmorph.ico as Explorer wants it: 16 to 256 pixels, below 256 as 32-bit bitmaps with their
AND mask, 256 as a PNG; and each program given carrying those very images.
usage: ico_check.py ICO EXE..."""
import struct
import sys

SIZES = [16, 20, 24, 32, 40, 48, 64, 256]


def check(data, exes):
    count = struct.unpack_from("<HHH", data, 0)[2]
    for i in range(count):
        width, _, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        size, image = width or 256, data[offset:offset + length]
        if i >= len(SIZES) or size != SIZES[i]:
            yield f"image {i} is {size} pixels"
        elif size == 256:
            if image[:4] != b"\x89PNG" or struct.unpack_from(">II", image, 16) != (256, 256):
                yield "the 256 image is no 256x256 PNG"
        elif len(image) != 40 + size * size * 4 + (size + 31) // 32 * 4 * size or \
                struct.unpack_from("<IiiHH", image) != (40, size, 2 * size, 1, 32):
            yield f"the {size} image is no 32-bit bitmap with its mask"
        for exe, held in exes.items():
            if image not in held:
                yield f"{exe} lacks the {size} image"
    if count != len(SIZES):
        yield f"{count} images, not {len(SIZES)}"


problems = list(check(open(sys.argv[1], "rb").read(), {e: open(e, "rb").read() for e in sys.argv[2:]}))
for problem in problems:
    print(f"ico_check: {problem}", file=sys.stderr)
sys.exit(1 if problems else 0)
