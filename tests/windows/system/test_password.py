"""The Windows 9x screen-saver password: the check before the saver closes and the change of
the A switch, on the Windows 98 platform that Wine presents to the saver.

Wine has no PASSWORD.CPL, and its MPR.DLL cannot be watched, so each test copies the saver
into a folder of its own together with test-only stand-ins of those libraries (built from
password_stand_in.cpp and mpr_stand_in.cpp), which answer as the test says and log every
call. Whether the saver tells Windows that a saver runs (SPI_SETSCREENSAVERRUNNING) is read
from Wine's relay trace of SystemParametersInfoA, which records every such call with its
arguments; the stand-in verifier also records the running state it sees during the check.
Each test restores the Windows version, the password switch and the relay filter afterwards.
"""
import os
import re
import shutil
import tempfile
import time

import pytest
from PIL import Image

from conftest import SAVER_CLASS, Saver, parse_words, wait_until

WM_CLOSE, WM_APP = 0x10, 0x8000
APP_DEFAULTS = r"HKCU\Software\Wine\AppDefaults\velta2.scr"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
WINE_DEBUG_KEY = r"HKCU\Software\Wine\Debug"
STAND_IN_DIALOG = "Password Stand-in"
# How Wine's trace names the messages of the saver's own numbers.
TRACED_FRAME, TRACED_APP = "WM_USER+6403", "WM_USER+31744"

RUNNING_CALL = re.compile(r"Call user32\.SystemParametersInfoA\(00000061,([0-9a-fA-F]+),")


def _query(desktop, key, name):
    """(type, data) of a registry value, or None when it is absent."""
    code, text = desktop.reg("query", key, "/v", name)
    if code != 0:
        return None
    for line in text.splitlines():
        words = line.split(None, 2)
        if len(words) >= 2 and words[0] == name and words[1].startswith("REG_"):
            return words[1], words[2] if len(words) > 2 else ""
    return None


def _put(desktop, key, name, value):
    if value is None:
        desktop.reg("delete", key, "/v", name, "/f")
    else:
        kind, data = value
        desktop.reg("add", key, "/v", name, "/t", kind, "/d", data, "/f")


class PasswordBench:
    """A copy of the saver in a folder of its own, the stand-ins beside it, and the registry
    values the tests change, saved beforehand and restored afterwards."""

    SAVED = [(APP_DEFAULTS, "Version"), (DESKTOP_KEY, "ScreenSaveUsePassword"),
             (WINE_DEBUG_KEY, "RelayInclude")]

    def __init__(self, desktop):
        self.desktop = desktop
        self.dir = tempfile.mkdtemp(prefix="password-", dir=desktop.workdir)
        self.scr = os.path.join(self.dir, "velta2.scr")
        shutil.copy(desktop.scr, self.scr)
        # The stand-ins are built next to the test helper wintool.exe.
        self.stand_ins = os.path.dirname(desktop.wintool_exe)
        self.saved = [(k, n, _query(desktop, k, n)) for k, n in self.SAVED]
        self.savers = []
        _put(desktop, WINE_DEBUG_KEY, "RelayInclude", ("REG_SZ", "user32.SystemParametersInfoA"))

    def windows_98(self, on=True):
        _put(self.desktop, APP_DEFAULTS, "Version", ("REG_SZ", "win98") if on else None)

    def use_password(self, value):
        """value None removes "ScreenSaveUsePassword"; a number stores it as a DWORD, a
        (type, data) pair as given."""
        if isinstance(value, int):
            value = ("REG_DWORD", str(value))
        _put(self.desktop, DESKTOP_KEY, "ScreenSaveUsePassword", value)

    def place(self, built, name):
        shutil.copy(os.path.join(self.stand_ins, built), os.path.join(self.dir, name))

    def answers(self, *values):
        with open(os.path.join(self.dir, "password-answers.txt"), "a") as f:
            f.writelines(f"{v}\n" for v in values)

    def log(self, name):
        path = os.path.join(self.dir, name)
        if not os.path.exists(path):
            return []
        with open(path, errors="replace") as f:
            return [parse_words(line) for line in f if "=" in line]

    def asks(self):
        return [e for e in self.log("password-log.txt") if e["event"] == "ask"]

    def start(self, *args, env=None):
        # The relay trace is limited to SystemParametersInfoA by RelayInclude; Wine's relay
        # channel adds the window procedure calls, which show the order of the messages.
        saver = Saver(self.desktop, [str(a) for a in args], self.scr,
                      dict({"WINEDEBUG": "+relay"}, **(env or {})))
        self.savers.append(saver)
        return saver

    def start_full_screen(self):
        self.desktop.xdotool("mousemove", 300, 200)
        saver = self.start("/s")
        window = saver.wait_window()
        time.sleep(1.0)  # let the first frames run
        return saver, window

    def close(self):
        for saver in self.savers:
            saver.kill()
        wait_until(lambda: not self.desktop.windows_of_class(SAVER_CLASS), 10)
        for key, name, value in self.saved:
            _put(self.desktop, key, name, value)
        shutil.rmtree(self.dir, ignore_errors=True)


