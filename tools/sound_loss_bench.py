#!/usr/bin/python3
"""Prints how the full-screen saver with sound on fares when its sound server dies: how long a
mouse movement takes to close it, with the server alive and with the server killed just before
(copies of the tune playing on it), and how soon a copy plays again once a server is back.

Each run starts velta2.scr /s with sound on (PulseAudio null sink), waits until a copy plays and
3.5 s more, then:
- alive:  moves the mouse and times the close;
- killed: kills the server (SIGTERM), starts it again 1 s later, times until a copy of the saver
  plays on it, kills it again, waits 0.3 s, moves the mouse and times the close.
The close time runs from the mouse movement to the end of the Wine process; frames are counted
from Wine's relay trace of SwapBuffers, over the 3.5 s before and the 1 s without the server.

Usage: BUILD=build /usr/bin/python3 tools/sound_loss_bench.py [RUNS]     (default 5 of each)
"""
import os
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "windows", "system"))
from conftest import Desktop, Sound, relay_traced, wait_until  # noqa: E402  (test harness)
from music_bench import Options  # noqa: E402
from test_music import kill_sound_server  # noqa: E402

BUILD = os.path.abspath(os.environ.get("BUILD", os.path.join(ROOT, "build")))
SETTINGS = r"HKCU\Software\Quillon\Velta II"


def frames(saver):
    """Frames shown so far: the relay trace's SwapBuffers calls in the saver's output."""
    with open(saver.output_path, errors="replace") as f:
        return sum(1 for line in f if "Call gdi32.SwapBuffers" in line)


def frame_rate(saver, seconds):
    first = frames(saver)
    time.sleep(seconds)
    return (frames(saver) - first) / seconds


def one_run(desktop, sound, trace_env, kill):
    """Figures of one run: close (seconds), code, fps (before), and for a kill fps_gone (while
    the server is gone) and back (seconds from the server's return to a copy on it, or None)."""
    desktop.xdotool("mousemove", 300, 200)
    saver = desktop.spawn([desktop.scr, "/s"], dict(sound.wine_env, **trace_env))
    run = {"back": None}
    try:
        if not wait_until(sound.velta_streams, 30):
            raise RuntimeError("the tune did not start")
        run["fps"] = frame_rate(saver, 3.5)
        if kill:
            kill_sound_server(sound)
            run["fps_gone"] = frame_rate(saver, 1.0)
            sound.start()
            started = time.monotonic()
            if wait_until(sound.velta_streams, 15, interval=0.05):
                run["back"] = time.monotonic() - started
            kill_sound_server(sound)
            time.sleep(0.3)
        moved = time.monotonic()
        desktop.xdotool("mousemove", 500, 400)
        run["code"] = saver.wait(60)
        run["close"] = time.monotonic() - moved
        return run
    finally:
        if saver.poll() is None:
            os.killpg(saver.pid, signal.SIGKILL)
        if subprocess.run(["pactl", "info"], env=sound.plain_env,
                          capture_output=True).returncode != 0:
            sound.start()


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    workdir = tempfile.mkdtemp(prefix="velta-sound-loss-")
    desktop = Desktop(Options(scr=os.path.join(BUILD, "velta2.scr"),
                              wintool=os.path.join(BUILD, "tests", "wintool.exe"),
                              build_dir=BUILD), workdir)
    desktop.start()
    sound = Sound(workdir)
    sound.start()
    desktop.reg("add", SETTINGS, "/v", "enable sound", "/t", "REG_DWORD", "/d", "1", "/f")
    results = {False: [], True: []}
    try:
        with relay_traced(desktop, ["gdi32.SwapBuffers"]) as trace_env:
            for i in range(runs):
                for kill in (False, True):
                    r = one_run(desktop, sound, trace_env, kill)
                    results[kill].append(r)
                    print(f"run {i + 1}, server {'killed' if kill else 'alive '}: "
                          f"{r['fps']:.1f} frames/s" +
                          (f", {r['fps_gone']:.1f} without the server" if kill else "") +
                          f"; closed in {r['close']:.2f} s, exit code {r['code']}" +
                          ("" if not kill else "; no copy after the server came back"
                           if r["back"] is None else
                           f"; a copy played {r['back']:.2f} s after the server came back"),
                          flush=True)
    finally:
        desktop.reg("delete", SETTINGS, "/v", "enable sound", "/f")
        sound.stop()
        desktop.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    median = lambda rows, key: statistics.median(r[key] for r in rows)  # noqa: E731
    for kill in (False, True):
        rows = results[kill]
        closes = [r["close"] for r in rows]
        print(f"server {'killed' if kill else 'alive'}: close median {median(rows, 'close'):.2f} s"
              f" (min {min(closes):.2f}, max {max(closes):.2f}), exit codes "
              f"{sorted({r['code'] for r in rows})}; {median(rows, 'fps'):.1f} frames/s before" +
              (f", {median(rows, 'fps_gone'):.1f} while the server was gone" if kill else ""))
    backs = [r["back"] for r in results[True] if r["back"] is not None]
    print(f"a copy on the returned server: {len(backs)} of {runs} runs" +
          (f", median {statistics.median(backs):.2f} s after it came back "
           f"(max {max(backs):.2f})" if backs else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
