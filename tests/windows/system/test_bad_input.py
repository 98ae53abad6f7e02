"""Bad input, end to end on the real saver under Wine: registry values of every wrong kind,
a glyph image or a tune that is missing or cut short (test builds of the saver from the same
sources, made by tests/CMakeLists.txt), system libraries planted beside the saver or missing,
and close requests and keys arriving in storms while the window is being made and while it
closes. Whatever comes, the saver shows its fixed message or runs on defaults, never hangs, and
ends with exit code 0.

Registry values are stored byte for byte with `wintool regset` and read back the same way with
`wintool regdump`, since `reg add` converts string data and `reg query` shows little of it."""
import os
import shutil
import struct
import subprocess
import tempfile
import threading
import time

import pytest
from PIL import ImageGrab

from conftest import (SAVER_CLASS, glyph_colour_counts, parse_words, wait_for_glyph_shapes,
                      wait_until)

SETTINGS_KEY = r"HKCU\Software\Quillon\Velta II"
SETTINGS_PATH = SETTINGS_KEY.split("\\", 1)[1]
DIALOG_CLASS = "#32770"
WM_CLOSE, WM_KEYDOWN = 0x10, 0x100
VK_BACK, VK_RETURN, VK_ESCAPE, VK_F1, VK_F11 = 0x08, 0x0D, 0x1B, 0x70, 0x7A
REG_NONE, REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD = 0, 1, 2, 3, 4
REG_DWORD_BIG_ENDIAN, REG_MULTI_SZ, REG_QWORD = 5, 7, 11
SUBKEY = "key"  # a subkey of the value's name, without values, where the value belongs

FIELDS = ["depth", "horz", "vert", "xrot", "yrot", "zrot", "speed", "active"]
SAVER_VALUES = [f"mod{k} {f}" for k in range(1, 21) for f in FIELDS]
SAVER_VALUES += ["cycle time", "enable sound"]


def dword(value):
    return struct.pack("<i", value).hex()


def wide(text):
    """A string value's stored bytes: UTF-16 with its terminator."""
    return (text + "\0").encode("utf-16-le").hex()


def set_values(desktop, values):
    """values: (name, registry type or SUBKEY, hex data) under the settings key."""
    desktop.set_values(SETTINGS_KEY, values)


def stored_values(desktop):
    """{name: (type, bytes)} of the settings key, and the names of its subkeys."""
    code, rows = desktop.wintool("regdump", SETTINGS_PATH)
    assert code == 0, "the settings key is missing"
    values = {r["value"]: (int(r["type"]), bytes.fromhex(r["data"].strip("-")))
              for r in rows if "value" in r}
    return values, [r["subkey"] for r in rows if "subkey" in r]


def saved_dwords(values):
    """The saver's 162 values as integers; each must be a four-byte REG_DWORD."""
    wrong = {n: values.get(n) for n in SAVER_VALUES
             if n not in values or values[n][0] != REG_DWORD or len(values[n][1]) != 4}
    assert not wrong, f"not written back as REG_DWORD: {wrong}"
    return {n: struct.unpack("<i", values[n][1])[0] for n in SAVER_VALUES}


@pytest.fixture
def settings(desktop):
    """An empty settings key before and after the test."""
    desktop.delete_key(r"HKCU\Software\Quillon")
    yield
    desktop.delete_key(r"HKCU\Software\Quillon")


def variant(desktop, name):
    """A test build of the saver; they are built beside wintool.exe."""
    return os.path.join(os.path.dirname(desktop.wintool_exe), name + ".scr")


def start(desktop, start_saver, scr=None, env=None):
    """The full-screen saver, with the pointer where the tests expect it."""
    desktop.xdotool("mousemove", 300, 200)
    return start_saver("/s", scr=scr, env=env)


def no_dialogs_left(desktop):
    return not desktop.windows_of_class(DIALOG_CLASS)


def escape_and_wait(desktop, saver, timeout=20):
    desktop.xdotool("key", "Escape")
    return saver.wait(timeout)


# ---- Registry values of the wrong kind ----

