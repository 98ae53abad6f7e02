"""velta2-wayland on a headless sway: the saver on two outputs, steered and ended by keys with the
views saved, outputs coming and going, the wallpaper asleep while unseen, swayidle starting it,
the compositor killed under it, and the lines for no layer-shell and no display."""
import os
import signal
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
from compositor import Sway, as_user, lit, output_text, wait_for  # noqa: E402

PROGRAM = os.path.join(os.environ["VELTA_LINUX_BUILD"], "wayland", "velta2-wayland")


def settings(sway):
    path = os.path.join(sway.env["XDG_CONFIG_HOME"], "velta2", "settings.ini")
    return open(path).read() if os.path.exists(path) else ""


def keys(sway, *names):
    # The virtual keyboard stays a second before typing, so the saver has taken it.
    args = ["wtype", "-s", "1000"]
    for name in names:
        args += ["-k", name]
    assert sway.run(args).returncode == 0


def test_saver_covers_outputs_steers_and_ends_on_a_key():
    sway = Sway(sizes=((640, 480), (320, 240)))
    try:
        p = sway.start([PROGRAM, "-module", "4"])
        assert wait_for(lambda: min(lit(sway.shot(o)) for o in ("HEADLESS-1", "HEADLESS-2")) > 0.005)
        assert sway.shot("HEADLESS-2").size == (320, 240)
        keys(sway, "x")
        assert p.wait(10) == 0, output_text(p)
        plain = settings(sway)
        p = sway.start([PROGRAM, "-module", "4"])
        time.sleep(1)
        keys(sway, "Up", "Up", "F8", "Escape")
        assert p.wait(10) == 0, output_text(p)
        steered = settings(sway)
        assert "mod4 vert=" in steered and steered != plain
        assert [l for l in plain.splitlines() if l.startswith("mod1 ")] == \
            [l for l in steered.splitlines() if l.startswith("mod1 ")]
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


def test_wallpaper_draws_under_a_window_and_sleeps_while_unseen():
    sway = Sway()
    try:
        p = sway.start([PROGRAM, "-wallpaper", "-module", "4", "-fps"])
        assert wait_for(lambda: lit(sway.shot("HEADLESS-1")) > 0.005)
        window = sway.start([PROGRAM, "-window", "-module", "20"])
        assert wait_for(lambda: sway.msg("-t", "get_tree").stdout.count('"app_id": "velta2"') == 1)
        keys(sway, "q")  # the window has the keyboard; the wallpaper takes none
        assert window.wait(10) == 0 and p.poll() is None
        # Disabled and enabled again, the output gets the wallpaper back. (Whether frames stop
        # meanwhile is up to the compositor's frame callbacks: sway 1.7 goes on sending them.)
        sway.msg("output", "HEADLESS-1", "disable")
        time.sleep(1)
        lines = output_text(p).count("frames per second")
        sway.msg("output", "HEADLESS-1", "enable")
        assert wait_for(lambda: output_text(p).count("frames per second") > lines + 1)
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
        time.sleep(1)
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
