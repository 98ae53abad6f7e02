"""The settings dialog as a user drives it under Wine: clicks and keys through xdotool on the
real velta2.scr, the registry read back with `wine reg query`, the About box, the one-time
import question, and the preview panel judged by the OpenGL calls it makes (recorded with
apitrace), since Wine does not show OpenGL drawn into a child window on screen."""
import os
import re
import signal
import struct
import subprocess
import time

import shutil
import tempfile

import pytest

from conftest import Desktop, wait_until

DIALOG_CLASS = "#32770"
TITLE = "Velta II Settings"
ABOUT_TITLE = "About Velta II"
SETTINGS_KEY = r"HKCU\Software\Quillon\Velta II"
PREDECESSOR_KEY = r"HKCU\Software\Quillon\Velta"
IMPORT_TITLE = "Original Velta Screensaver Found"
IMPORT_TEXT = "Do you want to use your old Velta settings for Velta_II?"

IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
ABOUT, ENABLE_ALL, DISABLE_ALL = 16, 1109, 1111
SPIN, SECONDS, PANEL, SOUND = 1071, 1072, 1115, 1122
WM_CLOSE = 0x10

MODULE_NAMES = ["Shechen", "Jokhang", "Mindroling", "Tsurphu", "Palpung", "Kathok", "Samdrup",
                "Drepung", "Sera", "Dzogchen", "Menri", "Samye", "Dorje Drak", "Nyingma",
                "Kagyu", "Sakya", "Surmang", "Ganden", "Palyul", "Gelug"]
FIELDS = ["depth", "horz", "vert", "xrot", "yrot", "zrot", "speed", "active"]


def enable_box(k):
    return 1000 + k


def preview_button(k):
    return 1050 + k


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


# The dialog is larger than the harness's usual 640 x 480 screen; these tests get their own.
SCREEN_W, SCREEN_H = 1024, 768


@pytest.fixture(scope="module")
def desktop(pytestconfig):
    workdir = tempfile.mkdtemp(prefix="velta-dialog-")
    d = Desktop(pytestconfig, workdir, SCREEN_W, SCREEN_H)
    d.start()
    yield d
    d.stop()
    shutil.rmtree(workdir, ignore_errors=True)


def centred(size, screen):
    """Where a window of this size is centred: halved toward zero, as the program does."""
    return int((screen - size) / 2)


# ---- registry -------------------------------------------------------------------------------

def reg_values(desktop, key):
    """The DWORD values of key as signed integers, or None when the key does not exist."""
    code, text = desktop.reg("query", key)
    if code != 0:
        return None
    values = {}
    for m in re.finditer(r"^    (.+?)    REG_DWORD    0x([0-9a-fA-F]+)\s*$", text, re.M):
        v = int(m.group(2), 16)
        values[m.group(1)] = v - (1 << 32) if v >= 1 << 31 else v
    return values


def reg_set(desktop, key, **values):
    """reg_set(d, KEY, **{"mod1 depth": 5000})"""
    desktop.set_dwords(key, values)


def settled(desktop, **values):
    """Settings whose import question was answered before."""
    reg_set(desktop, SETTINGS_KEY, checked_for_velta_params=1, **values)


@pytest.fixture(autouse=True)
def empty_registry(desktop):
    desktop.reg("delete", r"HKCU\Software\Quillon", "/f")
    wait_until(lambda: not desktop.windows_of_class(DIALOG_CLASS), 10)
    yield


# ---- the dialog -----------------------------------------------------------------------------

class SettingsDialog:
    def __init__(self, desktop, saver, hwnd):
        self.desktop, self.saver, self.hwnd = desktop, saver, hwnd
        self._layout = None  # the controls' places, which never change while the dialog is up

    def controls(self):
        rows = self.desktop.wintool("children", self.hwnd)[1]
        return {int(r["id"]): r for r in rows}

    def control(self, cid):
        code, rows = self.desktop.wintool("control", self.hwnd, cid)
        assert code == 0 and rows, f"no control {cid}"
        return rows[0]

    def checked(self, cid):
        return self.control(cid)["check"] == "1"

    def text(self, cid):
        return self.control(cid)["title"]

    def click(self, cid, where=0.5):
        # Every look at the controls starts a Windows program; their places are read once.
        if self._layout is None:
            rows = self.desktop.wintool("children", self.hwnd, "places")[1]
            self._layout = {int(r["id"]): r for r in rows}
        c = self._layout[cid]
        x = int(c["x"]) + int(c["w"]) // 2
        y = int(c["y"]) + int(int(c["h"]) * where)
        self.desktop.xdotool("mousemove", x, y, "click", 1)
        time.sleep(0.4)

    def keys(self, *names):
        for name in names:
            self.desktop.xdotool("key", name)
            time.sleep(0.15)
        time.sleep(0.3)

    def type_seconds(self, digits):
        """Types digits into the emptied seconds box and waits until the box shows them: on a
        busy machine the dialog may take its time over the keys."""
        self.click(SECONDS)
        self.keys("End", *["BackSpace"] * 10)
        self.desktop.xdotool("type", digits)
        assert wait_until(lambda: self.text(SECONDS) == digits, 10), self.text(SECONDS)

    def spin(self, up):
        self.click(SPIN, 0.25 if up else 0.75)

    def wait_closed(self):
        return self.saver.wait(30)


