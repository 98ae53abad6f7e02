#!/usr/bin/python3
"""Soak run: the full-screen saver under Wine for a set time with all twenty modules enabled, a
1-second cycle time and sound on (into a PulseAudio null sink), closed by a mouse movement.

Every minute it samples the saver's Windows handle and thread counts and working set (from the
system's process list, through wintool) and the Wine process's private resident memory and
thread count (from /proc, llvmpipe's threads included). Frames are counted from Wine's relay
trace of SwapBuffers. At the end it reports the exit code, whether the settings were saved, and
whether the run was flat. Flat means, over the samples from minute 5 on (the first minutes are
every module's first use and the players' start):
  - handles and both thread counts move within a band of FLAT_BAND (a player's wave-out thread
    and its handles come and go with the overlapping copies of the tune), and
  - neither memory figure grows by more than FLAT_MIB_PER_HOUR, by a least-squares line: one
    4 KiB buffer lost per copy of the tune, 1,125 copies an hour, would be 4.4 MiB an hour, and
  - every minute drew frames, and the processor time each frame costs (the Wine process's,
    llvmpipe's threads included) grows by less than FLAT_CPU_SHARE_PER_HOUR of its median, by
    a least-squares line. Frames a minute alone would follow whatever else the machine runs;
    the processor time per frame shows the saver's own work growing.

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
from virtual_desktop import VirtualDesktop  # noqa: E402

BUILD = os.path.abspath(os.environ.get("BUILD", "build"))
SCR = os.path.join(BUILD, "velta2.scr")
WINTOOL = os.path.join(BUILD, "tests", "wintool.exe")
SETTLED_MINUTE = 5
FLAT_BAND = 3
FLAT_MIB_PER_HOUR = 2.0
FLAT_CPU_SHARE_PER_HOUR = 0.10
SETTINGS = r"HKCU\Software\Quillon\Velta II"
DEBUG_KEY = r"HKCU\Software\Wine\Debug"


def reg(desk, *args):
    return subprocess.run(["wine", "reg"] + list(args), env=desk.env, capture_output=True,
                          text=True).stdout


def proc_status(pid):
    fields = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            fields[key] = value.split()[0] if value.split() else ""
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


def slope_per_hour(points):
    """Least-squares slope of (minute, value) points, per hour."""
    n = len(points)
    mx = sum(x for x, _ in points) / n
    my = sum(y for _, y in points) / n
    sxx = sum((x - mx) ** 2 for x, _ in points)
    return 60 * sum((x - mx) * (y - my) for x, y in points) / sxx if sxx else 0.0


def flatness(rows):
    """Judges the rows (minute, handles, win-threads, working-set KiB, private KiB,
    unix-threads, frames, processor seconds) from SETTLED_MINUTE on; returns (flat, report
    lines)."""
    settled = [r for r in rows if r[0] >= SETTLED_MINUTE]
    if len(settled) < 3:
        return False, ["too short to judge flatness (needs minutes 5 to 7 at least)"]
    lines, flat = [], True
    for index, name in ((1, "handles"), (2, "Windows threads"), (5, "Unix threads")):
        values = [r[index] for r in settled]
        ok = max(values) - min(values) <= FLAT_BAND
        flat &= ok
        lines.append(f"{name}: {min(values)} to {max(values)} ({'flat' if ok else 'NOT flat'})")
    for index, name in ((3, "working set"), (4, "private resident")):
        slope = slope_per_hour([(r[0], r[index] / 1024) for r in settled])
        ok = slope <= FLAT_MIB_PER_HOUR
        flat &= ok
        lines.append(f"{name}: {min(r[index] for r in settled) / 1024:.1f} to "
                     f"{max(r[index] for r in settled) / 1024:.1f} MiB, trend {slope:+.2f} MiB "
                     f"an hour ({'flat' if ok else 'NOT flat'})")
    steps = list(zip(settled, settled[1:]))
    per_minute = sorted(b[6] - a[6] for a, b in steps)
    cost = [(b[0], 1000 * (b[7] - a[7]) / (b[6] - a[6])) for a, b in steps if b[6] > a[6]]
    median = sorted(c for _, c in cost)[len(cost) // 2] if cost else 0
    slope = slope_per_hour(cost) if len(cost) > 1 else 0
    ok = per_minute[0] > 0 and slope <= FLAT_CPU_SHARE_PER_HOUR * median
    flat &= ok
    lines.append(f"frames a minute: {per_minute[0]} to {per_minute[-1]}; processor time per "
                 f"frame {min(c for _, c in cost):.1f} to {max(c for _, c in cost):.1f} ms, "
                 f"median {median:.1f}, trend {slope:+.2f} ms an hour "
                 f"({'flat' if ok else 'NOT flat'})")
    return flat, lines


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
                rss, threads, cpu = proc_status(saver.pid)
                frames = count_frames(trace)
                rows.append((minute, int(w.get("handles", 0)), int(w.get("threads", 0)),
                             int(w.get("workingset", 0)) // 1024, rss, threads, frames, cpu))
                print(f"{minute:6d}  {w.get('handles', '?'):>7}  {w.get('threads', '?'):>11}  "
                      f"{int(w.get('workingset', 0)) // 1024:15d}  {rss:20d}  {threads:12d}  "
                      f"{frames:6d}  {cpu:8.1f}", flush=True)
            subprocess.run(["xdotool", "mousemove", "500", "400"], env=desk.env)
            code = saver.wait(60)
            saved = "mod1 depth" in reg(desk, "query", SETTINGS)
            print(f"exit code {code}; settings saved: {'yes' if saved else 'no'}")
            flat, lines = flatness(rows)
            for line in lines:
                print(line)
            print(f"flat: {'yes' if flat else 'no'}")
        finally:
            restore_saver(desk)
            subprocess.run(["pulseaudio", "--kill"], env=pulse_env)
            shutil.rmtree(runtime, ignore_errors=True)
            shutil.rmtree(os.path.dirname(trace), ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