# (name, type, stored bytes, what the saver writes back): a value is read as its raw bytes when
# it is exactly four bytes long as the program reads it, whatever its type, and counts as absent
# otherwise. String types reach the program in its code page, one byte per character.
MODULE_VALUES_READ = [
    ("mod1 depth", REG_DWORD, dword(5000), 5000),  # module settings are stored at all
    ("mod2 depth", REG_SZ, "", 4000),  # no bytes at all
    ("mod2 horz", REG_SZ, wide(""), 0),  # a terminator only: one byte
    ("mod2 vert", REG_SZ, wide("7"), 0),  # two bytes
    ("mod3 depth", REG_SZ, wide("ABC"), 0x00434241),  # four bytes: read as they are
    ("mod4 depth", REG_BINARY, "", 2500),
    ("mod4 horz", REG_BINARY, "1027", 0),  # two bytes are too short
    ("mod4 vert", REG_BINARY, dword(12345), 12345),
    ("mod4 xrot", REG_BINARY, dword(12345) + "00000000", 0),  # eight are too long
    ("mod5 depth", REG_QWORD, struct.pack("<q", 1234).hex(), 2200),
    ("mod5 horz", REG_MULTI_SZ, wide("a") + wide("b") + wide(""), -600),
    ("mod5 vert", REG_EXPAND_SZ, wide("%TEMP%"), -400),
    ("mod6 depth", REG_DWORD, "0102", 4000),  # a DWORD of two bytes
    ("mod6 horz", REG_DWORD, dword(7) + dword(7), 0),  # and one of eight
    ("mod6 vert", REG_DWORD_BIG_ENDIAN, "00000100", 0x10000),  # the type is not looked at
    ("mod6 xrot", REG_NONE, "ffffffff", -1),
    ("mod7 depth", SUBKEY, "", 2500),
    ("mod7 speed", REG_SZ, wide("fast"), 50),
    ("mod8 speed", REG_BINARY, dword(5000), 1000),  # held at the fastest speed
    ("mod8 active", REG_BINARY, dword(-1), 0),
    ("mod9 active", REG_QWORD, "0100000000000000", 1),
    ("mod10 active", REG_BINARY, dword(-9999), 1),  # the missing-value mark
    ("mod11 depth", REG_BINARY, dword(-9999), 2789),
    ("cycle time", REG_QWORD, "1e00000000000000", 15),
    ("enable sound", REG_SZ, wide("1"), 0),
]
# Without a readable "mod1 depth" no module value is read at all, however good the others are;
# the cycle time and the sound switch still are.
NO_MODULE_VALUE_READ = [
    ("mod1 depth", SUBKEY, "", 5000),
    ("mod1 active", REG_DWORD, dword(0), 1),
    ("mod2 depth", REG_DWORD, dword(1234), 4000),
    ("mod20 speed", REG_BINARY, dword(5), 43),
    ("cycle time", REG_BINARY, dword(30), 30),
    ("enable sound", REG_DWORD_BIG_ENDIAN, "00000000", 0),
]
# Values that are not the saver's own stay as they are.
FOREIGN_VALUES = [("checked_for_velta_params", REG_SZ, wide("yes")),
                  ("mod21 depth", REG_DWORD, dword(77))]


@pytest.mark.parametrize("cases", [MODULE_VALUES_READ, NO_MODULE_VALUE_READ],
                         ids=["module values read", "no module value read"])
def test_values_of_the_wrong_kind_are_read_by_their_rules_and_written_back(
        desktop, start_saver, settings, cases):
    set_values(desktop, [c[:3] for c in cases] + FOREIGN_VALUES)
    saver = start(desktop, start_saver)
    saver.wait_window()
    wait_for_glyph_shapes(lambda: desktop.screenshot(f"wrong-kind-{len(cases)}.png"))
    assert escape_and_wait(desktop, saver) == 0

    values, subkeys = stored_values(desktop)
    saved = saved_dwords(values)
    assert {name: saved[name] for name, *_ in cases} == {name: v for name, _, _, v in cases}
    for name, kind, data in FOREIGN_VALUES:
        assert values[name] == (kind, bytes.fromhex(data)), name
    assert sorted(subkeys) == sorted(name for name, kind, *_ in cases if kind == SUBKEY)


# ---- A missing or damaged glyph image, a missing or damaged tune ----

