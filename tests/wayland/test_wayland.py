"""velta2-wayland on a headless sway: the saver on two outputs, steered and ended by keys or the
pointer with the views saved, outputs unplugged and plugged in (on a sway nested in another),
the wallpaper asleep while unseen, swayidle starting it, the compositor killed under it, and the
lines for no layer-shell and no display."""
import glob
import os
import re
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from compositor import Sway, as_user, lit, output_text, wait_for  # noqa: E402
from harness.display import start_xvfb  # noqa: E402

PROGRAM = os.path.join(os.environ["VELTA_LINUX_BUILD"], "wayland", "velta2-wayland")
MOVE_POINTER = os.path.join(os.environ["VELTA_LINUX_BUILD"], "tests", "move_pointer")
VELTA2 = os.path.join(os.environ["VELTA_LINUX_BUILD"], "linux", "velta2")
TICKS = os.sysconf("SC_CLK_TCK")


def settings(sway):
    path = os.path.join(sway.env["XDG_CONFIG_HOME"], "velta2", "settings.ini")
    return open(path).read() if os.path.exists(path) else ""


def hold_devices(sway):
    """A keyboard and a pointer the seat keeps while the test runs (a compositor with no devices
    has none): a program started after takes them at once, so that keys typed and moves made later
    reach it with no new device for it to take first, which no fixed wait could promise."""
    sway.start(["wtype", "-s", "86400000"])
    sway.start([MOVE_POINTER, "0", "0", "0"])
    inputs = lambda: sway.msg("-t", "get_inputs").stdout
    assert wait_for(lambda: '"type": "keyboard"' in inputs() and '"type": "pointer"' in inputs())


def keys(sway, *names):
    """Types through a virtual keyboard of its own, after hold_devices."""
    args = ["wtype"]
    for name in names:
        args += ["-k", name]
    assert sway.run(args).returncode == 0


def test_saver_covers_outputs_steers_and_ends_on_a_key_or_the_pointer():
    sway = Sway(sizes=((640, 480), (320, 240)))
    try:
        hold_devices(sway)
        p = sway.start([PROGRAM, "-module", "4"])
        assert wait_for(lambda: min(lit(sway.shot(o)) for o in ("HEADLESS-1", "HEADLESS-2")) > 0.005)
        assert sway.shot("HEADLESS-2").size == (320, 240)
        keys(sway, "x")
        assert p.wait(10) == 0, output_text(p)
        assert settings(sway) == ""  # a run that steered nothing writes nothing
        p = sway.start([PROGRAM, "-module", "4"])
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)  # drawn: keys reach it
        keys(sway, "Up", "Up", "F8", "Escape")
        assert p.wait(10) == 0, output_text(p)
        steered = settings(sway)
        assert "mod4 vert=" in steered
        # The pointer: a small movement is not enough (a key typed after it still steers the
        # saved view), a longer one ends it, views saved. Two more rounds of frames on both
        # outputs after the small one mean the saver has read it before the key comes.
        env, drawn = swap_counter(sway)
        p = sway.start([PROGRAM, "-module", "4"], **env)
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)  # drawn: keys reach it
        assert sway.run([MOVE_POINTER, "3", "10", "5"]).returncode == 0
        frames = drawn()[0]
        assert wait_for(lambda: drawn()[0] > frames + 4 or p.poll() is not None)
        keys(sway, "Down")
        assert sway.run([MOVE_POINTER, "10", "20", "10"]).returncode == 0
        assert p.wait(10) == 0, output_text(p)
        assert settings(sway) != steered
        assert [l for l in steered.splitlines() if l.startswith("mod1 ")] == \
            [l for l in settings(sway).splitlines() if l.startswith("mod1 ")]
    finally:
        sway.stop()


PROTOCOL = re.compile(r"^\[ *[\d.]+\] +(-> )?\w+@(\d+)\.(\w+)\((.*)\)$", re.M)


