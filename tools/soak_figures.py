"""What "flat" means for the long runs, in numbers, and the summary lines that say whether a
run's samples were; also the /proc reading both long runs sample with.

A sample is (minute, resident KiB, anonymous resident KiB, threads, descriptors or handles, ...);
the Windows run names its own columns.
The first WARM_UP minutes are left out: caches, the glyph texture and the first streams settle
there. After them, the run is flat when
  - resident memory grows by less than SLOPE_KIB a minute (least-squares line through the
    samples: about 1 MiB an hour, a leak of 8 bytes a frame or 300 bytes a module change would
    show), and no sample lies more than SPREAD_KIB above the first one;
  - threads and descriptors never exceed the most seen during the warm-up and the first sample
    after it (they rise and fall with the tune's streams, each with a thread and sockets of its
    own, but must not creep up).
"""
WARM_UP = 5
JUDGED = 10  # samples after the warm-up needed for a verdict
SLOPE_KIB = 16.0
SPREAD_KIB = 4096


def proc_status(pid):
    """The fields of /proc/PID/status, each as its first word ("VmRSS" -> "104600")."""
    fields = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            fields[key] = value.split()[0] if value.split() else ""
    return fields


def slope(points):
    """Least-squares slope of (x, y) points."""
    n = len(points)
    mx = sum(x for x, _ in points) / n
    my = sum(y for _, y in points) / n
    sxx = sum((x - mx) ** 2 for x, _ in points)
    return sum((x - mx) * (y - my) for x, y in points) / sxx if sxx else 0.0


def flatness_report(rows, memory=(("resident", 1), ("anonymous resident", 2)),
                    counts=(("threads", 3), ("descriptors", 4))):
    """Prints the verdict for samples rows, judging the memory columns and the count columns
    named (the Windows run has working set and private memory, and two thread counts and
    handles); returns 1 when not flat, else 0."""
    warm = WARM_UP
    settled = rows[warm:]
    if len(settled) < JUDGED:
        print(f"too short a run to judge flatness (that needs {WARM_UP + JUDGED} minutes)")
        return 0
    verdicts = []
    for name, column in memory:
        s = slope([(r[0], r[column]) for r in settled])
        rise = max(r[column] for r in settled) - settled[0][column]
        ok = s < SLOPE_KIB and rise <= SPREAD_KIB
        verdicts.append(ok)
        print(f"{name} memory from minute {settled[0][0]}: {s:+.1f} KiB a minute, at most "
              f"{rise:+d} KiB above its first sample: {'flat' if ok else 'NOT flat'}")
    for name, column in counts:
        early = max(r[column] for r in rows[:warm + 1])
        late = max(r[column] for r in settled)
        ok = late <= early
        verdicts.append(ok)
        print(f"{name}: {min(r[column] for r in rows)} to {max(r[column] for r in rows)}, "
              f"at most {late} after the warm-up against {early} in it: "
              f"{'flat' if ok else 'NOT flat'}")
    return 0 if all(verdicts) else 1