def open_dialog(desktop, start_saver, switch="/c"):
    """switch None starts the program without one, which opens the dialog as well."""
    saver = start_saver(*([switch] if switch else []))
    w = saver.wait_window(DIALOG_CLASS, TITLE)
    dialog = SettingsDialog(desktop, saver, w["hwnd"])
    assert wait_until(lambda: desktop.find_window(DIALOG_CLASS, TITLE)["visible"] == "1", 20)
    time.sleep(0.8)  # the first preview frames
    return dialog


# ---- tests ----------------------------------------------------------------------------------

def test_dialog_shows_every_control_centred(desktop, start_saver):
    dialog = open_dialog(desktop, start_saver)
    w = desktop.find_window(DIALOG_CLASS, TITLE)
    width, height = int(w["w"]), int(w["h"])
    assert (int(w["x"]), int(w["y"])) == (centred(width, SCREEN_W), centred(height, SCREEN_H))
    c = dialog.controls()
    for k, name in enumerate(MODULE_NAMES, 1):
        assert c[preview_button(k)]["title"] == name
        assert c[enable_box(k)]["check"] == "1", f"module {k} starts enabled"
    for cid, text in [(ENABLE_ALL, "Enable All"), (DISABLE_ALL, "Disable All"),
                      (SOUND, "Enable Sound"), (ABOUT, "About Velta II"), (IDOK, "OK"),
                      (IDCANCEL, "Cancel")]:
        assert c[cid]["title"] == text
    assert c[SECONDS]["title"] == "15"
    assert c[SOUND]["check"] == "0"
    assert c[SPIN]["class"] == "msctls_updown32"
    assert c[PANEL]["class"] == "Static"
    # The first frame checks the preview button of the module on screen, the lowest enabled.
    assert wait_until(lambda: dialog.checked(preview_button(1)), 10)
    c = dialog.controls()
    assert [k for k in range(1, 21) if c[preview_button(k)]["check"] == "1"] == [1]
    dialog.click(IDCANCEL)
    assert dialog.wait_closed() == 1


def test_first_opening_writes_everything_and_cancel_keeps_it(desktop, start_saver):
    dialog = open_dialog(desktop, start_saver)
    dialog.click(DISABLE_ALL)
    dialog.click(IDCANCEL)
    assert dialog.wait_closed() == 1
    values = reg_values(desktop, SETTINGS_KEY)
    names = {f"mod{k} {f}" for k in range(1, 21) for f in FIELDS}
    names |= {"cycle time", "enable sound", "checked_for_velta_params"}
    assert set(values) == names
    assert values["checked_for_velta_params"] == 1
    assert values["mod1 depth"] == 5000 and values["mod5 xrot"] == -15769
    assert values["cycle time"] == 15 and values["enable sound"] == 0
    # Cancel dropped the Disable All.
    assert all(values[f"mod{k} active"] == 1 for k in range(1, 21))
    # The predecessor key was looked at, so it now exists, empty.
    assert reg_values(desktop, PREDECESSOR_KEY) == {}


def test_import_question_yes_merges_modules_1_to_10_and_the_cycle_time(desktop, start_saver):
    reg_set(desktop, SETTINGS_KEY, **{"mod1 depth": 5100, "mod11 depth": 6000,
                                      "enable sound": 0})
    reg_set(desktop, PREDECESSOR_KEY, **{"mod1 depth": 1234, "mod10 depth": 2345,
                                         "mod11 depth": 3456, "cycle time": 42,
                                         "enable sound": 1})
    saver = start_saver("/c")
    box = saver.wait_window(DIALOG_CLASS, IMPORT_TITLE)
    texts = [r["title"] for r in desktop.wintool("children", box["hwnd"])[1]]
    assert IMPORT_TEXT in texts
    assert {"&Yes", "&No"} <= set(texts)
    settings = desktop.find_window(DIALOG_CLASS, TITLE)
    assert settings and settings["visible"] == "0", "the question comes before the dialog shows"
    assert box["parent"] == settings["hwnd"], "the question is owned by the dialog"
    desktop.click(box["hwnd"], IDYES)
    dialog = SettingsDialog(desktop, saver, saver.wait_window(DIALOG_CLASS, TITLE)["hwnd"])
    assert wait_until(lambda: dialog.text(SECONDS) == "42", 20)
    dialog.click(IDCANCEL)
    assert dialog.wait_closed() == 1
    values = reg_values(desktop, SETTINGS_KEY)
    assert values["mod1 depth"] == 1234 and values["mod10 depth"] == 2345
    assert values["mod2 depth"] == 4000  # missing in both: the built-in default
    assert values["mod11 depth"] == 6000
    assert values["cycle time"] == 42 and values["enable sound"] == 0
    assert values["checked_for_velta_params"] == 1