def held_for_unplugged(log):
    """The outputs the compositor removed and, of the objects that served them, those a program
    still holds, by its protocol log (WAYLAND_DEBUG=client): the output, the surface on it, that
    surface's layer surface and viewport, and the buffers last attached to it. Objects are told
    apart by the line that made them, since the ids of destroyed ones are given out again."""
    live, kind, owner, outputs, gone = {}, {}, {}, {}, set()
    for n, (sent, target, message, args) in enumerate(PROTOCOL.findall(log)):
        ids = re.findall(r"@(\d+)", args)
        if not sent and message == "global_remove" and args in outputs:
            gone.add(outputs[args])
        elif sent and message in ("destroy", "release"):
            live.pop(target, None)
        elif sent and "new id" in args:
            live[ids[0]] = n
            kind[n] = re.search(r'"(\w+)"' if message == "bind" else r"new id (\w+)", args)[1]
            if kind[n] == "wl_output":
                outputs[args.split(",")[0]] = n
            if message in ("get_viewport", "get_layer_surface"):
                owner[n] = live[ids[1]]
            if message == "get_layer_surface":
                owner[live[ids[1]]] = live[ids[2]]
        elif sent and message == "attach" and ids:
            owner[live[ids[0]]] = live[target]
    held = []
    for n in live.values():
        chain = [n]
        while chain[-1] in owner:
            chain.append(owner[chain[-1]])
        if gone.intersection(chain):
            held.append(kind[n])
    return len(gone), held


def test_outputs_unplugged_and_plugged_in_while_it_runs():
    """A sway inside another, two of its outputs windows there: closing a window unplugs that
    output. The saver lets go of everything it held for it and goes on drawing on the outputs
    left, the first time on one that takes the freed room (so at a new size); it covers an output
    plugged in; the second time the first output goes, the one whose frames the others repeat."""
    host = Sway(sizes=((800, 300),))
    sway = None
    try:
        sway = Sway(sizes=((400, 300),) * 2, inside=host)
        p = sway.start([PROGRAM, "-module", "9"], WAYLAND_DEBUG="client")
        assert wait_for(lambda: min(lit(sway.shot(o)) for o in ("WL-1", "WL-2")) > 0.005)
        registry = re.search(r"get_registry\(new id wl_registry@(\d+)", output_text(p))[1]

        def unplug(gone, left, removed, resized=None):
            since = len(output_text(p))
            assert host.msg(f'[title="wlroots - {gone}"]', "kill").returncode == 0
            after = lambda: output_text(p)[since:].partition(
                f"wl_registry@{registry}.global_remove")[2]
            # Frames after the removal are on the outputs left (the surface on the one gone went
            # with it); one that took the freed room gets buffers of its new size.
            assert wait_for(lambda: after().count(".attach(") >= 2 and (
                not resized or ", 0, %d, %d, " % resized in after()))
            assert held_for_unplugged(output_text(p)) == (removed, [])
            assert lit(sway.shot(left)) > 0.005

        unplug("WL-2", "WL-1", 1, resized=(800, 300))
        assert sway.msg("create_output").returncode == 0
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)
        unplug("WL-1", "HEADLESS-1", 2)
        p.send_signal(signal.SIGTERM)
        assert p.wait(10) == 0
    finally:
        if sway:
            sway.stop()
        host.stop()


def swap_counter(sway):
    """tools/count_swaps.c built for the test; drawn() then reads the program's frame log: the
    frames it has presented and its clock (CLOCK_MONOTONIC, ns) at the last one."""
    counter = os.path.join(sway.dir, "libcount_swaps.so")
    subprocess.run(["cc", "-shared", "-fPIC", "-o", counter, os.path.join(
        os.path.dirname(__file__), "..", "..", "tools", "count_swaps.c"), "-ldl"], check=True)
    log = os.path.join(sway.home, "swaps")
    drawn = lambda: [int(f) for f in open(log).read().split()[0:3:2]] if os.path.exists(log) \
        else [0, 0]
    return dict(LD_PRELOAD=counter, VELTA_SWAP_LOG=log), drawn


