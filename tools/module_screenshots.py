#!/usr/bin/python3
"""Saves a screenshot of each of the twenty modules, drawn with its default view at
640 x 480 under Wine, into docs/modules/ (or the folder given as the first argument).

Each module is drawn by the scene probe for a few seconds from its first frame; the picture is
taken after SECONDS seconds of animation.
"""
import os
import re
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(os.environ.get("BUILD", os.path.join(ROOT, "build")))
PROBE = os.path.join(BUILD, "tests", "scene_probe.exe")
SECONDS = float(os.environ.get("SECONDS_BEFORE_SHOT", "3"))
NAMES = ["Shechen", "Jokhang", "Mindroling", "Tsurphu", "Palpung", "Kathok", "Samdrup",
         "Drepung", "Sera", "Dzogchen", "Menri", "Samye", "Dorje Drak", "Nyingma", "Kagyu",
         "Sakya", "Surmang", "Ganden", "Palyul", "Gelug"]


def start_display(env):
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "640x480x24",
                             "-nolisten", "tcp"], pass_fds=[write_fd], stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as f:
        env["DISPLAY"] = ":" + f.readline().strip()
    return xvfb


def main():
    out_dir = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "docs",
                                                                                  "modules"))
    os.makedirs(out_dir, exist_ok=True)
    env = dict(os.environ, WINEPREFIX=os.path.join(BUILD, "wineprefix"), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    xvfb = start_display(env)
    log = tempfile.TemporaryFile()
    try:
        subprocess.run(["wineserver", "-k"], env=env)
        subprocess.run(["wineserver", "-p"], env=env)
        subprocess.run(["wine", "cmd", "/c", "exit"], env=env, stdout=log, stderr=log)
        for k, name in enumerate(NAMES, start=1):
            with tempfile.TemporaryFile("w+") as out:
                proc = subprocess.Popen(["wine", PROBE, "show", str(k), str(SECONDS + 2)],
                                        env=env, stdout=out, stderr=log)
                time.sleep(SECONDS + 1)  # Wine's start plus the animation
                path = os.path.join(out_dir, f"{k:02d}-{name.lower().replace(' ', '-')}.png")
                subprocess.run(["import", "-window", "root", path], env=env, check=True)
                proc.wait(60)
                out.seek(0)
                result = out.read().strip()
            if not re.search(r"errors=0", result):
                print(f"warning: module {k}: {result}")
            print(path)
    finally:
        subprocess.run(["wineserver", "-k"], env=env)
        xvfb.terminate()
    return 0


if __name__ == "__main__":
    sys.exit(main())