def test_import_question_comes_once(desktop, start_saver):
    reg_set(desktop, PREDECESSOR_KEY, **{"mod1 depth": 1234, "cycle time": 42})
    saver = start_saver("/c")
    box = saver.wait_window(DIALOG_CLASS, IMPORT_TITLE)
    desktop.wintool("click", box["hwnd"], IDNO)
    dialog = SettingsDialog(desktop, saver, saver.wait_window(DIALOG_CLASS, TITLE)["hwnd"])
    assert wait_until(lambda: dialog.text(SECONDS) == "15", 20)
    dialog.click(IDCANCEL)
    assert dialog.wait_closed() == 1
    assert reg_values(desktop, SETTINGS_KEY)["checked_for_velta_params"] == 1
    dialog = open_dialog(desktop, start_saver, None)
    assert not desktop.find_window(DIALOG_CLASS, IMPORT_TITLE)
    dialog.click(IDCANCEL)
    assert dialog.wait_closed() == 1
    assert reg_values(desktop, SETTINGS_KEY)["mod1 depth"] == 5000


def test_disable_all_and_ok_saves_twenty_disabled_and_the_saver_shows_nothing(
        desktop, start_saver):
    settled(desktop)
    dialog = open_dialog(desktop, start_saver)
    dialog.click(DISABLE_ALL)
    c = dialog.controls()
    assert not any(c[enable_box(k)]["check"] == "1" for k in range(1, 21))
    dialog.click(IDOK)
    assert dialog.wait_closed() == 1
    values = reg_values(desktop, SETTINGS_KEY)
    assert [values[f"mod{k} active"] for k in range(1, 21)] == [0] * 20
    desktop.xdotool("mousemove", 300, 200)
    saver = start_saver("/s")
    saver.wait_window()
    time.sleep(2.0)
    from PIL import Image
    shot = Image.open(desktop.screenshot("no-module.png")).convert("L")
    assert shot.getextrema()[1] == 0, "a module was drawn although none is enabled"
    desktop.xdotool("key", "Escape")
    assert saver.wait(20) == 0


def test_enable_all_and_the_sound_box_are_saved_by_ok(desktop, start_saver):
    settled(desktop, **{"mod1 depth": 5000, "mod3 active": 0, "mod20 active": 0})
    dialog = open_dialog(desktop, start_saver)
    assert not dialog.checked(enable_box(3)) and not dialog.checked(enable_box(20))
    dialog.click(ENABLE_ALL)
    dialog.click(enable_box(7))  # and one unchecked by hand
    dialog.click(SOUND)
    dialog.click(IDOK)
    assert dialog.wait_closed() == 1
    values = reg_values(desktop, SETTINGS_KEY)
    assert [values[f"mod{k} active"] for k in range(1, 21)] == [1] * 6 + [0] + [1] * 13
    assert values["enable sound"] == 1


def test_typing_zero_shows_one_on_leaving_the_box_and_ok_saves_one(desktop, start_saver):
    settled(desktop)
    dialog = open_dialog(desktop, start_saver)
    dialog.type_seconds("0")
    assert dialog.text(SECONDS) == "0"
    dialog.click(ENABLE_ALL)  # the box loses the focus
    assert dialog.text(SECONDS) == "1"
    dialog.type_seconds("0")
    dialog.click(IDOK)
    assert dialog.wait_closed() == 1
    assert reg_values(desktop, SETTINGS_KEY)["cycle time"] == 1


