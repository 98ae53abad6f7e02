"""The saver host as Windows drives it: run modes, the full-screen and preview windows, the
close rules and the exit codes."""
import re
import time

import pytest

from conftest import SAVER_CLASS, SCREEN_H, SCREEN_W, relay_traced, wait_until

WS_POPUP, WS_CHILD, WS_EX_TOPMOST = 0x80000000, 0x40000000, 0x8
WM_CLOSE = 0x10


def start_full_screen(desktop, start_saver, x=300, y=200):
    desktop.xdotool("mousemove", x, y)
    saver = start_saver("/s")
    window = saver.wait_window()
    time.sleep(1.0)  # let the first frames run
    return saver, window


def test_full_screen_window_covers_the_screen_and_hides_the_cursor(desktop, start_saver):
    saver, w = start_full_screen(desktop, start_saver)
    assert w["class"] == SAVER_CLASS
    assert (int(w["x"]), int(w["y"]), int(w["w"]), int(w["h"])) == (0, 0, SCREEN_W, SCREEN_H)
    assert int(w["style"], 16) & WS_POPUP
    assert int(w["exstyle"], 16) & WS_EX_TOPMOST
    assert w["visible"] == "1"
    code, rows = desktop.wintool("cursor")
    assert rows and rows[0]["cursor"] == "0", rows
    assert not saver.exited()


def test_mouse_travel_of_100_keeps_the_saver_and_101_closes_it(desktop, start_saver):
    saver, _ = start_full_screen(desktop, start_saver, 300, 200)
    desktop.xdotool("mousemove", 360, 240)  # 60 across + 40 down = 100
    time.sleep(1.5)
    assert not saver.exited(), "a travel of exactly 100 pixels closed the saver"
    desktop.xdotool("mousemove", 361, 240)  # 101 from where the saver started
    assert saver.wait(20) == 0


def test_clicks_do_not_close_but_escape_does(desktop, start_saver):
    saver, _ = start_full_screen(desktop, start_saver)
    desktop.xdotool("click", 1)
    desktop.xdotool("click", 3)
    time.sleep(1.0)
    assert not saver.exited()
    desktop.xdotool("key", "Escape")
    assert saver.wait(20) == 0


def test_a_letter_key_closes_the_saver(desktop, start_saver):
    saver, _ = start_full_screen(desktop, start_saver)
    desktop.xdotool("key", "q")
    assert saver.wait(20) == 0


def test_second_start_only_activates_the_first(desktop, start_saver):
    first, w = start_full_screen(desktop, start_saver)
    second = start_saver("/s")
    assert second.wait(30) == 0
    assert len(desktop.windows_of_class(SAVER_CLASS)) == 1
    assert not first.exited()


def test_preview_runs_as_child_of_the_host_and_ignores_the_mouse(desktop, start_saver):
    host = desktop.spawn([desktop.wintool_exe, "host", 320, 240, 60])
    row = wait_until(lambda: _first_row(host.output_path), 30)
    assert row, "the test host window did not appear"
    hwnd = row["hwnd"]
    saver = start_saver("/p", hwnd)

    def preview_child():
        kids = [c for c in desktop.wintool("children", hwnd)[1] if c["title"] == "Preview"]
        return kids[0] if kids else None

    child = wait_until(preview_child, 30)
    assert child, "no Preview child window"
    assert child["class"] == SAVER_CLASS
    assert int(child["style"], 16) & WS_CHILD
    assert (int(child["w"]), int(child["h"])) == (int(row["cw"]), int(row["ch"]))
    desktop.xdotool("mousemove", 10, 10)
    desktop.xdotool("mousemove", 600, 400)
    desktop.xdotool("key", "Escape")
    time.sleep(1.5)
    assert not saver.exited(), "the preview closed on mouse or key input"
    # The Display settings end a preview by destroying its host.
    assert desktop.wintool("post", hwnd, WM_CLOSE, 0, 0)[0] == 0
    assert saver.wait(20) == 0
    host.wait(20)


def _first_row(path):
    from conftest import parse_words
    with open(path, errors="replace") as f:
        for line in f:
            if "hwnd=" in line:
                return parse_words(line)
    return None


