#!/usr/bin/python3
"""Benchmarks of the browser page: the size of dist/web, the time from navigation to the first
frame, and frames per second with processor use at 800 x 600 for modules 4 and 17, in headless
Chromium with software WebGL (SwiftShader) side by side with the native velta2 on Mesa's
llvmpipe (Xvfb), in one run: each with frames at the display's rate (the default) and with one
frame per 31 ms step (?stepped=1, -stepped), and velta2 also with Mesa skipping the pixels
(GALLIUM_NOOP=1), roughly what a machine with a graphics card spends.

    WEB_BUILD=build-web LINUX_BUILD=build-linux /usr/bin/python3 tools/web_bench.py

Processor time counts every process of the browser (the page's renderer, the GPU process where
SwiftShader draws, the browser itself) and every thread of velta2 (llvmpipe's included).
"""
import os
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests"))
from harness.browser import Browser  # noqa: E402
from harness.display import start_xvfb  # noqa: E402

WEB_BUILD = os.path.abspath(os.environ.get("WEB_BUILD", os.path.join(ROOT, "build-web")))
LINUX_BUILD = os.path.abspath(os.environ.get("LINUX_BUILD", os.path.join(ROOT, "build-linux")))
PAGE_DIR = os.path.join(WEB_BUILD, "dist-web")
SECONDS = float(os.environ.get("VELTA_BENCH_SECONDS", 10))
TICKS = os.sysconf("SC_CLK_TCK")


def cpu_seconds(pids):
    """User and system time of the processes so far, in seconds."""
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += int(fields[11]) + int(fields[12])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total / TICKS


def process_tree(root):
    """root and all its descendants."""
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        try:
            with open(f"/proc/{pid}/task/{pid}/children") as f:
                todo += [int(c) for c in f.read().split()]
        except FileNotFoundError:
            pass
    return found


def size_of(folder):
    return sum(os.path.getsize(os.path.join(d, f)) for d, _, files in os.walk(folder)
               for f in files)


def page_first_frames(url, runs=3):
    times = []
    for _ in range(runs):
        browser = Browser(800, 600)
        try:
            browser.navigate(url)
            browser.wait_for("window.velta && velta.firstFrameAt !== null")
            times.append(browser.evaluate("velta.firstFrameAt"))
        finally:
            browser.close()
    return statistics.median(times)


def page_rate(module, options=""):
    """Frames per second, share of one core and processor ms per frame."""
    browser = Browser(800, 600)
    try:
        browser.navigate("file://" + os.path.join(PAGE_DIR, "index.html") +
                         f"?module={module}{options}")
        browser.wait_for("window.velta && velta.frames > 30")
        pids = process_tree(browser.process.pid)
        frames0, cpu0, t0 = browser.evaluate("velta.frames"), cpu_seconds(pids), time.monotonic()
        time.sleep(SECONDS)
        frames1, cpu1, t1 = browser.evaluate("velta.frames"), cpu_seconds(pids), time.monotonic()
    finally:
        browser.close()
    frames = frames1 - frames0
    return frames / (t1 - t0), (cpu1 - cpu0) / (t1 - t0), (cpu1 - cpu0) * 1000 / max(frames, 1)


def native_rate(module, display, args=(), env_extra=None):
    """Frames per second, share of one core and processor ms per frame."""
    velta2 = os.path.join(LINUX_BUILD, "linux", "velta2")
    env = dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME="/nonexistent", **(env_extra or {}))
    proc = subprocess.Popen([velta2, "-root", "-module", str(module), "-fps", *args], env=env,
                            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        time.sleep(2)  # start-up and the texture
        cpu0, t0 = cpu_seconds([proc.pid]), time.monotonic()
        time.sleep(SECONDS)
        cpu1, t1 = cpu_seconds([proc.pid]), time.monotonic()
    finally:
        proc.terminate()
        out, _ = proc.communicate(timeout=30)
    # "velta2: 32.2 frames per second" once a second; the last SECONDS of them.
    rates = [float(line.split()[1]) for line in out.splitlines() if "frames per second" in line]
    rate = statistics.mean(rates[-int(SECONDS):])
    return rate, (cpu1 - cpu0) / (t1 - t0), (cpu1 - cpu0) * 1000 / (rate * (t1 - t0))


def cells(figures):
    fps, share, per_frame = figures
    return f"{fps:.1f} | {100 * share:.0f} % | {per_frame:.1f}"


def main():
    page = os.path.getsize(os.path.join(PAGE_DIR, "index.html")) + \
        os.path.getsize(os.path.join(PAGE_DIR, "velta2.js"))
    print(f"dist/web: {size_of(PAGE_DIR) / 1024:.0f} KB in all; the page and what it loads "
          f"{page / 1024:.0f} KB, the gallery {size_of(PAGE_DIR) / 1024 - page / 1024:.0f} KB")
    first = page_first_frames("file://" + os.path.join(PAGE_DIR, "index.html"))
    print(f"navigation to first frame (median of 3, from disk): {first:.0f} ms")
    xvfb, display = start_xvfb(800, 600)
    try:
        print("| module | pacing | page fps | page CPU | page ms/frame | velta2 fps | velta2 CPU "
              "| velta2 ms/frame | velta2 no-pixels fps | CPU | ms/frame |")
        print("|---|---|---|---|---|---|---|---|---|---|---|")
        noop = {"GALLIUM_NOOP": "1"}
        for module in (4, 17):
            for pacing, option, args in (("display rate", "", ()),
                                         ("stepped", "&stepped=1", ("-stepped",))):
                page = page_rate(module, option)
                native = native_rate(module, display, args)
                bare = native_rate(module, display, args, noop)
                print(f"| {module} | {pacing} | {cells(page)} | {cells(native)} | {cells(bare)} |")
    finally:
        xvfb.terminate()
        xvfb.wait()


if __name__ == "__main__":
    main()
