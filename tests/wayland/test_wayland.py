"""velta2-wayland on a headless sway: the saver on two outputs, steered and ended by keys or the
pointer with the views saved, outputs coming and going, the wallpaper asleep while unseen,
swayidle starting it, the compositor killed under it, and the lines for no layer-shell and no
display."""
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


def settings(sway):
    path = os.path.join(sway.env["XDG_CONFIG_HOME"], "velta2", "settings.ini")
    return open(path).read() if os.path.exists(path) else ""


def keys(sway, *names):
    # The virtual keyboard stays a second before typing, so the saver has taken it.
    args = ["wtype", "-s", "1000"]
    for name in names:
        args += ["-k", name]
    assert sway.run(args).returncode == 0


def test_saver_covers_outputs_steers_and_ends_on_a_key_or_the_pointer():
    sway = Sway(sizes=((640, 480), (320, 240)))
    try:
        p = sway.start([PROGRAM, "-module", "4"])
        assert wait_for(lambda: min(lit(sway.shot(o)) for o in ("HEADLESS-1", "HEADLESS-2")) > 0.005)
        assert sway.shot("HEADLESS-2").size == (320, 240)
        keys(sway, "x")
        assert p.wait(10) == 0, output_text(p)
        plain = settings(sway)
        p = sway.start([PROGRAM, "-module", "4"])
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)  # drawn: keys reach it
        keys(sway, "Up", "Up", "F8", "Escape")
        assert p.wait(10) == 0, output_text(p)
        steered = settings(sway)
        assert "mod4 vert=" in steered and steered != plain
        assert [l for l in plain.splitlines() if l.startswith("mod1 ")] == \
            [l for l in steered.splitlines() if l.startswith("mod1 ")]
        # The pointer: a small movement is not enough, a longer one ends it, views saved.
        p = sway.start([PROGRAM, "-module", "4"])
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)  # drawn: keys reach it
        keys(sway, "Down")
        assert sway.run([MOVE_POINTER, "3", "10", "5"]).returncode == 0
        time.sleep(0.5)
        assert p.poll() is None
        assert sway.run([MOVE_POINTER, "10", "20", "10"]).returncode == 0
        assert p.wait(10) == 0, output_text(p)
        assert settings(sway) != steered
    finally:
        sway.stop()


def test_outputs_added_and_removed_while_it_runs():
    sway = Sway()
    try:
        p = sway.start([PROGRAM, "-module", "9"])
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)
        assert sway.msg("create_output").returncode == 0
        sway.msg("output", "HEADLESS-2", "resolution", "320x240")
        assert wait_for(lambda: lit(sway.shot("HEADLESS-2")) > 0.005)
        assert sway.msg("output", "HEADLESS-1", "disable").returncode == 0
        time.sleep(1)
        assert p.poll() is None and lit(sway.shot("HEADLESS-2")) > 0.005
        keys(sway, "space")
        assert p.wait(10) == 0, output_text(p)
    finally:
        sway.stop()


def swap_counter(sway):
    """tools/count_swaps.c built for the test; the frames drawn are then read with frames()."""
    counter = os.path.join(sway.dir, "libcount_swaps.so")
    subprocess.run(["cc", "-shared", "-fPIC", "-o", counter, os.path.join(
        os.path.dirname(__file__), "..", "..", "tools", "count_swaps.c"), "-ldl"], check=True)
    log = os.path.join(sway.home, "swaps")
    frames = lambda: int(open(log).read().split()[0]) if os.path.exists(log) else 0
    return dict(LD_PRELOAD=counter, VELTA_SWAP_LOG=log), frames


def test_wallpaper_draws_under_a_window_and_sleeps_while_unseen():
    sway = Sway()
    try:
        env, frames = swap_counter(sway)
        p = sway.start([PROGRAM, "-wallpaper", "-module", "4"], **env)
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)
        window = sway.start([PROGRAM, "-window", "-module", "20"])
        assert wait_for(lambda: sway.msg("-t", "get_tree").stdout.count('"app_id": "velta2"') == 1)
        # The window has the keyboard (the wallpaper takes none): F makes it cover the output,
        # which then asks the wallpaper for no frames, and none are drawn until the window goes.
        # (Headless sway 1.7 cannot disable or power off an output: it fails to commit it.)
        keys(sway, "f")
        assert wait_for(lambda: '"fullscreen_mode": 1' in sway.msg("-t", "get_tree").stdout)
        time.sleep(0.5)  # the frame the wallpaper was drawing when it was covered
        drawn = frames()
        time.sleep(2)
        assert frames() == drawn and p.poll() is None
        keys(sway, "q")
        assert window.wait(10) == 0
        assert wait_for(lambda: frames() > drawn + 10)
        assert lit(sway.shot("HEADLESS-1")) > 0.005
        p.send_signal(signal.SIGTERM)
        assert p.wait(10) == 0
    finally:
        sway.stop()


def test_swayidle_starts_it_and_a_key_ends_it():
    sway = Sway()
    try:
        idle = sway.start(["swayidle", "-w", "timeout", "2", f"{PROGRAM} -module 4"])
        saver = lambda: subprocess.run(["pgrep", "-P", str(idle.pid)],
                                       capture_output=True).returncode == 0
        assert wait_for(saver, 20)
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)  # drawn: keys reach it
        keys(sway, "x")
        assert wait_for(lambda: not saver())
    finally:
        sway.stop()


def test_compositor_killed_under_it_ends_it_within_a_second():
    sway = Sway()
    try:
        p = sway.start([PROGRAM, "-module", "4"])
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)
        os.killpg(sway.proc.pid, signal.SIGKILL)
        killed = time.monotonic()
        assert p.wait(5) == 1
        assert time.monotonic() - killed < 1.0
        lines = output_text(p).strip().splitlines()
        assert len(lines) == 1 and "went away" in lines[0] and "views are saved" in lines[0]
        assert settings(sway).rstrip().endswith("sound=0") or "mod20" in settings(sway)
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
        got = sway.run([PROGRAM, "-display", "nowhere"])
        assert got.returncode == 1 and got.stderr.count("\n") == 1 and "nowhere" in got.stderr
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