@pytest.mark.parametrize("build, loader_text", [
    ("velta2_no_texture", "Could not locate image resource"),
    ("velta2_cut_texture", "Image data ends before the last pixel"),
])
def test_a_missing_or_cut_glyph_image_is_reported_and_the_window_stays_black(
        desktop, sound, start_saver, settings, build, loader_text):
    set_values(desktop, [("enable sound", REG_DWORD, dword(1))])
    with sound.record() as rec:
        saver = start(desktop, start_saver, variant(desktop, build), sound.env)
        assert desktop.answer_box("ERROR") == [loader_text]
        assert desktop.answer_box("ERROR") == ["Initialization Failed."]
        saver.wait_window()
        time.sleep(0.5)
        assert no_dialogs_left(desktop), "a further message box came"
        shot = ImageGrab.grab(xdisplay=desktop.env["DISPLAY"]).convert("L")
        assert max(shot.getdata()) == 0, "something was drawn after the failed set-up"
        assert not saver.exited()
        # No frames run, so keys are not read; moving the mouse closes the saver.
        desktop.xdotool("mousemove", 500, 400)
        assert saver.wait(20) == 0
    assert not rec.streams(), "music started although the set-up failed"
    assert saved_dwords(stored_values(desktop)[0])["enable sound"] == 1


def run_with_sound(desktop, sound, start_saver, build, seconds, until=None):
    """Runs a test build with the sound on for seconds after its window shows, or until
    until(recording) holds, then presses Escape; returns the recording."""
    set_values(desktop, [("enable sound", REG_DWORD, dword(1))])
    with sound.record() as rec:
        saver = start(desktop, start_saver, variant(desktop, build), sound.env)
        saver.wait_window()
        if until:
            assert wait_until(lambda: until(rec) or saver.exited(), 30, 0.05), rec.streams()
        else:
            time.sleep(seconds)
        assert not saver.exited(), "the saver ended by itself"
        wait_for_glyph_shapes(lambda: desktop.screenshot(build + ".png"))
        # The close waits for the players at most half a second on its own clock
        # (test_music.py's probe measures it): a close held by a player would not end here.
        assert escape_and_wait(desktop, saver, 10) == 0
    return rec


def test_without_its_tune_the_saver_runs_silently(desktop, sound, start_saver, settings):
    # Past the second request, at 3.2 s, which goes to another player.
    rec = run_with_sound(desktop, sound, start_saver, "velta2_no_tune", 3.8)
    assert not rec.streams(), "a wave-out device was opened without a tune"


def test_a_cut_tune_plays_to_where_it_ends(desktop, sound, start_saver, settings):
    # The first half of the tune holds about 3.5 s of sound; the next copy starts at 3.2 s.
    def second_copy_playing(rec):
        """The copy 3.2 s after the first has played long enough to be told from Wine's short
        probing streams."""
        starts = [a for a, _ in rec.copies()]
        return any(b - starts[0] > 2.0 and rec.now() > b + 1.5 for b in starts[1:])

    rec = run_with_sound(desktop, sound, start_saver, "velta2_cut_tune", None, second_copy_playing)
    spans = rec.copies()
    assert len(spans) >= 2, spans
    first_start, first_end = spans[0]
    assert first_end is not None and 2.5 < first_end - first_start < 5.0, spans


# ---- System libraries planted beside the saver, or missing ----

# Wine loads a DLL that WINEDLLOVERRIDES marks "n,b" from a file where it finds one, searching
# the program's folder first as Windows does for any library that is not a known DLL; an empty
# value makes the DLL missing. The sound is on, so that WINMM is used.
WINE_DLLS = "mscoree,mshtml=;"


def start_with_dlls(desktop, sound, start_saver, overrides, scr=None):
    set_values(desktop, [("enable sound", REG_DWORD, dword(1))])
    return start(desktop, start_saver, scr, dict(sound.env, WINEDLLOVERRIDES=WINE_DLLS + overrides))


def test_libraries_planted_beside_the_saver_are_never_loaded(desktop, sound, start_saver,
                                                             settings):
    folder = tempfile.mkdtemp(prefix="planted-", dir=desktop.workdir)
    shutil.copy(desktop.scr, folder)
    planted = os.path.join(os.path.dirname(desktop.wintool_exe), "planted_library.dll")
    for name in ["opengl32.dll", "glu32.dll", "winmm.dll"]:
        shutil.copy(planted, os.path.join(folder, name))
    log = os.path.join(folder, "planted-log.txt")
    with sound.record() as rec:
        saver = start_with_dlls(desktop, sound, start_saver, "opengl32,glu32,winmm=n,b",
                                os.path.join(folder, os.path.basename(desktop.scr)))
        wait_until(lambda: desktop.find_window(SAVER_CLASS, "Screen Saver") or saver.exited(),
                   30)
        assert not os.path.exists(log), "planted libraries were loaded:\n" + open(log).read()
        saver.wait_window()
        wait_for_glyph_shapes(lambda: desktop.screenshot("planted.png"))
        assert escape_and_wait(desktop, saver) == 0
    assert rec.streams(), "the tune did not play"
    assert not os.path.exists(log), "planted libraries were loaded:\n" + open(log).read()


