"""System-test harness: a virtual X display, a copy of the build tree's Wine prefix and the real
saver.

The session starts its own Xvfb and Wine server in its own prefix and ends them afterwards, so
the tests need nothing running beforehand and several test files can run at once. Wine programs
write their output to files, never to pipes: Wine's background services inherit the first
program's handles and would keep a pipe open.
"""
import contextlib
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

import pytest

# The helpers this harness shares with the Linux one; the test files take them from here.
sys.path.insert(0, os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..")))
from harness.display import (assert_glyph_shapes, glyph_colour_counts,  # noqa: E402,F401
                             picture_distance, screenshot, start_xvfb, wait_for_glyph_shapes,
                             wait_until)
from harness.sound import NO_SOUND_DEVICE, Sound, sound  # noqa: E402,F401

SCREEN_W, SCREEN_H = 640, 480
SAVER_CLASS = "WindowsScreenSaverClass"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"  # holds the DPI, "LogPixels"
RELAY_KEY = r"HKCU\Software\Wine\Debug"  # holds "RelayInclude", the calls Wine traces
# Wine's own programs and libraries in a prefix, which no test writes.
WINE_BINARIES = (".dll", ".exe", ".drv", ".sys", ".nls", ".ocx", ".cpl", ".acm", ".tlb", ".ds",
                 ".ax", ".com", ".msstyles")


def pytest_addoption(parser):
    parser.addoption("--scr", required=True, help="path of velta2.scr")
    parser.addoption("--wintool", required=True, help="path of wintool.exe")
    parser.addoption("--build-dir", required=True, help="build tree holding the Wine prefix")
    parser.addoption("--linux-velta2", help="path of the Linux program velta2 (native build), "
                     "which some tests compare with velta2.scr")


def pointer_digits(program):
    """How many hex digits Wine's traces give a pointer or window handle of this Windows program:
    8 for a 32-bit one, 16 for a 64-bit one (the machine field of its PE header)."""
    with open(program, "rb") as f:
        head = f.read(4096)
    pe = struct.unpack_from("<I", head, 0x3C)[0]
    return 8 if struct.unpack_from("<H", head, pe + 4)[0] == 0x14C else 16


def parse_words(line):
    """'a=1 b="x y"' -> {'a': '1', 'b': 'x y'}"""
    return {k: v.strip('"') for k, v in re.findall(r'(\w+)=("[^"]*"|\S+)', line)}


class Desktop:
    """One Xvfb display and one Wine prefix with its server running."""

    def __init__(self, config, workdir, width=SCREEN_W, height=SCREEN_H, xvfb_args=()):
        self.width, self.height, self.xvfb_args = width, height, list(xvfb_args)
        self.scr = os.path.abspath(config.getoption("--scr"))
        self.pointer_digits = pointer_digits(self.scr)
        self.wintool_exe = os.path.abspath(config.getoption("--wintool"))
        build = os.path.abspath(config.getoption("--build-dir"))
        self.build = build
        self.scene_probe = os.path.join(build, "tests", "scene_probe.exe")
        self.workdir = workdir
        self.base_prefix = os.environ.get("WINEPREFIX", os.path.join(build, "wineprefix"))
        self.env = dict(os.environ)
        self.env.update(WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=")
        self.xvfb = None
        self._count = 0

    def copy_prefix(self):
        """This session's own Wine prefix, a copy of the build tree's: what one session stores,
        installs or plants stays its own, and sessions run side by side, each with its own
        Wine server. Wine's programs and libraries (nearly all of the prefix's 700 MB) are only
        read, so the copy links them; every other file (the registry, ini files, the hosts
        file) is copied, so that a write into it cannot reach the build tree's prefix."""
        prefix = tempfile.mkdtemp(prefix="wineprefix-", dir=os.path.dirname(self.base_prefix))
        subprocess.run(["cp", "-a", "--link", os.path.join(self.base_prefix, "."), prefix],
                       check=True)
        for folder, _, names in os.walk(prefix):
            for name in names:
                path = os.path.join(folder, name)
                if os.path.islink(path) or name.lower().endswith(WINE_BINARIES):
                    continue
                os.unlink(path)
                shutil.copy2(os.path.join(self.base_prefix, os.path.relpath(path, prefix)), path)
        self.env["WINEPREFIX"] = prefix

    def start(self):
        self.copy_prefix()
        self.xvfb, self.env["DISPLAY"] = start_xvfb(self.width, self.height, self.xvfb_args)
        self.start_server()
        # A platform override or a DPI left behind by an interrupted run must not leak into
        # this one; Wine takes the DPI at its start.
        self.reg("delete", r"HKCU\Software\Wine\AppDefaults\velta2.scr", "/f")
        if self.reg("delete", DESKTOP_KEY, "/v", "LogPixels", "/f")[0] == 0:
            self.start_server()

    def start_server(self):
        """(Re)starts the prefix's Wine server and its background services; settings that
        Wine reads only at start-up, such as the DPI, take effect."""
        self.run_plain(["wineserver", "-k"])
        self.run_plain(["wineserver", "-w"])
        self.run_plain(["wineserver", "-p"])
        self.wine(["cmd", "/c", "exit"], timeout=120)

    def stop(self):
        self.run_plain(["wineserver", "-k"])
        self.run_plain(["wineserver", "-w"])
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(10)
        shutil.rmtree(self.env["WINEPREFIX"], ignore_errors=True)

    def run_plain(self, args, timeout=60):
        return subprocess.run(args, env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout).returncode

    def _outfile(self, stem):
        self._count += 1
        return os.path.join(self.workdir, f"{self._count:03d}-{stem}.txt")

    def wine(self, args, timeout=60):
        """Runs a Windows program to its end; returns (exit code, output text)."""
        out = self._outfile(os.path.basename(args[0]))
        with open(out, "w") as f:
            code = subprocess.run(["wine"] + args, env=self.env, stdout=f,
                                  stderr=subprocess.STDOUT, timeout=timeout).returncode
        with open(out, errors="replace") as f:
            return code, f.read()

    def spawn(self, args, env=None):
        """Starts a Windows program; env adds to or overrides the session's variables."""
        out = self._outfile(os.path.basename(args[0]))
        f = open(out, "w")
        proc = subprocess.Popen(["wine"] + [str(a) for a in args],
                                env=dict(self.env, **(env or {})), stdout=f,
                                stderr=subprocess.STDOUT, start_new_session=True)
        proc.output_path = out
        return proc

    def wintool(self, *args):
        code, text = self.wine([self.wintool_exe] + [str(a) for a in args])
        return code, [parse_words(l) for l in text.splitlines() if "=" in l]

    def click(self, hwnd, button):
        """Clicks a dialog's button; a click that fails says why in wintool's words."""
        code, said = self.wine([self.wintool_exe, "click", str(hwnd), str(button)])
        assert code == 0, said.strip()

    def find_window(self, cls, title):
        code, rows = self.wintool("find", cls, title)
        return rows[0] if code == 0 and rows else None

    def windows_of_class(self, cls):
        return self.wintool("list", cls)[1]

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True,
                       timeout=30)

    def screenshot(self, name):
        return screenshot(self.env, os.path.join(self.workdir, name))

    def reg(self, *args):
        return self.wine(["reg"] + list(args))

    def set_values(self, key, values):
        """Stores [(name, registry type number or "key", hex data or "")] under key (HKCU\\...)
        byte for byte with one program start; "key" makes an empty subkey of that name."""
        args = []
        for name, kind, data in values:
            args += [name, str(kind), data or "-"]
        path = key.split("\\", 1)[1]
        # Under load Wine now and then fails to start a program at all; that is no answer about
        # the registry, so the write is tried again.
        for _ in range(3):
            code, _ = self.wintool("regset", path, *args)
            if code == 0:
                break
            time.sleep(1)
        assert code == 0, f"could not store {values} under {key}"

    def set_dwords(self, key, values):
        """Stores {name: integer} as REG_DWORDs under key (HKCU\\...)."""
        self.set_values(key, [(name, 4, struct.pack("<I", value & 0xFFFFFFFF).hex())
                              for name, value in values.items()])

    def answer_box(self, caption, timeout=30):
        """Waits for the message box of that caption, presses OK once its text is there and
        waits until it has gone; returns its texts."""
        code, rows = self.wintool("answer", caption, 1, timeout)
        assert code == 0, f"no {caption!r} box was answered (wintool answer ended with {code})"
        return [r["text"] for r in rows if r.get("id") == "65535"]

    def delete_key(self, key):
        self.reg("delete", key, "/f")

    def has_value(self, key, name):
        return self.reg("query", key, "/v", name)[0] == 0


@contextlib.contextmanager
def relay_traced(desktop, functions):
    """with relay_traced(desktop, ["gdi32.SwapBuffers"]) as env: a Windows program started with
    env in the block writes a "Call dll.Function(...)" and a "Ret" line to its output for each
    call of those functions."""
    desktop.reg("add", RELAY_KEY, "/v", "RelayInclude", "/d", ";".join(functions), "/f")
    try:
        yield {"WINEDEBUG": "+relay"}
    finally:
        desktop.reg("delete", RELAY_KEY, "/v", "RelayInclude", "/f")


@pytest.fixture(scope="session")
def desktop(pytestconfig):
    workdir = tempfile.mkdtemp(prefix="velta-system-")
    d = Desktop(pytestconfig, workdir)
    d.start()
    yield d
    d.stop()
    shutil.rmtree(workdir, ignore_errors=True)


class Saver:
    """A running velta2.scr process."""

    def __init__(self, desktop, args, scr=None, env=None):
        self.desktop = desktop
        self.proc = desktop.spawn([scr or desktop.scr] + args, env)

    def wait_window(self, cls=SAVER_CLASS, title="Screen Saver", timeout=30):
        """The window's row once it exists and is visible (it exists during WM_CREATE
        already, before it is shown)."""
        def shown():
            row = self.desktop.find_window(cls, title)
            return row if row and row["visible"] == "1" else self.exited()

        found = wait_until(shown, timeout)
        assert isinstance(found, dict), f"no visible {title!r} window appeared" + (
            f": the saver ended with {self.proc.returncode}, saying:\n{self.output()[-2000:]}"
            if self.exited() else "")
        return found

    def exited(self):
        return self.proc.poll() is not None

    def output(self):
        """What the saver and Wine have printed so far."""
        with open(self.proc.output_path, errors="replace") as f:
            return f.read()

    def wait(self, timeout=20):
        """Exit code as the shell sees it (-1 is 255)."""
        return self.proc.wait(timeout)

    def kill(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait(10)


@pytest.fixture
def start_saver(desktop):
    """start_saver('/s') starts the saver (scr= another build of it); every process is ended
    after the test."""
    started = []

    def start(*args, env=None, scr=None):
        saver = Saver(desktop, list(args), scr=scr, env=env)
        started.append(saver)
        return saver

    yield start
    for saver in started:
        saver.kill()
    # Nothing of one test may linger into the next.
    wait_until(lambda: not desktop.windows_of_class(SAVER_CLASS), 10)
