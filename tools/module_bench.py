#!/usr/bin/python3
"""Prints the frame cost of every module at 640 x 480 and 1280 x 1024 under Wine.

Each module is drawn with its default view for a number of frames in a window of the given
size; a frame's cost is the time from the start of its drawing to the end of glFinish, so it
is the drawing itself without the saver's 31 ms pacing. Figures are the mean and the 95th
percentile in milliseconds, as a Markdown table.
"""
import os
import re
import subprocess
import sys
import tempfile

BUILD = os.path.abspath(os.environ.get("BUILD", "build"))
PROBE = os.path.join(BUILD, "tests", "scene_probe.exe")
FRAMES = int(os.environ.get("FRAMES", "40"))
SIZES = [(640, 480), (1280, 1024)]


def start_display(env):
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                             "1280x1024x24", "-nolisten", "tcp"],
                            pass_fds=[write_fd], stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as f:
        env["DISPLAY"] = ":" + f.readline().strip()
    return xvfb


def main():
    env = dict(os.environ, WINEPREFIX=os.path.join(BUILD, "wineprefix"), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    xvfb = start_display(env)
    log = tempfile.TemporaryFile()
    rows = {}
    try:
        subprocess.run(["wineserver", "-k"], env=env)
        subprocess.run(["wineserver", "-p"], env=env)
        subprocess.run(["wine", "cmd", "/c", "exit"], env=env, stdout=log, stderr=log)
        for w, h in SIZES:
            with tempfile.TemporaryFile("w+") as out:
                subprocess.run(["wine", PROBE, "bench", str(w), str(h), str(FRAMES)], env=env,
                               stdout=out, stderr=log, timeout=3600)
                out.seek(0)
                text = out.read()
            for m in re.finditer(r'module=(\d+) name="([^"]*)" mean_ms=([\d.]+) p95_ms=([\d.]+)',
                                 text):
                rows.setdefault((int(m[1]), m[2]), {})[(w, h)] = (m[3], m[4])
            errors = re.search(r"errors=(\d+)", text)
            if not errors or errors[1] != "0":
                print(f"warning: GL errors at {w}x{h}: {errors[1] if errors else 'no result'}")
    finally:
        subprocess.run(["wineserver", "-k"], env=env)
        xvfb.terminate()
    print(f"Frame cost per module, ms ({FRAMES} frames each after 10 warm-up frames, "
          "Wine + Mesa llvmpipe)\n")
    print("| # | Module | 640x480 mean | 640x480 p95 | 1280x1024 mean | 1280x1024 p95 |")
    print("|---|---|---|---|---|---|")
    for (k, name), by_size in sorted(rows.items()):
        cells = []
        for size in SIZES:
            mean, p95 = by_size.get(size, ("n/a", "n/a"))
            cells += [mean, p95]
        print(f"| {k} | {name} | " + " | ".join(cells) + " |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
