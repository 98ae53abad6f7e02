"""The view keys and the settings in the registry as the full-screen saver uses them: keys steer
the view, the steered view is kept, F1 and F11 open their boxes, and stored values read by
their rules."""
import re
import time

import pytest

from conftest import wait_until

SETTINGS_KEY = r"HKCU\Software\Quillon\Velta II"
DIALOG_CLASS = "#32770"
IDOK = 1


def read_settings(desktop):
    """Every REG_DWORD of the settings key as a signed integer, by name."""
    code, text = desktop.reg("query", SETTINGS_KEY)
    values = {}
    for line in text.splitlines():
        m = re.match(r"^\s+(.+?)\s+REG_DWORD\s+0x([0-9a-fA-F]+)\s*$", line)
        if m:
            v = int(m.group(2), 16)
            values[m.group(1)] = v - (1 << 32) if v >= 1 << 31 else v
    return values


@pytest.fixture
def settings(desktop):
    """A user who never ran the saver; whatever a test stores is removed afterwards."""
    desktop.reg("delete", SETTINGS_KEY, "/f")
    yield
    desktop.reg("delete", SETTINGS_KEY, "/f")


def start(desktop, start_saver, x=300, y=200):
    desktop.xdotool("mousemove", x, y)
    saver = start_saver("/s")
    saver.wait_window()
    time.sleep(1.0)
    return saver


def keys(desktop, *names):
    for name in names:
        desktop.xdotool("key", name)
        time.sleep(0.2)


def wait_dialog(desktop, title, timeout=15):
    found = wait_until(lambda: desktop.find_window(DIALOG_CLASS, title), timeout)
    assert found, f"no {title!r} box appeared"
    return found


def dialog_items(desktop, dialog):
    return desktop.wintool("items", dialog["hwnd"])[1]


def close_dialog(desktop, dialog):
    desktop.click(dialog["hwnd"], IDOK)
    assert wait_until(lambda: not desktop.find_window(DIALOG_CLASS, dialog["title"]), 15)


def params(desktop):
    """Opens the F11 parameter dump, reads its text and closes it: {'g_fDepth': 47.0, ...}."""
    keys(desktop, "F11")
    box = wait_dialog(desktop, "Params")
    # The box is found as soon as it exists; its text may come a moment later.
    texts = wait_until(lambda: [i["text"] for i in dialog_items(desktop, box)
                                if "g_fDepth" in i["text"]], 10)
    assert texts, "the Params box shows no values"
    text = texts[0]
    close_dialog(desktop, box)
    return {name: float(value) for name, value in re.findall(r"(g_f\w+)\s+(-?[\d.]+)", text)}


def test_first_run_writes_every_value(desktop, start_saver, settings):
    saver = start(desktop, start_saver)
    values = read_settings(desktop)  # written at start-up, before any close
    assert len(values) == 162
    assert "checked_for_velta_params" not in values  # the saver never asks about the import
    assert values["mod1 depth"] == 5000
    assert values["mod7 vert"] == 1214
    assert values["mod5 xrot"] == -15769
    assert values["mod20 active"] == 1
    assert values["cycle time"] == 15
    assert values["enable sound"] == 0
    keys(desktop, "Escape")
    assert saver.wait(20) == 0


def test_steered_view_is_kept_and_shown_next_run(desktop, start_saver, settings):
    saver = start(desktop, start_saver, 300, 200)
    # Module 1 at depth 50: one step of 1, then steps of 0.3 below 50; keypad 3 is Page Down.
    keys(desktop, "Next", "Page_Down", "KP_Next", "Up", "F6")
    assert not saver.exited(), "a view key closed the saver"
    desktop.xdotool("mousemove", 500, 300)
    assert saver.wait(20) == 0
    values = read_settings(desktop)
    assert values["mod1 depth"] == 4840
    assert values["mod1 vert"] == 10
    assert values["mod1 zrot"] == 150
    assert values["mod2 depth"] == 4000

    saver = start(desktop, start_saver, 300, 200)
    shown = params(desktop)
    assert shown["g_fDepth"] == pytest.approx(48.4, abs=1e-5)
    assert shown["g_fVert"] == pytest.approx(0.1, abs=1e-5)
    assert shown["g_fZrot"] == pytest.approx(1.5, abs=1e-5)
    assert not saver.exited(), "the parameter dump ended the saver"
    keys(desktop, "Escape")
    assert saver.wait(20) == 0