@pytest.mark.parametrize("args", [["/p:1234"], ["/p", "0"], ["/x"], ["/a"], ["/p", "1234"]])
def test_invalid_switches_end_with_minus_one_and_no_window(desktop, start_saver, args):
    saver = start_saver(*args)
    assert saver.wait(30) == 255
    assert not desktop.windows_of_class(SAVER_CLASS)


def test_a_burst_of_close_requests_closes_once_and_cleanly(desktop, start_saver):
    saver, w = start_full_screen(desktop, start_saver)
    for _ in range(5):
        desktop.wintool("post", w["hwnd"], WM_CLOSE, 0, 0)
    assert saver.wait(20) == 0
    assert "wine: Unhandled" not in saver.output()


# ---- Timer period and display power, read from Wine's relay trace of the calls ----

TRACED = ["user32.CreateWindowExA", "winmm.timeBeginPeriod", "winmm.timeEndPeriod",
          "gdi32.SwapBuffers"]


@pytest.fixture
def traced(desktop):
    """The environment of a saver whose window creation, timer-period calls and presented frames
    are traced."""
    with relay_traced(desktop, TRACED) as env:
        yield env


def traced_calls(saver):
    """The traced calls in order, as (function, first argument)."""
    return re.findall(r"Call (?:user32|winmm|gdi32)\.(\w+)\(([0-9a-fA-F]*)", saver.output())


def frames(saver):
    return sum(1 for name, _ in traced_calls(saver) if name == "SwapBuffers")


def assert_timer_period_held_once(saver):
    """One 1 ms period asked for after the window exists (the dialog's window is made inside
    user32, untraced) and given back after the last frame."""
    calls = traced_calls(saver)
    names = [name for name, _ in calls]
    periods = [c for c in calls if c[0].startswith("time")]
    assert periods == [("timeBeginPeriod", "00000001"), ("timeEndPeriod", "00000001")], periods
    if "CreateWindowExA" in names:
        assert names.index("CreateWindowExA") < names.index("timeBeginPeriod")
    assert "SwapBuffers" not in names[names.index("timeEndPeriod"):]


def test_display_off_stops_the_frames_and_on_resumes_them(desktop, start_saver, traced):
    desktop.xdotool("mousemove", 300, 200)
    saver = start_saver("/s", env=traced)
    hwnd = saver.wait_window()["hwnd"]
    assert wait_until(lambda: frames(saver) > 20, 20), "the saver drew no frames"
    assert desktop.wintool("power", hwnd, 0)[0] == 0
    time.sleep(0.5)
    asleep = frames(saver)
    time.sleep(2.5)
    assert frames(saver) == asleep, "frames were drawn while the display was off"
    assert not saver.exited(), "the saver ended while the display was off"
    assert desktop.wintool("power", hwnd, 2)[0] == 0  # dimmed: visible again
    resumed = wait_until(lambda: frames(saver) > asleep + 20 or saver.exited(), 20)
    assert resumed and not saver.exited(), (
        f"the frames did not resume: {frames(saver) - asleep} frames after the display came"
        f" back, the saver {'ended' if saver.exited() else 'still runs'}")
    desktop.xdotool("key", "Escape")
    assert saver.wait(20) == 0
    assert_timer_period_held_once(saver)


def test_preview_and_settings_dialog_hold_the_timer_period_once(desktop, start_saver, traced):
    host = desktop.spawn([desktop.wintool_exe, "host", 320, 240, 60])
    row = wait_until(lambda: _first_row(host.output_path), 30)
    preview = start_saver("/p", row["hwnd"], env=traced)
    assert wait_until(lambda: frames(preview) > 10, 30), "the preview drew no frames"
    assert desktop.wintool("post", row["hwnd"], WM_CLOSE, 0, 0)[0] == 0
    assert preview.wait(20) == 0
    assert_timer_period_held_once(preview)

    dialog = start_saver("/c", env=traced)
    window = dialog.wait_window("#32770", "Velta II Settings")
    assert wait_until(lambda: frames(dialog) > 10, 30), "the settings preview drew no frames"
    desktop.click(window["hwnd"], 2)  # Cancel
    dialog.wait(20)
    assert_timer_period_held_once(dialog)
    host.wait(20)
