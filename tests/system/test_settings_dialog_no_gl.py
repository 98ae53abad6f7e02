"""The settings dialog on a display without OpenGL: the context for the preview panel cannot be
made, the failure is reported once, and the dialog still works and ends by OK, Cancel and a
close request, without preview, music or frames."""
import shutil
import tempfile
import time

import pytest

from conftest import Desktop, wait_until
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
