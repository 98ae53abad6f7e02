#!/usr/bin/python3
"""Long run of the Linux program: `velta2 -window -cycle 1 -sound` (all twenty modules, a new
module every second, the tune into a PulseAudio null sink) on an 800 x 600 Xvfb for a set time,
ended with Escape as a user would.

Every minute it samples the process's resident memory (VmRSS and its anonymous part), threads
and open file descriptors from /proc, and the frames presented so far (tools/count_swaps.c,
preloaded). At the end it reports the exit code, whether the settings file was saved whole, and
whether the figures stayed flat (see tools/soak_figures.py for what flat means in numbers).

    LINUX_BUILD=build-linux /usr/bin/python3 tools/linux_soak.py [MINUTES]      (default 60)
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tools"))
sys.path.insert(0, os.path.join(ROOT, "tests"))
from harness.display import start_xvfb, wait_until  # noqa: E402
from harness.sound import Sound  # noqa: E402
from soak_figures import flatness_report, proc_status  # noqa: E402

VELTA2 = os.path.join(os.path.abspath(os.environ.get("LINUX_BUILD", "build-linux")), "linux",
                      "velta2")


def sample(pid):
    """VmRSS and RssAnon in KiB, threads and open file descriptors of process pid."""
    fields = proc_status(pid)
    return (int(fields["VmRSS"]), int(fields["RssAnon"]), int(fields["Threads"]),
            len(os.listdir(f"/proc/{pid}/fd")))


def frames(log):
    try:
        with open(log) as f:
            return int(f.read().split()[0])
    except (FileNotFoundError, IndexError):
        return 0


def settings_whole(path):
    """The saved file has its header and a value for module 1's distance, and every other line
    is a comment or name=number."""
    try:
        with open(path) as f:
            lines = f.read().splitlines()
    except FileNotFoundError:
        return False
    values = [l for l in lines if l and l[0] not in "#;[" and "=" in l]
    return ("[Velta II]" in lines and any(l.startswith("mod1 depth=") for l in values)
            and all(l.partition("=")[2].lstrip("-").isdigit() for l in values))


def main():
    minutes = float(sys.argv[1]) if len(sys.argv) > 1 else 60.0
    work = tempfile.mkdtemp(prefix="velta-linux-soak-")
    xvfb = sound = None
    try:
        counter = os.path.join(work, "libcount_swaps.so")
        subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", counter,
                        os.path.join(ROOT, "tools", "count_swaps.c"), "-ldl"], check=True)
        xvfb, display = start_xvfb(800, 600, ["-br"])
        sound = Sound(work)
        sound.start()
        log = os.path.join(work, "swaps")
        settings = os.path.join(work, "config", "velta2", "settings.ini")
        env = dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME=os.path.join(work, "config"),
                   LD_PRELOAD=counter, VELTA_SWAP_LOG=log, **sound.env)
        env.pop("XSCREENSAVER_WINDOW", None)
        err = open(os.path.join(work, "stderr.txt"), "w+")
        velta = subprocess.Popen([VELTA2, "-window", "-cycle", "1", "-sound"], env=env,
                                 stdout=subprocess.DEVNULL, stderr=err)
        if not wait_until(lambda: frames(log) > 0 or velta.poll() is not None, 20):
            print("no frame was presented")
            return 1
        print("minute  rss-KiB  anon-KiB  threads  fds  frames", flush=True)
        rows = []
        start = time.monotonic()
        for minute in range(int(minutes) + 1):
            while time.monotonic() - start < minute * 60 and velta.poll() is None:
                time.sleep(1)
            if velta.poll() is not None:
                break
            rows.append((minute,) + sample(velta.pid) + (frames(log),))
            print("%6d  %7d  %8d  %7d  %3d  %6d" % rows[-1], flush=True)
        env.pop("LD_PRELOAD")
        subprocess.run(["xdotool", "key", "Escape"], env=env, check=True)
        try:
            code = velta.wait(30)
        except subprocess.TimeoutExpired:
            velta.kill()
            code = "none (still running 30 s after Escape)"
        err.seek(0)
        said = err.read().strip()
        saved = settings_whole(settings)
        print(f"exit code {code}; settings saved: {'yes' if saved else 'no'}; stderr: "
              f"{said or 'nothing'}")
        flat = flatness_report(rows) == 0
        return 0 if flat and saved and code == 0 else 1
    finally:
        if sound:
            sound.stop()
        if xvfb:
            xvfb.terminate()
            xvfb.wait(10)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
