#!/usr/bin/python3
"""What the full-screen saver costs on today's desktops: the copies onto a second monitor, and
the processor use while the display is off.

Monitors: the saver on module 1 for a measuring window, on one 800 x 600 monitor and then on two
(800 x 600 primary beside a second monitor of the same shape, whose copy is not scaled, or of
another shape, whose copy is scaled by 0.6 with black bars). The two monitors come from a
test-only libXinerama (tests/windows/system/fake_xinerama.c, built here with the host compiler)
on one wide Xvfb screen without RANDR. Display off: the saver told by a display-state notification
(as Windows sends it) that the display went off, then on again. 100 % is one core fully busy;
processor time counts every thread of the saver, Mesa's renderer threads included.

    BUILD=build /usr/bin/python3 tools/desktop_bench.py [SECONDS]     (default 8)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cpu_bench import cpu_seconds  # noqa: E402
from soak import (SCR, WINTOOL, count_frames, prepare_saver, restore_saver,  # noqa: E402
                  wait_saver_window)
from virtual_desktop import VirtualDesktop  # noqa: E402

BUILD = os.path.abspath(os.environ.get("BUILD", "build"))
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
LAYOUTS = [  # name, X screen, Xinerama heads (primary first), or None for no Xinerama
    ("one monitor, 800x600", (800, 600), None),
    ("two monitors, 800x600 + 800x600 (copy 1:1)", (1600, 600), "800x600+0+0,800x600+800+0"),
    ("two monitors, 800x600 + 640x360 (copy at 0.6)", (1440, 600), "800x600+0+0,640x360+800+0"),
]


def measure(saver, trace, seconds):
    """Processor use (share of one core) and frames per second over seconds."""
    t0, c0, f0 = time.monotonic(), cpu_seconds(saver.pid), count_frames(trace)
    time.sleep(seconds)
    wall = time.monotonic() - t0
    return (cpu_seconds(saver.pid) - c0) / wall, (count_frames(trace) - f0) / wall


def run_layout(screen, heads, library_dir, work, seconds, display_off):
    env = {"LD_LIBRARY_PATH": library_dir, "VELTA_TEST_HEADS": heads} if heads else {}
    xvfb = ["-extension", "RANDR"] if heads else []
    with VirtualDesktop(BUILD, *screen, xvfb, env) as desk:
        prepare_saver(desk, 9999, False)
        trace = os.path.join(work, "trace.txt")
        subprocess.run(["xdotool", "mousemove", "300", "200"], env=desk.env)
        try:
            with open(trace, "w") as out:
                saver = subprocess.Popen(["wine", SCR, "/s"],
                                         env=dict(desk.env, WINEDEBUG="+relay"), stdout=out,
                                         stderr=subprocess.STDOUT)
            hwnd = wait_saver_window(desk, 30)
            time.sleep(2)
            rows = [measure(saver, trace, seconds)]
            if display_off:
                for state in ("0", "1"):
                    subprocess.run(["wine", WINTOOL, "power", hwnd, state], env=desk.env,
                                   capture_output=True)
                    time.sleep(1)
                    rows.append(measure(saver, trace, seconds))
            subprocess.run(["xdotool", "key", "Escape"], env=desk.env)
            saver.wait(60)
        finally:
            restore_saver(desk)
    return rows


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 8.0
    work = tempfile.mkdtemp(prefix="velta-desktop-bench-")
    try:
        subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o",
                        os.path.join(work, "libXinerama.so.1"),
                        os.path.join(ROOT, "tests", "windows", "system", "fake_xinerama.c")], check=True)
        print(f"the saver on module 1, {seconds:g} s per figure (100 % = one core)")
        print("| desktop | saver | frames/s | processor ms per frame |")
        print("|---|---|---|---|")
        for name, screen, heads in LAYOUTS:
            rows = run_layout(screen, heads, work, work, seconds, heads is None)
            labels = [name] if heads else [name, "the same, display off",
                                           "the same, display on again"]
            for label, (busy, fps) in zip(labels, rows):
                per_frame = f"{1000 * busy / fps:.1f}" if fps > 0.5 else "-"
                print(f"| {label} | {100 * busy:.1f} % | {fps:.1f} | {per_frame} |", flush=True)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
