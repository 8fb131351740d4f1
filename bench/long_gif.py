#!/usr/bin/env python3
"""long_gif.py OUT FRAMES SIDE: a GIF of FRAMES frames of SIDE x SIDE, each covering the canvas,
its pixels written as literal codes only, so that the file is about 1.13 * SIDE^2 bytes a frame:
4200 frames of 176, 196 and 295 px make the 147, 181 and 409 MB files the memory cases use.
Eight frames' data repeat, shifted diagonal bands of a grey palette."""
import struct
import sys


def image_data(side, shift):
    clear, codes_per_clear = 256, 256 - 3
    out, bits, pending = bytearray(), 0, 0
    for i in range(side * side):
        if i % codes_per_clear == 0:
            bits |= clear << pending
            pending += 9
        x, y = i % side, i // side
        bits |= ((x + y + shift * 32) & 255) << pending
        pending += 9
        while pending >= 8:
            out.append(bits & 255)
            bits >>= 8
            pending -= 8
    bits |= (clear + 1) << pending
    pending += 9
    while pending > 0:
        out.append(bits & 255)
        bits >>= 8
        pending -= 8
    blocks = bytearray([8])
    for at in range(0, len(out), 255):
        piece = out[at:at + 255]
        blocks += bytes([len(piece)]) + piece
    return bytes(blocks + b"\0")


def main():
    out, frames, side = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    frame_head = b"\x21\xf9\x04\x04\x04\x00\x00\x00" + b"\x2c" + struct.pack("<HHHH", 0, 0, side, side) + b"\x00"
    data = [frame_head + image_data(side, k) for k in range(8)]
    with open(out, "wb") as f:
        f.write(b"GIF89a" + struct.pack("<HH", side, side) + b"\xf7\x00\x00")
        f.write(bytes(v for i in range(256) for v in (i, i, i)))
        f.write(b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00")
        for i in range(frames):
            f.write(data[i % 8])
        f.write(b"\x3b")


main()
