#!/usr/bin/python3
"""The display killed under the Linux program at random moments: `velta2 -window -sound` on a
fresh Xvfb each run, the Xvfb killed (SIGKILL) between 0 and MAX_DELAY seconds after the start,
so that some runs lose it while still setting up OpenGL and others while drawing. Counts how the
runs ended (exit code and what it said on standard error; a negative code is a signal, such as a
crash), how long they took to end after the kill, and whether the settings file afterwards was
whole every time.

    LINUX_BUILD=build-linux /usr/bin/python3 tools/linux_display_loss.py [RUNS]   (default 40)
"""
import collections
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests"))
sys.path.insert(0, os.path.join(ROOT, "tools"))
from harness.display import start_xvfb  # noqa: E402
from harness.sound import Sound  # noqa: E402
from linux_soak import VELTA2, settings_whole  # noqa: E402

MAX_DELAY = 1.0


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 40
    work = tempfile.mkdtemp(prefix="velta-display-loss-")
    sound = Sound(work)
    sound.start()
    endings, waits, broken = collections.Counter(), [], 0
    random.seed(19)
    try:
        settings = os.path.join(work, "config", "velta2", "settings.ini")
        for _ in range(runs):
            xvfb, display = start_xvfb(800, 600)
            env = dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME=os.path.join(work, "config"),
                       **sound.env)
            with open(os.path.join(work, "err.txt"), "w+") as err:
                velta = subprocess.Popen([VELTA2, "-window", "-sound"], env=env,
                                         stdout=subprocess.DEVNULL, stderr=err)
                time.sleep(random.uniform(0, MAX_DELAY))
                xvfb.kill()
                killed = time.monotonic()
                try:
                    code = velta.wait(10)
                except subprocess.TimeoutExpired:
                    velta.kill()
                    code = "still running 10 s after"
                waits.append(time.monotonic() - killed)
                xvfb.wait(10)
                for stale in (f"/tmp/.X{display[1:]}-lock", f"/tmp/.X11-unix/X{display[1:]}"):
                    if os.path.exists(stale):
                        os.remove(stale)
                err.seek(0)
                lines = err.read().splitlines()
            said = " / ".join(lines).replace(display, ":N")
            endings[(code, len(lines), said)] += 1
            broken += os.path.exists(settings) and not settings_whole(settings)
        print(f"{runs} runs, the display killed 0 to {MAX_DELAY} s after the start:")
        for (code, count, said), n in endings.most_common():
            print(f"  {n:3d} x exit {code}, {count} line(s): {said}")
        waits.sort()
        print(f"end after the kill: median {1000 * waits[len(waits) // 2]:.0f} ms, "
              f"longest {1000 * waits[-1]:.0f} ms; settings files cut short: {broken}")
    finally:
        sound.stop()
        shutil.rmtree(work, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
