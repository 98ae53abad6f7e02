#!/usr/bin/python3
"""Soak run: the full-screen saver under Wine for a set time with all twenty modules enabled, a
1-second cycle time and sound on (into a PulseAudio null sink), closed by a mouse movement.

Every minute it samples the saver's Windows handle and thread counts and working set (from the
system's process list, through wintool) and the Wine process's private resident memory and
thread count (from /proc, llvmpipe's threads included). Frames are counted from Wine's relay
trace of SwapBuffers. At the end it reports the exit code, whether the settings were saved,
and whether the run was flat, by the same numbers as the Linux long run (tools/soak_figures.py:
memory growing by less than 16 KiB a minute after a 5-minute warm-up, thread and handle counts
never above the warm-up's most), for the working set, the private resident memory, both thread
counts and the handles.
It also prints the processor time each frame cost (the Wine process's, llvmpipe's threads
included) and its trend: frames a minute follow whatever else the machine runs, the processor
time per frame shows the saver's own work growing.

    BUILD=build /usr/bin/python3 tools/soak.py [MINUTES]      (default 10)
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from soak_figures import WARM_UP, flatness_report, proc_status, slope  # noqa: E402
from virtual_desktop import VirtualDesktop  # noqa: E402

BUILD = os.path.abspath(os.environ.get("BUILD", "build"))
SCR = os.path.join(BUILD, "velta2.scr")
WINTOOL = os.path.join(BUILD, "tests", "wintool.exe")
SETTINGS = r"HKCU\Software\Quillon\Velta II"
DEBUG_KEY = r"HKCU\Software\Wine\Debug"


def reg(desk, *args):
    return subprocess.run(["wine", "reg"] + list(args), env=desk.env, capture_output=True,
                          text=True).stdout


def wine_side(pid):
    """Private resident memory in KiB, threads and processor seconds of the Wine process."""
    fields = proc_status(pid)
    with open(f"/proc/{pid}/stat") as f:
        ticks = f.read().rsplit(")", 1)[1].split()
    cpu = (int(ticks[11]) + int(ticks[12])) / os.sysconf("SC_CLK_TCK")  # user and system
    return int(fields.get("RssAnon", 0)), int(fields.get("Threads", 0)), cpu


def windows_side(desk, hwnd):
    out = subprocess.run(["wine", WINTOOL, "procinfo", hwnd], env=desk.env,
                         capture_output=True, text=True).stdout
    return dict(re.findall(r"(\w+)=(\d+)", out))


def start_sound(desk, runtime):
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime)
    subprocess.run(["pulseaudio", "-n", "--daemonize=yes", "--exit-idle-time=-1",
                    "--disallow-exit", "--load=module-native-protocol-unix",
                    "--load=module-null-sink sink_name=capture", "--load=module-always-sink"],
                   env=env, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    desk.env["XDG_RUNTIME_DIR"] = runtime
    return env


def prepare_saver(desk, cycle_time, sound):
    """Every module enabled, the given cycle time and sound switch, and Wine's relay trace set
    to log SwapBuffers calls alone, so that a run under WINEDEBUG=+relay counts its frames."""
    for k in range(1, 21):
        reg(desk, "add", SETTINGS, "/v", f"mod{k} active", "/t", "REG_DWORD", "/d", "1", "/f")
    reg(desk, "add", SETTINGS, "/v", "cycle time", "/t", "REG_DWORD", "/d", str(cycle_time),
        "/f")
    reg(desk, "add", SETTINGS, "/v", "enable sound", "/t", "REG_DWORD", "/d", str(int(sound)),
        "/f")
    reg(desk, "add", DEBUG_KEY, "/v", "RelayInclude", "/d", "gdi32.SwapBuffers", "/f")


def restore_saver(desk):
    reg(desk, "delete", DEBUG_KEY, "/v", "RelayInclude", "/f")
    for value in ("cycle time", "enable sound"):
        reg(desk, "delete", SETTINGS, "/v", value, "/f")


def wait_saver_window(desk, seconds):
    """The full-screen saver window's handle once it exists, or None after seconds."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = subprocess.run(["wine", WINTOOL, "find", "WindowsScreenSaverClass",
                                "Screen Saver"], env=desk.env, capture_output=True,
                               text=True).stdout
        m = re.search(r"hwnd=(\d+)", found)
        if m:
            return m.group(1)
        time.sleep(0.2)
    return None


