"""Where velta2 draws and how it ends: its own resizable window (the default), the root window,
a window it is given by id or by XScreenSaver's variable; signals and close requests."""
import re
import signal

import pytest
from PIL import Image

from conftest import SCREEN_H, SCREEN_W
from harness.display import (assert_glyph_shapes, picture_distance, wait_for_glyph_shapes,
                             wait_until)


def assert_drawn_and_moving(screen, box=None):
    first = wait_for_glyph_shapes(lambda: screen.shot(box))
    assert wait_until(lambda: picture_distance(first, screen.shot(box)) > 0.3, 10), \
        "the picture stands still"


def lit_centre(path):
    """Where the lit pixels lie on average, as shares of the picture's width and height."""
    image = Image.open(path).convert("L")
    width, height = image.size
    lit = [(i % width, i // width) for i, v in enumerate(image.getdata()) if v > 10]
    return (sum(x for x, _ in lit) / len(lit) / width, sum(y for _, y in lit) / len(lit) / height)


def in_middle(path):
    try:
        assert_glyph_shapes(path)
    except AssertionError:
        return False
    x, y = lit_centre(path)
    return 0.4 < x < 0.6 and 0.4 < y < 0.6


def test_own_window_by_default_follows_its_size_and_closes_on_request(screen, velta):
    # Module 3 is a ring around a sphere in the middle of the view.
    v = velta("-module", "3")
    window = v.window()
    assert screen.size(window) == (SCREEN_W, SCREEN_H)
    assert_drawn_and_moving(screen)

    screen.run("xdotool", "windowsize", window, 400, 300)
    assert screen.size(window) == (400, 300)
    # The new size shows once velta2 has drawn a frame at it; until then the old picture's
    # corner is there.
    wait_until(lambda: in_middle(screen.shot((0, 0, 400, 300))), 10)
    small = screen.shot((0, 0, 400, 300))
    assert_glyph_shapes(small)
    x, y = lit_centre(small)
    assert 0.4 < x < 0.6 and 0.4 < y < 0.6, "the picture is not in the middle of the window"

    screen.run(screen.tool, "close", window)
    assert v.wait(5) == 0
    assert screen.windows() == []


@pytest.mark.parametrize("sleep", ["works", "fails"])
def test_root_window_and_frame_figures(screen, velta, pytestconfig, sleep):
    env = {"LD_PRELOAD": pytestconfig.getoption("--failing-sleep")} if sleep == "fails" else {}
    # Mesa skips the pixels, so that the machine's speed sets the frame rate less.
    noop = dict(env, GALLIUM_NOOP="1")
    stepped = velta("-root", "-module", "3", "-stepped", env=noop)
    today = stepped.fps_figures(3)[1:]
    assert stepped.end() == 0
    # Frames at least 31 ms apart on the program's clock, also when the system's sleep fails (no
    # loop at full speed). A figure counts the frames after one figure up to the first one at
    # least 1000 ms later: at most covered / 31 of them, so never above 1000 / 31 = 32.26.
    assert all(0 < f <= 32.3 for f in today), today
    assert "steps per second" not in stepped.out()

    smooth = velta("-root", "-module", "3", env=noop)
    smooth.fps_figures(4)
    assert smooth.end() == 0
    out = smooth.out().splitlines()
    hz, every = (float(w) for w in re.search(r"([\d.]+) Hz display, a frame every (\d+)",
                                               out[0]).groups())
    # Each line of frames is followed by the steps of the same second (the first pair skipped:
    # it holds the start).
    pairs = [(float(a.split()[1]), float(b.split()[1])) for a, b in zip(out, out[1:])
             if a.endswith("frames per second") and b.endswith("steps per second")][1:3]
    frames, steps = zip(*pairs)
    # Frames are due one display period apart and never come early: over a second, at most one
    # more than the rate, and one for a frame that started the second late.
    assert all(f <= hz / every + 2 for f in frames), (frames, hz, every)
    # Drawn between the steps: more frames than steps in the same seconds.
    assert sum(frames) > sum(steps), pairs
    # The motion at 1000 / 31 steps a second: the steps between two frames about a second apart
    # are within one of their time apart / 31, and that time differs from the second the line
    # covers by the two frames' drawing (under a display period each: 2 x 16.7 ms = 1.1 steps).
    assert sum(steps) / len(steps) == pytest.approx(1000 / 31, abs=2.2), steps

    v = velta("-root", "-module", "3", env=env)
    assert_drawn_and_moving(screen)
    assert screen.windows() == []
    assert v.end(signal.SIGINT) == 0
    # A failing sleep is said once by each run, and its frames kept their pace all the same.
    for run in (stepped, smooth):
        assert run.err().count("the system's sleep failed") == (sleep == "fails")


@pytest.mark.parametrize("given", ["-window-id", "XSCREENSAVER_WINDOW"])
def test_given_window_is_drawn_into_until_it_is_destroyed(screen, velta, host_window, given):
    host = host_window(480, 360)
    if given == "-window-id":
        v = velta("-window-id", host.id, "-module", "3")
    else:  # as XScreenSaver runs a hack
        v = velta("-root", "-module", "3", env={"XSCREENSAVER_WINDOW": f"0x{host.id:X}"})
    assert_drawn_and_moving(screen, (0, 0, 480, 360))
    assert screen.windows() == []
    host.destroy()
    assert v.wait(5) == 0
    assert v.err() == ""


@pytest.mark.parametrize("sig", [signal.SIGTERM, signal.SIGINT])
def test_signals_end_with_0_and_leave_no_window(screen, velta, sig):
    v = velta("-window", "-module", "1")
    v.window()
    assert v.end(sig) == 0  # within the wait's limit: the signal is not left for later
    assert screen.windows() == []
    assert v.err() == ""
