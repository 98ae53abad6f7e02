#!/usr/bin/python3
"""Prints start-up, texture-decode and memory figures of the real saver under Wine.

Start-up is measured from process start to the window's appearance and to the first frame on
screen that is not black; memory is the saver process's peak resident size after it has run
for a while (Wine's own share included). Each figure is the median of a few runs.
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

from PIL import ImageGrab

BUILD = os.path.abspath(os.environ.get("BUILD", "build"))
SCR = os.path.join(BUILD, "velta2.scr")
WINTOOL = os.path.join(BUILD, "tests", "wintool.exe")
RUNS = 3
SIZE = (640, 480)


def start_display(env):
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
                             f"{SIZE[0]}x{SIZE[1]}x24", "-nolisten", "tcp"],
                            pass_fds=[write_fd], stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as f:
        env["DISPLAY"] = ":" + f.readline().strip()
    return xvfb


def window_up(env, log):
    return subprocess.run(["wine", WINTOOL, "find", "WindowsScreenSaverClass", "Screen Saver"],
                          env=env, stdout=log, stderr=log).returncode == 0


def not_black(env):
    image = ImageGrab.grab(xdisplay=env["DISPLAY"])
    return image.convert("L").getextrema()[1] > 16


def peak_rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmHWM:"):
                return int(line.split()[1])
    return 0


def one_run(env, log):
    start = time.monotonic()
    proc = subprocess.Popen(["wine", SCR, "/s"], env=env, stdout=log, stderr=log)
    window = frame = None
    while time.monotonic() - start < 20:
        now = time.monotonic() - start
        if window is None and window_up(env, log):
            window = now
        if frame is None and not_black(env):
            frame = time.monotonic() - start
        if window is not None and frame is not None:
            break
        time.sleep(0.02)
    time.sleep(max(0.0, 10 - (time.monotonic() - start)))
    rss = peak_rss_kib(proc.pid) if proc.poll() is None else 0
    subprocess.run(["xdotool", "key", "Escape"], env=env)
    proc.wait(20)
    return window, frame, rss


def main():
    env = dict(os.environ, WINEPREFIX=os.path.join(BUILD, "wineprefix"), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    xvfb = start_display(env)
    log = tempfile.TemporaryFile()
    try:
        subprocess.run(["wineserver", "-k"], env=env)
        subprocess.run(["wineserver", "-p"], env=env)
        subprocess.run(["wine", "cmd", "/c", "exit"], env=env, stdout=log, stderr=log)
        out = subprocess.run(["wine", os.path.join(BUILD, "tests", "tga_bench.exe")], env=env,
                             stdout=subprocess.PIPE, stderr=log, text=True).stdout
        print(out.strip())
        runs = [one_run(env, log) for _ in range(RUNS)]
        fmt = lambda xs: ("%.0f ms" % (1000 * statistics.median(xs))) if xs else "n/a"
        print(f"start-up to window ({SIZE[0]}x{SIZE[1]}, median of {RUNS}):",
              fmt([w for w, _, _ in runs if w is not None]))
        print(f"start-up to first non-black frame (median of {RUNS}):",
              fmt([f for _, f, _ in runs if f is not None]))
        print("peak resident memory after 10 s (median, Wine included): %d KiB"
              % statistics.median(r for _, _, r in runs))
    finally:
        subprocess.run(["wineserver", "-k"], env=env)
        xvfb.terminate()
    return 0


if __name__ == "__main__":
    sys.exit(main())
