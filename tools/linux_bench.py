#!/usr/bin/python3
"""Processor use of the Linux program beside the Windows saver under Wine and three of
XScreenSaver's own OpenGL hacks, and the Linux program's start to its first frame.

All on one 800 x 600 Xvfb with Mesa's llvmpipe. Per module: `velta2 -root -module N -stepped`
(one frame per 31 ms step, the saver's pacing; tools/web_bench.py measures the frames at the
display's rate), then the Windows saver with all modules enabled, stepped to module N with
Enter (one run, as tools/cpu_bench.py does). XScreenSaver's pipes, molecule and glmatrix run with `-root -delay
31000`, the same 31 ms between frames. Frames of the native programs are counted by
tools/count_swaps.c, built here and preloaded, which wraps their buffer swaps; those of the
saver under Wine from Wine's relay trace of SwapBuffers. Processor time counts every thread of
the process, Mesa's renderer threads included. 100 % is one core.

    BUILD=build LINUX_BUILD=build-linux /usr/bin/python3 tools/linux_bench.py [SECONDS]
"""
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cpu_bench import NAMES, cpu_seconds  # noqa: E402
from soak import (SCR, count_frames, prepare_saver, restore_saver,  # noqa: E402
                  wait_saver_window)
from virtual_desktop import VirtualDesktop  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(os.environ.get("BUILD", "build"))
VELTA2 = os.path.join(os.path.abspath(os.environ.get("LINUX_BUILD", "build-linux")), "linux",
                      "velta2")
HACKS = ["pipes", "molecule", "glmatrix"]
HACK_DIR = "/usr/libexec/xscreensaver"
WARM_UP = 1.5


class Counted:
    """A program started with the frame counter preloaded."""

    def __init__(self, args, env, log):
        self.log = log
        self.started = time.monotonic()
        self.proc = subprocess.Popen(args, env=dict(env, VELTA_SWAP_LOG=log),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def frames(self):
        """(frames so far, monotonic second of the first one) or (0, None) before the first."""
        try:
            with open(self.log) as f:
                count, first = f.read().split()
        except FileNotFoundError:
            return 0, None
        return int(count), int(first) / 1e9

    def measure(self, seconds):
        """Share of one core and frames per second over seconds."""
        t0, c0, f0 = time.monotonic(), cpu_seconds(self.proc.pid), self.frames()[0]
        time.sleep(seconds)
        wall = time.monotonic() - t0
        return (cpu_seconds(self.proc.pid) - c0) / wall, (self.frames()[0] - f0) / wall

    def stop(self):
        self.proc.terminate()
        return self.proc.wait(30)


class Traced(Counted):
    """The Windows saver under Wine, whose OpenGL library Wine loads by hand, out of the
    counter's reach: its frames are counted from Wine's relay trace of SwapBuffers instead."""

    def __init__(self, args, env, log):
        self.log = log
        with open(log, "w") as out:
            self.proc = subprocess.Popen(args, env=dict(env, WINEDEBUG="+relay"), stdout=out,
                                         stderr=subprocess.STDOUT)

    def frames(self):
        return count_frames(self.log), None


def cells(figures):
    """Processor use, frames per second and processor milliseconds per frame, as table cells."""
    busy, fps = figures
    per_frame = f"{1000 * busy / fps:.1f}" if fps > 0.5 else "-"
    return f"{100 * busy:.0f} % | {fps:.1f} | {per_frame}"


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 5.0
    work = tempfile.mkdtemp(prefix="velta-linux-bench-")
    try:
        counter = os.path.join(work, "libcount_swaps.so")
        subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", counter,
                        os.path.join(ROOT, "tools", "count_swaps.c"), "-ldl"], check=True)
        with VirtualDesktop(BUILD, 800, 600) as desk:
            env = dict(desk.env, LD_PRELOAD=counter, XDG_CONFIG_HOME=work)
            native = []
            for k in range(1, 21):
                program = Counted([VELTA2, "-root", "-module", str(k), "-stepped"], env,
                                  os.path.join(work, f"native-{k}"))
                time.sleep(WARM_UP)
                native.append(program.measure(seconds))
                program.stop()
            starts = []
            for i in range(3):
                program = Counted([VELTA2, "-root"], env, os.path.join(work, f"start-{i}"))
                while program.frames()[1] is None and time.monotonic() - program.started < 20:
                    time.sleep(0.02)
                starts.append(program.frames()[1] - program.started)
                program.stop()
            hacks = []
            for hack in HACKS:
                program = Counted([os.path.join(HACK_DIR, hack), "-root", "-delay", "31000"], env,
                                  os.path.join(work, hack))
                time.sleep(WARM_UP)
                hacks.append(program.measure(seconds))
                program.stop()
            prepare_saver(desk, 9999, False)
            try:
                subprocess.run(["xdotool", "mousemove", "300", "200"], env=desk.env)
                saver = Traced(["wine", SCR, "/s"], desk.env, os.path.join(work, "wine"))
                wait_saver_window(desk, 30)
                wine = []
                for k in range(1, 21):
                    if k > 1:
                        subprocess.run(["xdotool", "key", "Return"], env=desk.env)
                    time.sleep(WARM_UP)
                    wine.append(saver.measure(seconds))
                subprocess.run(["xdotool", "key", "Escape"], env=desk.env)
                saver.proc.wait(60)
            finally:
                restore_saver(desk)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print(f"processor use at 800x600 on Xvfb with llvmpipe, {seconds:g} s per figure "
          "(100 % = one core)")
    print("| # | module | velta2 (Linux) | frames/s | ms per frame | velta2.scr (Wine) | "
          "frames/s | ms per frame |")
    print("|---|---|---|---|---|---|---|---|")
    for k in range(1, 21):
        print(f"| {k} | {NAMES[k - 1]} | {cells(native[k - 1])} | {cells(wine[k - 1])} |")
    mean = lambda rows: (statistics.mean(r[0] for r in rows), statistics.mean(r[1] for r in rows))
    print(f"| | mean | {cells(mean(native))} | {cells(mean(wine))} |")
    print()
    print("| XScreenSaver hack, -delay 31000 | processor | frames/s | ms per frame |")
    print("|---|---|---|---|")
    for hack, figures in zip(HACKS, hacks):
        print(f"| {hack} | {cells(figures)} |")
    print()
    print(f"velta2 -root, start to first frame: {1000 * statistics.median(starts):.0f} ms "
          f"(median of 3: {', '.join(f'{1000 * s:.0f}' for s in starts)})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
