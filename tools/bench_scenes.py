#!/usr/bin/python3
"""Scene benchmark: for the blank frame and each module 1 to 20, the time to draw one frame
and the achieved frame interval, at 640 x 480 and 1280 x 1024 under Wine with Mesa's
software renderer.

    /usr/bin/python3 tools/bench_scenes.py [--build build] [--frames 60]
"""
import argparse
import os
import tempfile

from virtual_desktop import VirtualDesktop


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default="build")
    parser.add_argument("--frames", default="60")
    parser.add_argument("--sizes", default="640x480,1280x1024")
    parser.add_argument("--modules", default="0-20")
    args = parser.parse_args()
    bench = os.path.join(args.build, "tests", "scene_bench.exe")
    for size in args.sizes.split(","):
        width, height = (int(v) for v in size.split("x"))
        with VirtualDesktop(args.build, width, height) as desk, \
                tempfile.NamedTemporaryFile("r", suffix=".txt") as out:
            code = desk.run([bench, "--frames", args.frames, "--modules", args.modules],
                            out.name)
            print(out.read(), end="" if code == 0 else f"(exit code {code})\n")
        print(f"load average after the run: {open('/proc/loadavg').read().split()[:3]}\n")


if __name__ == "__main__":
    main()