@pytest.fixture
def bench(desktop):
    b = PasswordBench(desktop)
    yield b
    b.close()


def traced(desktop, hwnd):
    """A window handle as Wine's trace of the saver prints it."""
    return f"{int(hwnd):0{desktop.pointer_digits}X}"


def running_calls(saver):
    """The values the saver sent with SPI_SETSCREENSAVERRUNNING, in order."""
    return [int(v, 16) for v in RUNNING_CALL.findall(saver.output())]


def dispatched(saver, hwnd, message):
    """How many times message reached the saver's window procedure."""
    tag = f"hwnd={traced(saver.desktop, hwnd)},msg={message}"
    return sum(1 for line in saver.output().splitlines()
               if "Call window proc" in line and tag in line)


def move_mouse_far(desktop):
    desktop.xdotool("mousemove", 600, 440)


@pytest.mark.parametrize("platform,password", [("win98", None), ("win98", 0), ("nt", 1)])
def test_without_a_password_the_first_close_closes(desktop, bench, platform, password):
    bench.windows_98(platform == "win98")
    bench.use_password(password)
    bench.place("password_stand_in.dll", "PASSWORD.CPL")
    bench.answers(0)  # would refuse, if anything asked
    saver, _ = bench.start_full_screen()
    move_mouse_far(desktop)
    assert saver.wait(20) == 0
    assert bench.log("password-log.txt") == [], "the password library was loaded"
    assert running_calls(saver) == []


# Windows 98 itself keeps the switch as 4 binary bytes.
@pytest.mark.parametrize("switch", [1, ("REG_BINARY", "01000000")])
def test_accepted_password_closes_then_frees_the_library_and_clears_running(
        desktop, bench, switch):
    bench.windows_98()
    bench.use_password(switch)
    bench.place("password_stand_in.dll", "PASSWORD.CPL")
    bench.answers(1)
    saver, w = bench.start_full_screen()
    assert running_calls(saver) == [1]
    move_mouse_far(desktop)
    assert saver.wait(20) == 0
    events = bench.log("password-log.txt")
    assert [e["event"] for e in events] == ["load", "ask", "answer", "unload"]
    ask, unload = events[1], events[3]
    assert ask["hwnd"] == w["hwnd"] and ask["class"] == SAVER_CLASS
    assert ask["running"] == "1", "Windows was not told that a saver runs"
    # Freed by the saver itself, once its window is gone, not by the process ending.
    assert unload == {"event": "unload", "freed": "1", "saver_window": "0"}
    text = saver.output()
    assert running_calls(saver) == [1, 0]
    assert text.index(f"hwnd={traced(desktop, w['hwnd'])},msg=WM_DESTROY") < \
        [m.start() for m in RUNNING_CALL.finditer(text)][-1]


def test_refused_password_keeps_a_black_window_and_waits_200ms_before_asking_again(
        desktop, bench):
    bench.windows_98()
    bench.use_password(1)
    bench.place("password_stand_in.dll", "PASSWORD.CPL")
    bench.answers(0, 0)
    saver, w = bench.start_full_screen()
    move_mouse_far(desktop)
    assert wait_until(lambda: len(bench.asks()) == 1, 10)
    time.sleep(0.5)
    assert not saver.exited()
    # The teardown has run: no more frames, and the picture stands still.
    frames = dispatched(saver, w["hwnd"], TRACED_FRAME)
    shot = desktop.screenshot("password-refused.png")
    time.sleep(1.0)
    assert dispatched(saver, w["hwnd"], TRACED_FRAME) == frames
    later = desktop.screenshot("password-refused-later.png")
    assert list(Image.open(shot).getdata()) == list(Image.open(later).getdata())

    # Two requests at once: the first asks (and is refused again), the second arrives within
    # 200 ms of that dialog's end and is refused without a dialog.
    closes = dispatched(saver, w["hwnd"], "WM_CLOSE")
    assert desktop.wintool("post", w["hwnd"], WM_CLOSE, 0, 0, 2)[0] == 0
    assert wait_until(lambda: dispatched(saver, w["hwnd"], "WM_CLOSE") == closes + 2, 10)
    time.sleep(0.5)
    assert len(bench.asks()) == 2
    assert not saver.exited()

    # Later, a request asks again and the right password closes the saver.
    bench.answers(1)
    assert desktop.wintool("post", w["hwnd"], WM_CLOSE, 0, 0)[0] == 0
    assert saver.wait(20) == 0
    assert len(bench.asks()) == 3
    assert running_calls(saver) == [1, 0]


