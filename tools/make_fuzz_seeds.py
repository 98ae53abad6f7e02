#!/usr/bin/python3
"""Writes the fuzzers' small seed corpus: little TGA images of each kind the decoder knows."""
import os
import struct
import sys


def tga(image_type, width, height, depth, body):
    header = bytes([0, 0, image_type, 0, 0, 0, 0, 0]) + struct.pack("<HHHHBB", 0, 0, width,
                                                                    height, depth, 0x08)
    return header + body


def main(out):
    os.makedirs(out, exist_ok=True)
    seeds = {
        # 4x2 32-bit: a run of 3, then 5 raw pixels
        "rle32.tga": tga(10, 4, 2, 32, bytes([0x82, 1, 2, 3, 255, 0x04]) + bytes(range(20))),
        # 3x1 24-bit raw packet
        "rle24.tga": tga(10, 3, 1, 24, bytes([0x02]) + bytes(range(9))),
        # 130 pixels: a run of 128 and a run of 2
        "runs.tga": tga(10, 130, 1, 24, bytes([0xFF, 9, 9, 9, 0x81, 1, 1, 1])),
        "raw32.tga": tga(2, 2, 2, 32, bytes(range(16))),
        "raw24.tga": tga(2, 1, 3, 24, bytes(range(9))),
    }
    for name, data in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "tests/fuzz/seeds/tga")