def test_spin_adds_and_takes_seconds_and_stops_at_9999_and_1(desktop, start_saver):
    settled(desktop, **{"cycle time": 9999})
    dialog = open_dialog(desktop, start_saver)
    assert dialog.text(SECONDS) == "9999"
    dialog.spin(up=True)
    assert dialog.text(SECONDS) == "9999"
    dialog.spin(up=False)
    assert dialog.text(SECONDS) == "9998"
    dialog.type_seconds("1")
    dialog.spin(up=False)
    assert dialog.text(SECONDS) == "1"
    dialog.spin(up=True)
    dialog.spin(up=True)
    assert dialog.text(SECONDS) == "3"
    dialog.click(IDOK)
    assert dialog.wait_closed() == 1
    assert reg_values(desktop, SETTINGS_KEY)["cycle time"] == 3


def test_stored_zero_untouched_is_shown_and_saved_as_zero(desktop, start_saver):
    settled(desktop, **{"cycle time": 0})
    dialog = open_dialog(desktop, start_saver)
    assert dialog.text(SECONDS) == "0"
    dialog.click(IDOK)
    assert dialog.wait_closed() == 1
    assert reg_values(desktop, SETTINGS_KEY)["cycle time"] == 0


def zoomed_module_2_then_module_5(desktop, start_saver, finish):
    settled(desktop)
    dialog = open_dialog(desktop, start_saver)
    dialog.click(preview_button(2))
    assert wait_until(lambda: dialog.checked(preview_button(2)), 5)
    dialog.keys("Next", "Next", "Next")  # Page Down: zoom in by 0.3 at this depth
    dialog.click(preview_button(5))
    assert wait_until(lambda: dialog.checked(preview_button(5)), 5)
    assert not dialog.checked(preview_button(2))
    dialog.click(finish)
    assert dialog.wait_closed() == 1
    return reg_values(desktop, SETTINGS_KEY)


def test_preview_button_stores_the_zoom_of_the_module_it_leaves_and_ok_saves_it(
        desktop, start_saver):
    depth = f32(40)
    for _ in range(3):
        depth = f32(depth - f32(0.3))
    values = zoomed_module_2_then_module_5(desktop, start_saver, IDOK)
    assert values["mod2 depth"] == int(depth * 100)
    assert values["mod5 depth"] == 2200


def test_cancel_loses_the_zoom(desktop, start_saver):
    values = zoomed_module_2_then_module_5(desktop, start_saver, IDCANCEL)
    assert values["mod2 depth"] == 4000


@pytest.mark.parametrize("keys", [["Escape"], ["alt+F4"]], ids=["escape", "alt-f4"])
def test_escape_and_the_close_command_close_without_saving(desktop, start_saver, keys):
    settled(desktop)
    dialog = open_dialog(desktop, start_saver)
    dialog.click(DISABLE_ALL)
    dialog.type_seconds("77")
    dialog.click(preview_button(3))  # hands the keys back to the preview
    dialog.keys(*keys)
    assert dialog.wait_closed() == 1
    values = reg_values(desktop, SETTINGS_KEY)
    assert values["mod1 active"] == 1 and values["cycle time"] == 15


def test_posted_close_ends_the_dialog_once_without_saving(desktop, start_saver):
    settled(desktop)
    dialog = open_dialog(desktop, start_saver)
    dialog.click(DISABLE_ALL)
    for _ in range(3):
        desktop.wintool("post", dialog.hwnd, WM_CLOSE, 0, 0)
    assert dialog.wait_closed() == 1
    assert reg_values(desktop, SETTINGS_KEY)["mod1 active"] == 1
    assert "Unhandled" not in dialog.saver.output()


def close_about(desktop):
    about = desktop.find_window(DIALOG_CLASS, ABOUT_TITLE)
    ok = {int(r["id"]): r for r in desktop.wintool("children", about["hwnd"])[1]}[IDOK]
    desktop.xdotool("mousemove", int(ok["x"]) + 10, int(ok["y"]) + 5, "click", 1)
    assert wait_until(lambda: not desktop.find_window(DIALOG_CLASS, ABOUT_TITLE), 10)


def about_is_painted(desktop, about):
    from PIL import Image
    shot = Image.open(desktop.screenshot("about.png")).convert("L")
    x, y, w, h = (int(about[k]) for k in ("x", "y", "w", "h"))
    dark = sum(1 for p in shot.crop((x, y, x + w, y + h)).getdata() if p < 80)
    return dark > 100  # the icon and the texts


