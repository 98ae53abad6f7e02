#!/usr/bin/python3
"""Prints the music figures: how fast the tune decodes, and whether the wave output keeps up
over a minute of playing while the full-screen saver draws on the same two cores.

Sixty seconds are recorded from a PulseAudio null sink twice:
- seven copies of the tune played one after another on one player: every recorded sample is
  matched against the decoded tune, so a gap (an underrun: silence inserted inside a copy)
  or a skip shows exactly, with its length;
- the saver's own pattern, a new copy every 3.2 s on the next of three players: the onset
  intervals, the most copies at once, and any moment at which everything fell silent.
The probe also reports how often a player found its device already run dry mid-stream: the
underruns of the players' own making, as distinct from gaps further down Wine's sound path.

Usage: tools/music_bench.py        (BUILD=build by default; needs the build's test programs)
"""
import array
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "windows", "system"))
from conftest import Desktop, Sound  # noqa: E402  (the system tests' sound harness)

BUILD = os.path.abspath(os.environ.get("BUILD", os.path.join(ROOT, "build")))
TESTS = os.path.join(BUILD, "tests")
RATE = 44100
KEY = 16  # samples that identify a position in the tune


class Options:
    def __init__(self, **values):
        self.values = values

    def getoption(self, name):
        return self.values[name.lstrip("-").replace("-", "_")]


def decoded_tune():
    raw = subprocess.run(["sox", os.path.join(ROOT, "resources", "tune.ogg"), "-t", "raw",
                          "-e", "signed", "-b", "16", "-c", "1", "-"],
                         capture_output=True, check=True).stdout
    return array.array("h", raw)


def matched_runs(rec, ref):
    """(recording index, tune index, length) of every stretch of the recording that equals
    the decoded tune sample for sample."""
    where, seen = {}, set()
    for i in range(len(ref) - KEY):
        k = ref[i:i + KEY].tobytes()
        if k in seen:
            where.pop(k, None)
        else:
            seen.add(k)
            where[k] = i
    runs, i, n = [], 0, len(rec)
    while i < n - KEY:
        p = where.get(rec[i:i + KEY].tobytes())
        if p is None:
            i += 1
            continue
        k = KEY
        step = 4096
        while step:
            while i + k + step <= n and p + k + step <= len(ref) and \
                    rec[i + k:i + k + step] == ref[p + k:p + k + step]:
                k += step
            step //= 2
        runs.append((i, p, k))
        i += k
    return runs


def solo_figures(rec, ref):
    runs = matched_runs(rec, ref)
    copies, gaps, skips = [], [], []
    for run in runs:
        i, p, k = run
        if copies and p >= copies[-1][-1][1] + copies[-1][-1][2] - KEY:
            pi, pp, pk = copies[-1][-1]
            inserted = (i - (pi + pk)) - (p - (pp + pk))
            if inserted > 0:
                gaps.append(inserted)
            elif inserted < 0:
                skips.append(-inserted)
            copies[-1].append(run)
        else:
            copies.append([run])
    covered = [sum(k for _, _, k in c) / len(ref) for c in copies]
    between = [(b[0][0] - (a[-1][0] + a[-1][2])) / RATE for a, b in zip(copies, copies[1:])]
    return copies, covered, gaps, skips, between


def starved(proc):
    """Buffers the players wrote to a device that had run dry, as the probe reports them."""
    with open(proc.output_path, errors="replace") as f:
        for line in f:
            if line.startswith("event=closed"):
                return int(line.split("starved=")[1])
    return None


def zero_stretches(samples, first, last, at_least):
    count, run = [], 0
    for x in samples[first:last]:
        if x == 0:
            run += 1
        else:
            if run >= at_least:
                count.append(run)
            run = 0
    return count


def main():
    print(subprocess.run(["wine", os.path.join(TESTS, "music_bench.exe")], capture_output=True,
                         text=True, env=dict(os.environ, WINEDEBUG="-all",
                                             WINEPREFIX=os.path.join(BUILD, "wineprefix"))
                         ).stdout.strip())
    workdir = tempfile.mkdtemp(prefix="velta-music-bench-")
    desktop = Desktop(Options(scr=os.path.join(BUILD, "velta2.scr"),
                              wintool=os.path.join(TESTS, "wintool.exe"), build_dir=BUILD),
                      workdir)
    desktop.start()
    sound = Sound(workdir)
    sound.start()
    probe = os.path.join(TESTS, "music_probe.exe")
    saver = None
    try:
        # The saver draws full-screen the whole time (its own sound switch is off).
        saver = desktop.spawn([desktop.scr, "/s"])
        time.sleep(3)
        ref = decoded_tune()

        with sound.record() as rec:
            proc = desktop.spawn([probe, "solo", 7], sound.env)
            proc.wait(120)
        copies, covered, gaps, skips, between = solo_figures(rec.samples(), ref)
        print(f"solo, 7 copies one after another ({len(rec.samples()) / RATE:.1f} s recorded,"
              f" saver drawing): {len(copies)} copies found; sample-exact share of each "
              f"copy {min(covered):.4f}..{max(covered):.4f}")
        print(f"  gaps inside recorded copies (silence inserted downstream of wave-out): {len(gaps)}, total "
              f"{sum(gaps) / RATE * 1000:.1f} ms {[round(g / RATE * 1000, 1) for g in gaps]}; "
              f"skipped stretches: {len(skips)}")
        print(f"  buffers written to a device that had run dry (the players' own underruns): "
              f"{starved(proc)}")
        if between:
            print(f"  silence between one copy's end and the next one's start: median "
                  f"{statistics.median(between) * 1000:.0f} ms")

        with sound.record() as rec:
            proc = desktop.spawn([probe, "voices", 60], sound.env)
            proc.wait(120)
        samples = rec.samples()
        spans = [(a, b) for a, b in rec.streams() if b is None or b - a > 1.0]
        starts = [a for a, _ in spans]
        intervals = [b - a for a, b in zip(starts, starts[1:])]
        first = next(i for i, x in enumerate(samples) if x)
        last = len(samples) - next(i for i, x in enumerate(reversed(samples)) if x)
        silences = zero_stretches(samples, first, last, RATE // 1000)
        live = peak = 0
        for _, step in sorted([(a, 1) for a, _ in spans] + [(b, -1) for _, b in spans if b]):
            live += step
            peak = max(peak, live)
        print(f"voices, a copy every 3.2 s for 60 s (saver drawing): {len(starts)} copies, "
              f"onset interval {min(intervals):.3f}..{max(intervals):.3f} s (median "
              f"{statistics.median(intervals):.3f}), at most {peak} at once; moments of "
              f"total silence of 1 ms or more between the first and last sound: "
              f"{len(silences)}; the players' own underruns: {starved(proc)}")
    finally:
        if saver and saver.poll() is None:
            desktop.xdotool("key", "Escape")
            saver.wait(20)
        sound.stop()
        desktop.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
