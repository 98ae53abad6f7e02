"""The settings dialog and the full-screen saver on a display without OpenGL. The dialog's
preview context cannot be made, the failure is reported once, and the dialog still works and
ends by OK, Cancel and a close request, without preview, music or frames. The saver reports
the missing pixel format once, stays black until it is closed, and ends with exit code 0, also
when the close request comes while its message is still open."""
import shutil
import tempfile
import time

import pytest

from conftest import SAVER_CLASS, Desktop, wait_until
from test_settings_dialog import (DIALOG_CLASS, DISABLE_ALL, IDCANCEL, IDOK, SCREEN_H, SCREEN_W,
                                  SETTINGS_KEY, TITLE, WM_CLOSE, SettingsDialog, enable_box,
                                  reg_values, settled)


@pytest.fixture(scope="module")
def desktop(pytestconfig):
    workdir = tempfile.mkdtemp(prefix="velta-no-gl-")
    d = Desktop(pytestconfig, workdir, SCREEN_W, SCREEN_H, ["-extension", "GLX"])
    d.start()
    yield d
    d.stop()
    shutil.rmtree(workdir, ignore_errors=True)


@pytest.fixture(autouse=True)
def empty_registry(desktop):
    desktop.reg("delete", r"HKCU\Software\Quillon", "/f")
    wait_until(lambda: not desktop.windows_of_class(DIALOG_CLASS), 10)
    yield


def open_without_preview(desktop, start_saver):
    settled(desktop, **{"mod1 depth": 5000})
    saver = start_saver("/c")
    error = saver.wait_window(DIALOG_CLASS, "ERROR")
    texts = [r["title"] for r in desktop.wintool("children", error["hwnd"])[1]]
    assert any(t.startswith("Can't") for t in texts), texts
    desktop.wintool("click", error["hwnd"], IDOK)
    assert wait_until(lambda: not desktop.find_window(DIALOG_CLASS, "ERROR"), 10)
    dialog = SettingsDialog(desktop, saver, saver.wait_window(DIALOG_CLASS, TITLE)["hwnd"])
    time.sleep(0.5)
    return dialog


def test_ok_saves_and_ends_the_dialog(desktop, start_saver):
    dialog = open_without_preview(desktop, start_saver)
    dialog.click(DISABLE_ALL)
    assert not dialog.checked(enable_box(1))
    dialog.click(IDOK)
    assert dialog.wait_closed() == 1
    values = reg_values(desktop, SETTINGS_KEY)
    assert [values[f"mod{k} active"] for k in range(1, 21)] == [0] * 20


@pytest.mark.parametrize("close", ["cancel", "close request"])
def test_cancel_and_close_end_the_dialog_without_saving(desktop, start_saver, close):
    dialog = open_without_preview(desktop, start_saver)
    dialog.click(DISABLE_ALL)
    if close == "cancel":
        dialog.click(IDCANCEL)
    else:
        desktop.wintool("post", dialog.hwnd, WM_CLOSE, 0, 0)
    assert dialog.wait_closed() == 1
    assert reg_values(desktop, SETTINGS_KEY)["mod1 active"] == 1


# ---- The full-screen saver ----

def start_full_screen(desktop, start_saver):
    desktop.xdotool("mousemove", 300, 200)
    return start_saver("/s")


def test_saver_reports_the_missing_pixel_format_once_and_stays_black(desktop, start_saver):
    saver = start_full_screen(desktop, start_saver)
    assert desktop.answer_box("ERROR") == ["Can't Find A Suitable PixelFormat."]
    saver.wait_window()
    time.sleep(1.0)
    assert not desktop.windows_of_class(DIALOG_CLASS), "a second message came"
    assert not saver.exited()
    desktop.xdotool("mousemove", 500, 400)  # no frames read keys; the mouse rule still works
    assert saver.wait(20) == 0
    assert len(reg_values(desktop, SETTINGS_KEY)) == 162


def test_a_close_request_while_the_message_is_open_ends_the_run_with_0(desktop, start_saver):
    saver = start_full_screen(desktop, start_saver)
    assert wait_until(lambda: desktop.find_window(DIALOG_CLASS, "ERROR"), 30)
    # The message comes while the window is being made; the box's own message loop hands the
    # request to the window, which closes before its creation has finished.
    window = desktop.find_window(SAVER_CLASS, "Screen Saver")
    assert desktop.wintool("post", window["hwnd"], WM_CLOSE, 0, 0)[0] == 0
    assert saver.wait(20) == 0
    assert not desktop.windows_of_class(DIALOG_CLASS)
    assert len(reg_values(desktop, SETTINGS_KEY)) == 162