def test_about_box_is_owned_centred_shows_the_version_and_changes_nothing(
        desktop, start_saver, pytestconfig):
    header = os.path.join(pytestconfig.getoption("--build-dir"), "generated", "velta_version.h")
    version = re.search(r'VELTA_VERSION_TEXT "([^"]+)"', open(header).read()).group(1)
    settled(desktop)
    dialog = open_dialog(desktop, start_saver)
    before = reg_values(desktop, SETTINGS_KEY)
    dialog.click(ABOUT)
    about = dialog.saver.wait_window(DIALOG_CLASS, ABOUT_TITLE)
    assert about["parent"] == dialog.hwnd
    width, height = int(about["w"]), int(about["h"])
    assert (int(about["x"]), int(about["y"])) == (centred(width, SCREEN_W),
                                                    centred(height, SCREEN_H))
    texts = [r["title"] for r in desktop.wintool("children", about["hwnd"])[1]]
    assert "Velta II" in texts and f"Version {version}" in texts and "OK" in texts
    assert desktop.find_window(DIALOG_CLASS, TITLE)["enabled"] == "0", "About is modal"
    close_about(desktop)
    assert desktop.find_window(DIALOG_CLASS, TITLE)["enabled"] == "1"
    # Pressed by a message, which can arrive between two frames: the box must still paint,
    # and the preview must run again afterwards (Enter then shows the next module).
    desktop.click(dialog.hwnd, ABOUT)
    about = dialog.saver.wait_window(DIALOG_CLASS, ABOUT_TITLE)
    assert wait_until(lambda: about_is_painted(desktop, about), 10)
    close_about(desktop)
    dialog.click(preview_button(1))
    dialog.keys("Return")
    assert wait_until(lambda: dialog.checked(preview_button(2)), 10)
    dialog.click(IDOK)
    assert dialog.wait_closed() == 1
    after = reg_values(desktop, SETTINGS_KEY)
    assert after == before, "the About box changed a setting"


# ---- the preview panel, judged by the OpenGL calls it makes ---------------------------------

def trace_frames(desktop, trace):
    """One record per presented frame: whether it drew any geometry, and the first translation
    (the view of the module on screen)."""
    dump = trace + ".txt"
    # The full dump runs to millions of lines (every vertex); only these calls matter here,
    # and apitrace leaves the others unformatted.
    wanted = "^(glXSwapBuffers|glBegin|glCallList|glDrawArrays|glDrawElements|glTranslatef)$"
    with open(dump, "w") as out:
        subprocess.run(["apitrace", "dump", "--color=never", f"--grep={wanted}", trace],
                       env=desktop.env, stdout=out, timeout=600, check=True)
    frames, drew, translate = [], False, None
    call = re.compile(r"^\d+ (\w+)\((.*)\)")
    with open(dump, errors="replace") as f:
        for line in f:
            m = call.match(line)
            if not m:
                continue
            name = m.group(1)
            if name == "glXSwapBuffers":
                frames.append((drew, translate))
                drew, translate = False, None
            elif name in ("glBegin", "glCallList", "glDrawArrays", "glDrawElements"):
                drew = True
            elif name == "glTranslatef" and translate is None:
                translate = tuple(round(float(v), 3) for v in
                                  re.findall(r"= (-?[\d.e+-]+)", m.group(2)))
    return frames


def runs(frames):
    """Consecutive equal frames collapsed: [(kind, count)], kind None for a cleared frame."""
    out = []
    for drew, translate in frames:
        kind = translate if drew else None
        if out and out[-1][0] == kind:
            out[-1][1] += 1
        else:
            out.append([kind, 1])
    return out


def test_preview_draws_the_module_switches_and_blanks_when_unchecked(desktop):
    settled(desktop)
    trace = os.path.join(desktop.workdir, "preview.trace")
    out = open(os.path.join(desktop.workdir, "preview-trace.txt"), "w")
    proc = subprocess.Popen(["apitrace", "trace", "-o", trace, "wine", desktop.scr, "/c"],
                            env=desktop.env, stdout=out, stderr=subprocess.STDOUT,
                            start_new_session=True)
    try:
        found = wait_until(lambda: desktop.find_window(DIALOG_CLASS, TITLE), 60)
        assert found
        dialog = SettingsDialog(desktop, None, found["hwnd"])
        time.sleep(1.5)
        dialog.click(preview_button(5))
        time.sleep(1.5)
        dialog.click(enable_box(5))  # unchecked: the panel shows cleared frames
        time.sleep(1.5)
        dialog.click(enable_box(5))  # checked again: the scene comes back
        time.sleep(1.5)
        dialog.click(IDCANCEL)
        assert proc.wait(60) == 1
    finally:
        if proc.poll() is None:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait(10)
    kinds = [kind for kind, count in runs(trace_frames(desktop, trace)) if count >= 3]
    assert len(kinds) == 4, kinds
    first, fifth, cleared, back = kinds
    assert first is not None and fifth is not None, "the panel drew no module"
    assert first != fifth, "the preview button did not switch the module"
    assert cleared is None, "an unchecked module was still drawn"
    assert back == fifth