def processor_time(pid):
    """Seconds of processor time of a process and all its threads, also once it has ended and is
    not yet reaped (/proc/PID/stat, whole clock ticks each of user and system time)."""
    fields = open(f"/proc/{pid}/stat").read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICKS


def test_wallpaper_draws_under_a_window_and_sleeps_while_unseen():
    sway = Sway()
    try:
        hold_devices(sway)
        env, drawn = swap_counter(sway)
        p = sway.start([PROGRAM, "-wallpaper", "-module", "4"], **env)
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)
        window = sway.start([PROGRAM, "-window", "-module", "20"])
        assert wait_for(lambda: sway.msg("-t", "get_tree").stdout.count('"app_id": "velta2"') == 1)
        # The window has the keyboard (the wallpaper takes none): F makes it cover the output,
        # which then asks the wallpaper for no frames, and none are drawn until the window goes:
        # its own frame log shows two seconds without one, which a shown wallpaper drawing at each
        # refresh never has. (Headless sway 1.7 cannot disable or power off an output: it fails
        # to commit it.)
        keys(sway, "f")
        assert wait_for(lambda: time.monotonic_ns() - drawn()[1] > 2e9, 30)
        frames = drawn()[0]
        assert p.poll() is None
        keys(sway, "q")
        assert window.wait(10) == 0
        assert wait_for(lambda: drawn()[0] > frames + 10)
        assert lit(sway.shot("HEADLESS-1")) > 0.005
        p.send_signal(signal.SIGTERM)
        assert p.wait(10) == 0
    finally:
        sway.stop()


def test_swayidle_starts_it_and_a_key_ends_it():
    sway = Sway()
    try:
        hold_devices(sway)
        idle = sway.start(["swayidle", "-w", "timeout", "2", f"{PROGRAM} -module 4"])
        saver = lambda: subprocess.run(["pgrep", "-P", str(idle.pid)],
                                       capture_output=True).returncode == 0
        assert wait_for(saver, 20)
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)  # drawn: keys reach it
        keys(sway, "x")
        assert wait_for(lambda: not saver())
    finally:
        sway.stop()


def test_compositor_killed_under_it_ends_it_at_once():
    """It ends by itself, having done no more than finish the frame it was drawing and save: its
    processor time from the kill to its end is at most two of its frames' (one in progress, one
    for the save, the end and frames' differences) and two clock ticks, by which two readings in
    whole ticks of user and system time can overstate a difference. Wall-clock time would also
    count the machine's other work."""
    sway = Sway()
    try:
        hold_devices(sway)
        env, drawn = swap_counter(sway)
        p = sway.start([PROGRAM, "-module", "4"], **env)
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)  # drawn: keys reach it
        keys(sway, "Up")
        frames, used = drawn()[0], processor_time(p.pid)
        assert wait_for(lambda: drawn()[0] >= frames + 30)
        frame = (processor_time(p.pid) - used) / (drawn()[0] - frames)
        used = processor_time(p.pid)
        os.killpg(sway.proc.pid, signal.SIGKILL)
        ended = lambda: open(f"/proc/{p.pid}/stat").read().rsplit(")", 1)[1].split()[0] == "Z"
        assert wait_for(ended, 5)
        assert processor_time(p.pid) - used <= 2 * frame + 2 / TICKS
        assert p.wait() == 1
        lines = output_text(p).strip().splitlines()
        assert len(lines) == 1 and "went away" in lines[0] and "views are saved" in lines[0]
        assert "mod4 vert=" in settings(sway)
    finally:
        sway.stop()


