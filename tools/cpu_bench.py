#!/usr/bin/python3
"""Processor use of the full-screen saver under Wine, per module, with and without sound.

One saver run per sound setting, all twenty modules enabled and a cycle time long enough that
the saver never moves on by itself: it starts on module 1 and Enter steps to the next one.
For each module the script waits a moment, then reads the processor time the saver process
(all its threads, Mesa's renderer threads included) and, with sound, the PulseAudio server
used over a measuring window, and the frames presented in that window (counted from Wine's
relay trace of SwapBuffers). 100 % is one core fully busy.

    BUILD=build /usr/bin/python3 tools/cpu_bench.py [SECONDS-PER-MODULE]     (default 5)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from soak import (SCR, SETTINGS, count_frames, prepare_saver, reg,  # noqa: E402
                  restore_saver, start_sound, wait_saver_window)
from virtual_desktop import VirtualDesktop  # noqa: E402

BUILD = os.path.abspath(os.environ.get("BUILD", "build"))
NAMES = ["Shechen", "Jokhang", "Mindroling", "Tsurphu", "Palpung", "Kathok", "Samdrup",
         "Drepung", "Sera", "Dzogchen", "Menri", "Samye", "Dorje Drak", "Nyingma", "Kagyu",
         "Sakya", "Surmang", "Ganden", "Palyul", "Gelug"]
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pid):
    """User plus system time of a process, all threads, in seconds."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def pulse_pid(env):
    out = subprocess.run(["pgrep", "-x", "-U", str(os.getuid()), "pulseaudio"],
                         capture_output=True, text=True).stdout.split()
    runtime = env.get("XDG_RUNTIME_DIR", "")
    for pid in out:
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if f"XDG_RUNTIME_DIR={runtime}".encode() in f.read().split(b"\0"):
                    return int(pid)
        except OSError:
            pass
    return None


def run(desk, sound, seconds, trace):
    reg(desk, "add", SETTINGS, "/v", "enable sound", "/t", "REG_DWORD", "/d",
        "1" if sound else "0", "/f")
    subprocess.run(["xdotool", "mousemove", "300", "200"], env=desk.env)
    with open(trace, "w") as out:
        saver = subprocess.Popen(["wine", SCR, "/s"], env=dict(desk.env, WINEDEBUG="+relay"),
                                 stdout=out, stderr=subprocess.STDOUT)
    wait_saver_window(desk, 30)
    pulse = pulse_pid(desk.env) if sound else None
    rows = []
    for k in range(1, 21):
        if k > 1:
            subprocess.run(["xdotool", "key", "Return"], env=desk.env)
        time.sleep(1.5)
        t0, c0, f0 = time.monotonic(), cpu_seconds(saver.pid), count_frames(trace)
        p0 = cpu_seconds(pulse) if pulse else 0.0
        time.sleep(seconds)
        wall = time.monotonic() - t0
        busy = (cpu_seconds(saver.pid) - c0) / wall
        audio = ((cpu_seconds(pulse) - p0) / wall) if pulse else 0.0
        rows.append((k, busy, audio, (count_frames(trace) - f0) / wall))
    subprocess.run(["xdotool", "key", "Escape"], env=desk.env)
    code = saver.wait(60)
    return rows, code


def main():
    seconds = float(sys.argv[1]) if len(sys.argv) > 1 else 5.0
    runtime = tempfile.mkdtemp(prefix="velta-cpu-pulse-")
    os.chmod(runtime, 0o700)
    work = tempfile.mkdtemp(prefix="velta-cpu-")
    with VirtualDesktop(BUILD, 640, 480) as desk:
        pulse_env = start_sound(desk, runtime)
        try:
            prepare_saver(desk, 9999, False)
            quiet, code_quiet = run(desk, False, seconds, os.path.join(work, "quiet.txt"))
            loud, code_loud = run(desk, True, seconds, os.path.join(work, "loud.txt"))
        finally:
            restore_saver(desk)
            subprocess.run(["pulseaudio", "--kill"], env=pulse_env)
            shutil.rmtree(runtime, ignore_errors=True)
            shutil.rmtree(work, ignore_errors=True)
    print(f"processor use of the saver at 640x480, {seconds:g} s per module "
          f"(100 % = one core; exit codes {code_quiet} and {code_loud})")
    print("| # | module | saver, no sound | frames/s | saver, sound | frames/s | "
          "PulseAudio server |")
    print("|---|---|---|---|---|---|---|")
    for (k, busy, _, fps), (_, busy_s, audio, fps_s) in zip(quiet, loud):
        print(f"| {k} | {NAMES[k - 1]} | {100 * busy:.0f} % | {fps:.1f} | {100 * busy_s:.0f} % "
              f"| {fps_s:.1f} | {100 * audio:.1f} % |")
    mean = lambda rows, i: 100 * sum(r[i] for r in rows) / len(rows)
    print(f"| | mean | {mean(quiet, 1):.0f} % | {mean(quiet, 3) / 100:.1f} | "
          f"{mean(loud, 1):.0f} % | {mean(loud, 3) / 100:.1f} | {mean(loud, 2):.1f} % |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
