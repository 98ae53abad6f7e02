#!/usr/bin/python3
"""Writes the fuzzers' small seed corpora: little TGA images of each kind the decoder knows,
short Ogg Vorbis streams (mono, stereo, two chained streams) made with sox and oggenc, Linux
settings files, Linux command lines and the browser page's URL queries. Inputs that once found a
fault are kept among the seeds, so every fuzzing run tries them again first."""
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


def write_seeds(out, seeds):
    os.makedirs(out, exist_ok=True)
    for name, data in seeds.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(data)


def settings_seeds(out):
    write_seeds(out, {
        "saved.ini": b"# Velta II settings\n[Velta II]\nmod1 depth=4840\nmod1 xrot=-9000\n"
                     b"mod20 active=1\ncycle time=15\nenable sound=0\n",
        "by-hand.ini": b"; mine\r\n  mod3 depth = 4200 \t\r\n\tmod3 xrot\t=\t-7\n\n",
        "corrupt.ini": b"mod1 depth=4000\nmod1 horz=oops\n",
        # A zero byte once cut the name to nothing, and the save wrote a line the next run refused.
        "zero-byte.ini": b"\x00\rD=\x00\x8a",
    })


def options_seeds(out):
    """Command lines as the options fuzzer reads them: $XSCREENSAVER_WINDOW (empty: unset), then
    each argument, all cut by zero bytes."""
    lines = {
        "own-window": ["", "-window", "-module", "3", "-cycle", "30", "-sound", "-fps"],
        "root": ["", "--root", "--no-samye", "--no-dorje-drak", "--cycle", "9999"],
        "given": ["", "-window-id", "0x1c00007", "-modules", "1,3,5-7", "-display", ":1"],
        "xscreensaver": ["0x2a00005", "-root", "-no-sound"],
    }
    write_seeds(out, {name: b"\x00".join(a.encode() for a in args)
                      for name, args in lines.items()})


def url_seeds(out):
    """Queries of the browser page's URL."""
    write_seeds(out, {
        "modules": b"?modules=1,3,5-7&cycle=30&sound=1&fps=1",
        "left-out": b"?no-samye&no-dorje-drak&module=12",
        "encoded": b"?modules=2%2C4-6&cycle=%31%30+&sound=true&fps=0",
        "bad": b"?cycle=0&module=21&%zz",
    })


if __name__ == "__main__":
    kind, out = sys.argv[1], sys.argv[2]
    {"tga": tga_seeds, "ogg": ogg_seeds, "settings": settings_seeds,
     "options": options_seeds, "url": url_seeds}[kind](out)
