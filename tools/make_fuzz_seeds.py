#!/usr/bin/python3
"""Writes the fuzzers' small seed corpora: little TGA images of each kind the decoder knows, and
short Ogg Vorbis streams (mono, stereo, two chained streams) made with sox and oggenc."""
import os
import shutil
import struct
import subprocess
import sys
import tempfile


def tga(image_type, width, height, depth, body):
    header = bytes([0, 0, image_type, 0, 0, 0, 0, 0]) + struct.pack("<HHHHBB", 0, 0, width,
                                                                    height, depth, 0x08)
    return header + body


def ogg_seeds(out):
    """Needs sox and oggenc (vorbis-tools)."""
    os.makedirs(out, exist_ok=True)
    tmp = tempfile.mkdtemp()
    try:
        for name, channels in (("mono", 1), ("stereo", 2)):
            wav = os.path.join(tmp, name + ".wav")
            subprocess.run(["sox", "-n", "-r", "22050", "-c", str(channels), "-b", "16", wav, "synth", "0.2",
                            "sine", "440"], check=True)
            subprocess.run(["oggenc", "-Q", "-q", "0", "-o", os.path.join(out, name + ".ogg"),
                            wav], check=True)
        with open(os.path.join(out, "chained.ogg"), "wb") as f:
            for name in ("mono", "stereo"):
                with open(os.path.join(out, name + ".ogg"), "rb") as part:
                    f.write(part.read())
    finally:
        shutil.rmtree(tmp)


def tga_seeds(out):
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
    kind, out = sys.argv[1], sys.argv[2]
    {"tga": tga_seeds, "ogg": ogg_seeds}[kind](out)