def count_frames(trace):
    with open(trace, errors="replace") as f:
        return sum(1 for line in f if "Call gdi32.SwapBuffers" in line)


def frame_cost(rows):
    """The processor time per frame of each minute after the warm-up, and its trend."""
    settled = rows[WARM_UP:]
    cost = [(b[0], 1000 * (b[7] - a[7]) / (b[6] - a[6]))
            for a, b in zip(settled, settled[1:]) if b[6] > a[6]]
    if len(cost) < 2:
        return "too short a run for the processor time per frame"
    values = sorted(c for _, c in cost)
    return (f"processor time per frame from minute {WARM_UP}: {values[0]:.1f} to {values[-1]:.1f}"
            f" ms, median {values[len(values) // 2]:.1f} ms, {60 * slope(cost):+.2f} ms an hour; "
            f"frames a minute {min(b[6] - a[6] for a, b in zip(settled, settled[1:]))} to "
            f"{max(b[6] - a[6] for a, b in zip(settled, settled[1:]))}")


def main():
    minutes = float(sys.argv[1]) if len(sys.argv) > 1 else 10.0
    runtime = tempfile.mkdtemp(prefix="velta-soak-pulse-")
    os.chmod(runtime, 0o700)
    trace = os.path.join(tempfile.mkdtemp(prefix="velta-soak-"), "trace.txt")
    with VirtualDesktop(BUILD, 640, 480) as desk:
        pulse_env = start_sound(desk, runtime)
        try:
            prepare_saver(desk, 1, True)
            reg(desk, "delete", SETTINGS, "/v", "mod1 depth", "/f")  # proves the save at the end
            subprocess.run(["xdotool", "mousemove", "300", "200"], env=desk.env)
            with open(trace, "w") as out:
                saver = subprocess.Popen(["wine", SCR, "/s"], env=dict(desk.env,
                                         WINEDEBUG="+relay"), stdout=out,
                                         stderr=subprocess.STDOUT)
            hwnd = wait_saver_window(desk, 20)
            if not hwnd:
                print("the saver window did not appear")
                return 1
            print("minute  handles  win-threads  working-set-KiB  private-resident-KiB  "
                  "unix-threads  frames  cpu-s")
            start = time.monotonic()
            rows = []
            for minute in range(int(minutes) + 1):
                while time.monotonic() - start < minute * 60:
                    time.sleep(1)
                w = windows_side(desk, hwnd)
                rss, threads, cpu = wine_side(saver.pid)
                frames = count_frames(trace)
                rows.append((minute, int(w.get("workingset", 0)) // 1024, rss,
                             int(w.get("threads", 0)), int(w.get("handles", 0)), threads, frames,
                             cpu))
                print(f"{minute:6d}  {w.get('handles', '?'):>7}  {w.get('threads', '?'):>11}  "
                      f"{int(w.get('workingset', 0)) // 1024:15d}  {rss:20d}  {threads:12d}  "
                      f"{frames:6d}  {cpu:8.1f}", flush=True)
            subprocess.run(["xdotool", "mousemove", "500", "400"], env=desk.env)
            code = saver.wait(60)
            saved = "mod1 depth" in reg(desk, "query", SETTINGS)
            print(f"exit code {code}; settings saved: {'yes' if saved else 'no'}")
            flat = flatness_report(
                rows, memory=(("working set", 1), ("private resident", 2)),
                counts=(("Windows threads", 3), ("handles", 4), ("Unix threads", 5))) == 0
            print(frame_cost(rows))
            print(f"flat: {'yes' if flat else 'no'}")
        finally:
            restore_saver(desk)
            subprocess.run(["pulseaudio", "--kill"], env=pulse_env)
            shutil.rmtree(runtime, ignore_errors=True)
            shutil.rmtree(os.path.dirname(trace), ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