def test_enter_switches_module_at_once_and_home_restores(desktop, start_saver, settings):
    saver = start(desktop, start_saver)
    assert params(desktop)["g_fDepth"] == 50.0  # module 1
    keys(desktop, "Return")
    assert params(desktop)["g_fDepth"] == 68.0 - 28.0  # module 2 keeps the general depth 40
    keys(desktop, "BackSpace", "Prior", "Left")
    shown = params(desktop)
    assert shown["g_fDepth"] == 51.0 and shown["g_fHorz"] == -1.0
    keys(desktop, "Home")
    shown = params(desktop)
    assert shown["g_fDepth"] == 50.0 and shown["g_fHorz"] == 0.0
    keys(desktop, "Escape")
    assert saver.wait(20) == 0


def test_f1_opens_the_control_menu_and_ok_returns_to_the_saver(desktop, start_saver, settings):
    saver = start(desktop, start_saver)
    keys(desktop, "F1")
    menu = wait_dialog(desktop, "Control Menu")
    assert menu["visible"] == "1"
    items = wait_until(lambda: [i for i in dialog_items(desktop, menu) if i["text"]], 10)
    ok = [i for i in items if i["id"] == "1"]
    assert ok and ok[0]["text"] == "OK"
    texts = [i["text"] for i in items]
    assert ("F1 - This Control Menu\\nEsc - Quit\\n\\nPage Up - Zoom Out\\nPage Down - Zoom In"
            "\\nArrow Keys - Up Down Right Left\\nF2,F3 - Rotate Fwd/Bkwd\\nF4,F5 - Rotate "
            "Vertical\\nF6,F7 - Rotate Left/Right\\nF8,F9 - Speed Up/Down\\nHome - Restore "
            "Default Position") in texts
    assert "Enter - Next Module\\nBackspace - Previous Module" in texts
    code, rows = desktop.wintool("cursor")
    assert rows and rows[0]["showing"] == "1", "the pointer is hidden over the Control Menu"
    close_dialog(desktop, menu)
    time.sleep(1.0)
    assert not saver.exited(), "closing the Control Menu ended the saver"
    keys(desktop, "Prior")
    assert params(desktop)["g_fDepth"] == 51.0  # the keys reach the saver again
    keys(desktop, "Escape")
    assert saver.wait(20) == 0


def test_stored_oddities_are_read_by_their_rules(desktop, start_saver, settings):
    desktop.set_dwords(SETTINGS_KEY, {
        "mod1 depth": 5000, "mod1 active": -3, "mod2 speed": 5000, "mod2 depth": -9998,
        "mod3 speed": 0, "mod3 depth": -9999, "mod4 active": 7, "cycle time": -1})
    saver = start(desktop, start_saver)
    shown = params(desktop)  # module 1 is disabled: module 2 comes first
    assert shown["g_fSpeed"] == 10.0
    assert shown["g_fDepth"] == pytest.approx(-99.98, abs=1e-4)
    keys(desktop, "Return")
    shown = params(desktop)
    assert shown["g_fSpeed"] == 0.0625 and shown["g_fDepth"] == 68.0
    keys(desktop, "Escape")
    assert saver.wait(20) == 0
    values = read_settings(desktop)
    assert values["mod1 active"] == 0
    assert values["mod4 active"] == 1
    assert values["mod2 speed"] == 1000
    assert values["mod3 speed"] == 6
    assert values["mod3 depth"] == 6800
    assert values["mod2 depth"] == -9998
    assert values["cycle time"] == 15


def test_a_value_of_another_type_counts_as_missing(desktop, start_saver, settings):
    code, text = desktop.reg("add", SETTINGS_KEY, "/v", "mod1 depth", "/t", "REG_SZ", "/d",
                             "far away", "/f")
    assert code == 0, text
    desktop.set_dwords(SETTINGS_KEY, {"mod2 depth": 1234})
    saver = start(desktop, start_saver)
    assert params(desktop)["g_fDepth"] == 50.0  # no module value is read without mod1 depth
    keys(desktop, "Escape")
    assert saver.wait(20) == 0
    values = read_settings(desktop)
    assert values["mod1 depth"] == 5000 and values["mod2 depth"] == 4000
