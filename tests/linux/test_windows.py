"""Where velta2 draws and how it ends: its own resizable window (the default), the root window,
a window it is given by id or by XScreenSaver's variable; signals and close requests."""
import signal
import time

import pytest
from PIL import Image

from conftest import SCREEN_H, SCREEN_W
from harness.display import assert_glyph_shapes, picture_distance


def assert_drawn_and_moving(screen, box=None):
    first = screen.shot(box)
    time.sleep(0.5)
    second = screen.shot(box)
    assert_glyph_shapes(first)
    assert picture_distance(first, second) > 0.3, "the picture stands still"


def lit_centre(path):
    """Where the lit pixels lie on average, as shares of the picture's width and height."""
    image = Image.open(path).convert("L")
    width, height = image.size
    lit = [(i % width, i // width) for i, v in enumerate(image.getdata()) if v > 10]
    return (sum(x for x, _ in lit) / len(lit) / width, sum(y for _, y in lit) / len(lit) / height)


def test_own_window_by_default_follows_its_size_and_closes_on_request(screen, velta):
    # Module 3 is a ring around a sphere in the middle of the view.
    v = velta("-module", "3")
    window = v.window()
    assert screen.size(window) == (SCREEN_W, SCREEN_H)
    assert_drawn_and_moving(screen)

    screen.run("xdotool", "windowsize", window, 400, 300)
    assert screen.size(window) == (400, 300)
    time.sleep(0.3)
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
    # Frames come at most every 31 ms, also when the system's sleep fails (no loop at full speed).
    assert all(5 < f < 33 for f in today), today
    assert "steps per second" not in stepped.out()

    smooth = velta("-root", "-module", "3", env=noop)
    frames = smooth.fps_figures(4)[1:]
    assert smooth.end() == 0
    steps = [float(line.split()[1]) for line in smooth.out().splitlines()
             if line.endswith("steps per second")][1:3]
    # Up to the display's 60 Hz, more than stepped, and the motion at 1000 / 31 steps a second.
    assert all(f <= 61 for f in frames) and sum(frames) > 1.3 * sum(today), (frames, today)
    assert sum(steps) / len(steps) == pytest.approx(1000 / 31, abs=2.5), steps

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
    started = time.monotonic()
    assert v.end(sig) == 0
    assert time.monotonic() - started < 2
    assert screen.windows() == []
    assert v.err() == ""
