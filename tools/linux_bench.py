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

With --before BEFORE_BUILD BEFORE_LINUX_BUILD it compares two builds instead (say one of an
earlier commit), side by side in one run with the three hacks, each program measured for
SECONDS (default 10) after 3 s of start-up, first with Mesa drawing no pixels (GALLIUM_NOOP=1:
every call and its vertex work remain, as with a graphics card) and then with llvmpipe's
pixels: velta2 -root -module 1, 4 and 17, and velta2.scr /s with only module 4 or 17 enabled
and with all twenty cycling (one second each). It also counts the OpenGL calls a frame of
velta2 -root -module 1, 4 and 17 makes, from an apitrace trace of each build's first frames.
Figures are processor time used by the process itself, so other load on the machine changes
them little. DISPLAY_NUMBER picks the Xvfb display (default: the first free one).

    BUILD=build LINUX_BUILD=build-linux /usr/bin/python3 tools/linux_bench.py \
        --before BEFORE_BUILD BEFORE_LINUX_BUILD [SECONDS]
"""
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from cpu_bench import NAMES, cpu_seconds  # noqa: E402
from soak import (SCR, SETTINGS, count_frames, prepare_saver, reg,  # noqa: E402
                  restore_saver, wait_saver_window)
from virtual_desktop import VirtualDesktop  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(os.environ.get("BUILD", "build"))
VELTA2 = os.path.join(os.path.abspath(os.environ.get("LINUX_BUILD", "build-linux")), "linux",
                      "velta2")
HACKS = ["pipes", "molecule", "glmatrix"]
HACK_DIR = "/usr/libexec/xscreensaver"
WARM_UP = 1.5
SIDE_BY_SIDE_WARM_UP = 3.0
NATIVE_MODULES = [1, 4, 17]
SAVER_MODULES = [4, 17, "all"]
TRACED_FRAMES = 6  # frames of each traced run; the first, which compiles the shapes, is left out


class Counted:
    """A program started with the frame counter preloaded."""

    def __init__(self, args, env, log, session=False):
        """session: in a process group of its own, ended as a whole (a program under a tracer)."""
        self.log, self.session = log, session
        self.started = time.monotonic()
        self.proc = subprocess.Popen(args, env=dict(env, VELTA_SWAP_LOG=log),
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                     start_new_session=session)

    def frames(self):
        """(frames so far, monotonic second of the first one) or (0, None) before the first."""
        try:
            with open(self.log) as f:
                count, first = f.read().split()[:2]
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
        if self.session:
            os.killpg(self.proc.pid, signal.SIGTERM)
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline:  # until every process of the group has ended
                self.proc.poll()
                try:
                    os.killpg(self.proc.pid, 0)
                except ProcessLookupError:
                    break
                time.sleep(0.05)
        else:
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


def enable_only(desk, module):
    """Only the given module enabled, or all twenty cycling a second each for "all"."""
    for k in range(1, 21):
        on = int(module == "all" or k == module)
        reg(desk, "add", SETTINGS, "/v", f"mod{k} active", "/t", "REG_DWORD", "/d", str(on), "/f")
    reg(desk, "add", SETTINGS, "/v", "cycle time", "/t", "REG_DWORD", "/d",
        "1" if module == "all" else "9999", "/f")


def calls_per_frame(velta2, module, env, work):
    """The median number of OpenGL calls of a frame of velta2 -root -module N, from an apitrace
    trace of its first frames (all but the first, which also compiles the shapes)."""
    trace, log = os.path.join(work, "calls.trace"), os.path.join(work, "calls-swaps")
    program = Counted(["apitrace", "trace", "-o", trace, velta2, "-root", "-module", str(module)],
                      env, log, session=True)
    while program.frames()[0] <= TRACED_FRAMES and time.monotonic() - program.started < 120:
        time.sleep(0.05)
    program.stop()
    os.remove(log)
    dump = subprocess.Popen(["apitrace", "dump", "--color=never", "--arg-names=no", trace],
                            stdout=subprocess.PIPE, text=True, errors="replace")
    frames, calls = [], 0
    for line in dump.stdout:
        if line[:1].isdigit():
            calls += 1
            if " glXSwapBuffers(" in line:
                frames.append(calls)
                calls = 0
    dump.wait()
    os.remove(trace)
    return statistics.median(frames[1:TRACED_FRAMES])


def side_by_side(before_build, before_linux, seconds, display):
    builds = [("before", os.path.join(os.path.abspath(before_build), "velta2.scr"),
               os.path.join(os.path.abspath(before_linux), "linux", "velta2")),
              ("after", SCR, VELTA2)]
    work = tempfile.mkdtemp(prefix="velta-linux-bench-")
    rows, calls = [], []
    try:
        counter = os.path.join(work, "libcount_swaps.so")
        subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", counter,
                        os.path.join(ROOT, "tools", "count_swaps.c"), "-ldl"], check=True)
        with VirtualDesktop(BUILD, 800, 600, display=display) as desk:
            env = dict(desk.env, LD_PRELOAD=counter, XDG_CONFIG_HOME=work)
            for name, _, velta2 in builds:
                for k in NATIVE_MODULES:
                    calls.append((name, k, calls_per_frame(velta2, k, dict(env, GALLIUM_NOOP="1"),
                                                           work)))
            prepare_saver(desk, 9999, False)
            subprocess.run(["xdotool", "mousemove", "300", "200"], env=desk.env)
            try:
                for noop in (True, False):
                    mesa = {"GALLIUM_NOOP": "1"} if noop else {}
                    runs = [(hack, Counted, [os.path.join(HACK_DIR, hack), "-root", "-delay",
                                             "31000"], None) for hack in reversed(HACKS)]
                    for name, scr, velta2 in builds:
                        runs += [(f"velta2 -root -module {k}, {name}", Counted,
                                  [velta2, "-root", "-module", str(k)], None)
                                 for k in NATIVE_MODULES]
                        runs += [(f"velta2.scr /s, module {k}, {name}", Traced, ["wine", scr, "/s"],
                                  k) for k in SAVER_MODULES]
                    for label, kind, args, module in runs:
                        if module is not None:
                            enable_only(desk, module)
                        program = kind(args, dict(env if kind is Counted else desk.env, **mesa),
                                       os.path.join(work, "swaps"))
                        time.sleep(SIDE_BY_SIDE_WARM_UP)
                        rows.append((noop, label, program.measure(seconds)))
                        if module is not None:
                            subprocess.run(["xdotool", "key", "Escape"], env=desk.env)
                            program.proc.wait(60)
                        else:
                            program.stop()
                        if os.path.exists(program.log):
                            os.remove(program.log)
            finally:
                enable_only(desk, "all")
                restore_saver(desk)
    finally:
        shutil.rmtree(work, ignore_errors=True)

    print("OpenGL calls per frame of velta2 -root (apitrace, median of frames 2 to "
          f"{TRACED_FRAMES})")
    print("| module | before | after |")
    print("|---|---|---|")
    for k in NATIVE_MODULES:
        figures = {name: n for name, m, n in calls if m == k}
        print(f"| {k} | {figures['before']:.0f} | {figures['after']:.0f} |")
    print()
    print(f"processor use at 800x600 on Xvfb, {SIDE_BY_SIDE_WARM_UP:g} s start-up then "
          f"{seconds:g} s, processor time of the process (1.00 = one core)")
    print("| program | GALLIUM_NOOP=1 cores | frames/s | llvmpipe cores | frames/s |")
    print("|---|---|---|---|---|")
    for label in dict.fromkeys(label for _, label, _ in rows):
        cells_of = [f for noop in (True, False) for n, l, f in rows if n == noop and l == label]
        print(f"| {label} | " + " | ".join(f"{busy:.3f} | {fps:.1f}" for busy, fps in cells_of)
              + " |")
    return 0


def main():
    if len(sys.argv) > 3 and sys.argv[1] == "--before":
        display = os.environ.get("DISPLAY_NUMBER")
        return side_by_side(sys.argv[2], sys.argv[3],
                            float(sys.argv[4]) if len(sys.argv) > 4 else 10.0,
                            int(display) if display else None)
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