@pytest.mark.parametrize("library, text", [("opengl32", "Can't Find A Suitable PixelFormat."),
                                           ("glu32", "Initialization Failed."),
                                           ("winmm", None)])
def test_a_missing_library_fails_like_a_missing_display_or_sound_device(
        desktop, sound, start_saver, settings, library, text):
    with sound.record() as rec:
        saver = start_with_dlls(desktop, sound, start_saver, library + "=")
        if text:
            assert desktop.answer_box("ERROR") == [text]
        saver.wait_window()
        if text:
            time.sleep(1.0)
            shot = desktop.screenshot(f"no-{library}.png")
            assert glyph_colour_counts(shot)[1] == 0, "something was drawn after the failed set-up"
        else:
            wait_for_glyph_shapes(lambda: desktop.screenshot(f"no-{library}.png"))
        desktop.xdotool("mousemove", 500, 400)
        assert saver.wait(10) == 0
    assert not rec.streams(), "music played"
    assert "wine: Unhandled" not in saver.output()


# ---- Storms while the window is made and while it closes ----

def distinct_settings():
    """A complete set of the saver's values, each one different, with the sound on."""
    values = {}
    for k in range(1, 21):
        for i, field in enumerate(FIELDS[:6]):
            values[f"mod{k} {field}"] = (-1) ** i * (1000 + 37 * k + i)
        values[f"mod{k} speed"] = 10 + k
        values[f"mod{k} active"] = k % 2
    values.update({"cycle time": 45, "enable sound": 1})
    return values


def drive_x_input(desktop, saver):
    """Keys and mouse travel through the X server, over and over, until the saver has ended."""
    def run():
        deadline = time.monotonic() + 30
        while not saver.exited() and time.monotonic() < deadline:
            subprocess.run(["xdotool", "mousemove", "100", "100", "key", "F1", "mousemove",
                            "500", "400", "key", "Escape", "key", "Return", "key", "F11"],
                           env=desktop.env, timeout=10, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
    thread = threading.Thread(target=run, daemon=True)
    thread.start()
    return thread


def storm(desktop, seconds, messages):
    """wintool storm on the saver window: the messages posted round after round from the moment
    the window exists, until it has gone or the seconds are up."""
    return desktop.spawn([desktop.wintool_exe, "storm", SAVER_CLASS, "Screen Saver", seconds]
                         + messages)


def storm_report(proc):
    assert proc.wait(40) == 0, "the storm never found the saver window"
    with open(proc.output_path, errors="replace") as f:
        return [parse_words(line) for line in f if "posted=" in line][0]


@pytest.mark.parametrize("keys_first", [False, True],
                         ids=["close requests first", "keys first"])
def test_storms_of_close_requests_and_keys_close_once_and_cleanly(
        desktop, sound, start_saver, settings, keys_first):
    stored = distinct_settings()
    set_values(desktop, [(n, REG_DWORD, dword(v)) for n, v in stored.items()])
    saver = start_saver("/s", env=sound.env)
    keys = [f"{WM_KEYDOWN}:{vk}:1" for vk in (VK_F1, VK_F11, VK_RETURN, VK_BACK, VK_ESCAPE,
                                               ord("Q"))]
    if keys_first:
        # Without a quit key among them, the first frame that reads these opens the Control
        # Menu; the keys after it reach the window through the menu's own message loop.
        key_storm = storm(desktop, 2, [f"{WM_KEYDOWN}:{vk}:1" for vk in (VK_F1, VK_RETURN,
                                                                           VK_BACK)])
        assert wait_until(lambda: desktop.find_window(DIALOG_CLASS, "Control Menu"), 20)
        assert storm_report(key_storm)["gone"] == "0"
    # Close requests and keys from the window's first moment (during its creation already),
    # or into the open Control Menu; keys and mouse travel through X all the while.
    close_storm = storm(desktop, 20, [f"{WM_CLOSE}:0:0"] + keys)
    x_input = drive_x_input(desktop, saver)
    assert saver.wait(30) == 0
    x_input.join(15)
    report = storm_report(close_storm)
    assert int(report["posted"]) > 0 and report["gone"] == "1", report
    assert not desktop.windows_of_class(SAVER_CLASS)
    assert no_dialogs_left(desktop)
    assert "wine: Unhandled" not in saver.output()
    values, subkeys = stored_values(desktop)
    assert saved_dwords(values) == stored and len(values) == len(stored) and not subkeys