def test_no_layer_shell_and_no_display_say_so_in_one_line():
    sway = Sway()  # only for its private runtime folder and user
    weston = None
    try:
        os.killpg(sway.proc.pid, signal.SIGKILL)
        env = dict(sway.env, WAYLAND_DISPLAY="velta2-weston")
        weston = subprocess.Popen(as_user() + ["weston", "--backend=headless-backend.so",
                                  "--socket=velta2-weston", "--idle-time=0"], env=env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        assert wait_for(lambda: os.path.exists(os.path.join(sway.runtime, "velta2-weston")))
        got = sway.run([PROGRAM, "-display", "velta2-weston"])
        assert got.returncode == 1 and got.stderr.count("\n") == 1 and "-window" in got.stderr
        # Every line names the program, also the one the settings code both programs share says.
        path = os.path.join(sway.env["XDG_CONFIG_HOME"], "velta2", "settings.ini")
        os.makedirs(os.path.dirname(path))
        with open(path, "w") as f:
            f.write("mod1 depth=oops\n")
        got = sway.run([PROGRAM, "-display", "nowhere"])
        lines = got.stderr.splitlines()
        assert got.returncode == 1 and len(lines) == 2 and "nowhere" in lines[1], lines
        assert "line 1 is not a setting" in lines[0], lines
        assert all(l.startswith("velta2-wayland: ") for l in lines), lines
    finally:
        if weston:
            weston.kill()
            weston.wait()
        sway.stop()


def swaps(trace):
    """The call numbers of the frames' ends in a trace."""
    dump = subprocess.run(["apitrace", "dump", "--grep=SwapBuffers", trace], capture_output=True,
                          text=True, timeout=60).stdout if os.path.exists(trace) else ""
    return [int(n) for n in re.findall(r"^(\d+) ", dump, re.M)]


def traced_frames(trace, frames):
    """The drawing calls of the first frames of an apitrace trace, without EGL's and GLX's."""
    last = swaps(trace)[frames - 1]
    dump = subprocess.run(["apitrace", "dump", "--color=never", f"--calls=0-{last}", trace],
                          capture_output=True, text=True, timeout=120).stdout
    calls = [[]]
    for name, args in re.findall(r"^\d+ (\w+)\((.*)$", dump, re.M):
        if "SwapBuffers" in name:
            calls.append([])
        elif not name.startswith(("egl", "glX")):
            calls[-1].append(name + args)
    return calls[:frames]


def test_the_saver_makes_the_drawing_calls_of_velta2():
    """Frame by frame, stepped, the saver on one output makes velta2's calls at the same size,
    after setting its surface's viewport and projection. Both clocks stand at the same second (some
    modules take their random seed from it); the first frame sets up state in its own order."""
    frames = 4
    (faketime,) = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
    sway = Sway()
    try:
        # Each program stops itself after its frames (tools/count_swaps.c, preloaded, sends it
        # SIGTERM at the last), so a trace holds those and no more, however fast it draws.
        counter = swap_counter(sway)[0]["LD_PRELOAD"]
        clock = dict(LD_PRELOAD=f"{counter}:{faketime}", FAKETIME="2024-01-01 00:00:00",
                     TZ="UTC", FAKETIME_DONT_FAKE_MONOTONIC="1", VELTA_SWAP_LIMIT=str(frames))
        ours = os.path.join(sway.home, "wayland.trace")
        # Set after the change of user, or the clock's shared memory would be root's.
        p = sway.start(["env"] + [f"{k}={v}" for k, v in clock.items()] + [
            "apitrace", "trace", "--api", "egl", "-o", ours, PROGRAM, "-module", "12", "-stepped"])
        assert p.wait(60) == 0, output_text(p)
        xvfb, display = start_xvfb(640, 480)
        theirs = os.path.join(sway.dir, "velta2.trace")
        try:
            subprocess.run(["apitrace", "trace", "-o", theirs, VELTA2, "-root", "-module", "12",
                            "-stepped"],
                           env=dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME=sway.dir,
                                    **clock), stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=60, check=True)
        finally:
            xvfb.terminate()
            xvfb.wait()
        wayland, x11 = traced_frames(ours, frames), traced_frames(theirs, frames)
        for n in range(1, frames):
            assert wayland[n][0].startswith("glViewport") and wayland[n][-len(x11[n]):] == x11[n]
    finally:
        sway.stop()
