"""The full-screen saver on two monitors: an 800 x 600 primary and a 640 x 360 monitor to its
left, 120 pixels down, so that the second one lies at negative coordinates.

One wide Xvfb screen without RANDR, and a test-only libXinerama (fake_xinerama.c, built here
with the host compiler) that tells Wine where the two heads are. On the X screen the second
monitor starts at x 0 and the primary at x 640; Windows puts the primary at 0, 0.
"""
import os
import subprocess
import tempfile
import time

import pytest
from PIL import Image

from conftest import Desktop, assert_glyph_shapes, picture_distance, wait_until

HEADS = "800x600+640+0,640x360+0+120"
PRIMARY_X = 640  # X screen column of the primary's left edge, Windows' x 0
COPY_BOX = (80, 120, 560, 480)  # the second monitor's scaled copy on the X screen: 480 x 360
IDOK, WM_CLOSE = 1, 0x10


@pytest.fixture(scope="session")
def desktop(pytestconfig):
    workdir = tempfile.mkdtemp(prefix="velta-monitors-")
    library = os.path.join(workdir, "libXinerama.so.1")
    source = os.path.join(os.path.dirname(__file__), "fake_xinerama.c")
    subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", library, source], check=True)
    d = Desktop(pytestconfig, workdir, 1440, 600, ["-extension", "RANDR"])
    d.env.update(LD_LIBRARY_PATH=workdir, VELTA_TEST_HEADS=HEADS)
    d.start()
    yield d
    d.stop()


def to_x(windows_x):
    return windows_x + PRIMARY_X


def start_on(desktop, start_saver, x, y):
    """The saver, started with the pointer at Windows coordinates x, y."""
    desktop.xdotool("mousemove", to_x(x), y)
    saver = start_saver("/s")
    window = saver.wait_window()
    time.sleep(2.0)
    return saver, window


def centre_of(row):
    return int(row["x"]) + int(row["w"]) // 2, int(row["y"]) + int(row["h"]) // 2


def test_both_monitors_show_the_picture_and_dialogs_open_on_the_primary(desktop, start_saver):
    monitors = [r for r in desktop.wintool("monitors")[1]]
    assert {k: int(v) for k, v in monitors[0].items()} == {"x": -640, "y": 0, "w": 1440, "h": 600}
    # A window standing on the second monitor, which the saver must hide.
    other = desktop.spawn([desktop.wintool_exe, "host", 200, 150, 60, -600, 150])
    assert wait_until(lambda: desktop.find_window("VeltaTestHost", "Velta Test Host"), 30)
    saver, window = start_on(desktop, start_saver, 200, 300)
    assert (int(window["x"]), int(window["y"]), int(window["w"]), int(window["h"])) == \
        (-640, 0, 1440, 600)
    assert desktop.wintool("at", -500, 220)[1][0]["hwnd"] == window["hwnd"]

    shot = Image.open(desktop.screenshot("two-monitors.png")).convert("RGB")
    primary = os.path.join(desktop.workdir, "primary.png")
    copy = os.path.join(desktop.workdir, "copy.png")
    shot.crop((PRIMARY_X, 0, 1440, 600)).save(primary)
    shot.crop(COPY_BOX).save(copy)
    assert_glyph_shapes(primary)
    assert_glyph_shapes(copy)
    # The copy is the same frame, scaled by 0.6; the bars beside it stay black.
    assert picture_distance(primary, copy) < 3
    for bar in [(0, 120, 80, 480), (560, 120, 640, 480)]:
        assert max(shot.crop(bar).convert("L").getdata()) < 20, bar

    # Dialogs opened from the saver come up in the middle of the primary monitor.
    desktop.xdotool("key", "F1")
    menu = wait_until(lambda: desktop.find_window("#32770", "Control Menu"), 20)
    assert menu, "F1 opened no Control Menu"
    x, y = centre_of(menu)
    assert abs(x - 400) <= 2 and abs(y - 300) <= 2, menu
    desktop.wintool("click", menu["hwnd"], IDOK)
    assert wait_until(lambda: not desktop.find_window("#32770", "Control Menu"), 20)
    desktop.xdotool("key", "F11")
    params = wait_until(lambda: desktop.find_window("#32770", "Params"), 20)
    assert params, "F11 opened no Params box"
    x, y = centre_of(params)
    assert abs(x - 400) <= 2 and abs(y - 300) <= 2, params
    desktop.answer_box("Params")
    desktop.xdotool("key", "Escape")
    assert saver.wait(20) == 0
    desktop.wintool("post", desktop.find_window("VeltaTestHost", "Velta Test Host")["hwnd"],
                    WM_CLOSE, 0, 0)
    other.wait(20)


def test_a_mouse_movement_on_the_second_monitor_closes_the_saver(desktop, start_saver):
    saver, _ = start_on(desktop, start_saver, -320, 300)
    desktop.xdotool("mousemove", to_x(-320 + 60), 300 + 40)  # 100: stays
    time.sleep(1.5)
    assert not saver.exited(), "a travel of exactly 100 pixels closed the saver"
    desktop.xdotool("mousemove", to_x(-320 + 150), 300)
    assert saver.wait(20) == 0