def test_close_requests_and_tune_notices_never_open_a_second_dialog(desktop, bench):
    bench.windows_98()
    bench.use_password(1)
    bench.place("password_stand_in.dll", "PASSWORD.CPL")
    saver, w = bench.start_full_screen()
    # A player's end-of-tune notice while the saver runs asks nothing.
    assert desktop.wintool("post", w["hwnd"], WM_APP, 0, 0)[0] == 0
    time.sleep(1.0)
    assert bench.asks() == [] and not saver.exited()

    move_mouse_far(desktop)  # no answer waiting: the stand-in's dialog stays open
    assert wait_until(lambda: desktop.find_window("#32770", STAND_IN_DIALOG), 10)
    closes = dispatched(saver, w["hwnd"], "WM_CLOSE")
    apps = dispatched(saver, w["hwnd"], TRACED_APP)
    assert desktop.wintool("post", w["hwnd"], WM_CLOSE, 0, 0)[0] == 0
    assert desktop.wintool("post", w["hwnd"], WM_APP, 0, 0)[0] == 0
    assert wait_until(lambda: dispatched(saver, w["hwnd"], "WM_CLOSE") > closes and
                      dispatched(saver, w["hwnd"], TRACED_APP) > apps, 10)
    time.sleep(0.5)
    assert len(bench.asks()) == 1, bench.asks()
    assert not saver.exited()

    bench.answers(1)
    assert saver.wait(20) == 0
    events = [e["event"] for e in bench.log("password-log.txt")]
    assert events == ["load", "ask", "answer", "unload"]


def _host_window(desktop):
    host = desktop.spawn([desktop.wintool_exe, "host", 200, 150, 60])

    def row():
        with open(host.output_path, errors="replace") as f:
            return next((parse_words(l) for l in f if "hwnd=" in l), None)

    found = wait_until(row, 30)
    assert found, "the test host window did not appear"
    return host, found["hwnd"]


# Wine would load its own MPR.DLL first; the override makes the one beside the saver count,
# as on Windows 98, where the program's folder is searched first.
MPR_FROM_FOLDER = {"WINEDLLOVERRIDES": "mscoree,mshtml=;mpr=n,b"}


def test_password_change_goes_to_the_given_window_or_else_the_foreground_one(desktop, bench):
    bench.windows_98()
    bench.place("mpr_stand_in.dll", "MPR.DLL")
    first, first_hwnd = _host_window(desktop)
    second, second_hwnd = _host_window(desktop)  # the newer window is the foreground one
    try:
        assert bench.start("/a", first_hwnd, env=MPR_FROM_FOLDER).wait(30) == 0
        assert bench.start("/a", 1234, env=MPR_FROM_FOLDER).wait(30) == 0
    finally:
        for host, hwnd in ((first, first_hwnd), (second, second_hwnd)):
            desktop.wintool("post", hwnd, WM_CLOSE, 0, 0)
            host.wait(20)
    events = bench.log("mpr-log.txt")
    changes = [e for e in events if e["event"] == "change"]
    assert [e["event"] for e in events] == ["load", "change", "unload"] * 2
    assert all(e["freed"] == "1" for e in events if e["event"] == "unload")
    assert changes[0]["owner"] == first_hwnd and changes[0]["foreground"] == second_hwnd
    assert changes[1]["owner"] == second_hwnd == changes[1]["foreground"]
    for c in changes:
        assert (c["provider"], c["flags"], c["reserved"]) == ("SCRSAVE", "0", "0")


def test_password_change_without_the_function_only_loads_and_frees_the_library(desktop, bench):
    bench.windows_98()
    bench.place("mpr_stand_in_bare.dll", "MPR.DLL")
    assert bench.start("/a", 1234, env=MPR_FROM_FOLDER).wait(30) == 0
    assert bench.log("mpr-log.txt") == [{"event": "load"}, {"event": "unload", "freed": "1"}]


def test_password_change_is_refused_on_the_nt_platform(desktop, bench):
    bench.windows_98(False)
    bench.place("mpr_stand_in.dll", "MPR.DLL")
    assert bench.start("/a", 1234, env=MPR_FROM_FOLDER).wait(30) == 255
    assert bench.log("mpr-log.txt") == []
