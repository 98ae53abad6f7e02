"""Linux system-test harness: an Xvfb of its own for each test file, the real velta2 on it with
a settings folder of each test's own, and the window helper.

The root window is black (-br), so that what the program draws is all that lights the screen.
Xvfb here now and then resets a connection made while another client connects or ends, so the
harness runs one X client at a time: each a moment after the last one ended, and nothing while
velta2 connects (it runs with -fps, and its first figure tells that it is drawing).
"""
import os
import signal
import subprocess
import sys
import time

import pytest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from harness.display import CLIENT_GAP, screenshot, start_xvfb, wait_until  # noqa: E402
from harness.sound import sound  # noqa: E402,F401  (the fixture)

SCREEN_W, SCREEN_H = 800, 600  # the size of the program's own window
WINDOW_NAME = "Velta II"


def pytest_addoption(parser):
    parser.addoption("--velta2", required=True, help="path of the velta2 program")
    parser.addoption("--window-tool", required=True, help="path of the window_tool helper")
    parser.addoption("--failing-sleep", required=True, help="path of the failing_sleep library")


class Screen:
    """One Xvfb display; env runs programs on it."""

    def __init__(self, config, workdir):
        self.velta2 = os.path.abspath(config.getoption("--velta2"))
        self.tool = os.path.abspath(config.getoption("--window-tool"))
        self.workdir = workdir
        self.xvfb, display = start_xvfb(SCREEN_W, SCREEN_H, ["-br"])
        self.env = dict(os.environ, DISPLAY=display)
        for name in ("XSCREENSAVER_WINDOW", "PULSE_SERVER"):
            self.env.pop(name, None)
        self._count = 0
        self._last_end = 0.0

    def before_client(self):
        time.sleep(max(0.0, self._last_end + CLIENT_GAP - time.monotonic()))

    def after_client(self):
        self._last_end = time.monotonic()

    def stop(self):
        self.xvfb.terminate()
        self.xvfb.wait(10)

    def run(self, *args):
        self.before_client()
        try:
            return subprocess.run([str(a) for a in args], env=self.env, capture_output=True,
                                  text=True, timeout=30)
        finally:
            self.after_client()

    def shot(self, box=None):
        """A screenshot, cut to box (left, top, right, bottom) if given; returns its path."""
        self._count += 1
        self.before_client()
        path = screenshot(self.env, os.path.join(self.workdir, f"shot{self._count:03d}.png"))
        self.after_client()
        if box:
            from PIL import Image
            Image.open(path).crop(box).save(path)
        return path

    def windows(self, name=WINDOW_NAME):
        """Ids of the windows of that name."""
        found = self.run("xdotool", "search", "--name", f"^{name}$")
        assert "open display" not in found.stderr, found.stderr  # "none" must mean none
        return [int(w) for w in found.stdout.split()]

    def size(self, window):
        words = self.run("xdotool", "getwindowgeometry", window).stdout.split()
        return tuple(int(n) for n in words[words.index("Geometry:") + 1].split("x"))

    def keys(self, *keys):
        assert self.run("xdotool", "key", "--delay", "50", *keys).returncode == 0


@pytest.fixture(scope="session")
def screen(pytestconfig, tmp_path_factory):
    s = Screen(pytestconfig, str(tmp_path_factory.mktemp("screen")))
    yield s
    s.stop()


class Velta:
    """A running velta2 whose output goes to files."""

    def __init__(self, screen, args, env, folder):
        self.screen = screen
        self.out_path, self.err_path = (os.path.join(folder, n) for n in ("out.txt", "err.txt"))
        screen.before_client()
        with open(self.out_path, "w") as out, open(self.err_path, "w") as err:
            self.proc = subprocess.Popen([screen.velta2] + [str(a) for a in args], env=env,
                                         stdout=out, stderr=err)

    def out(self):
        with open(self.out_path) as f:
            return f.read()

    def err(self):
        with open(self.err_path) as f:
            return f.read()

    def window(self):
        """The id of the program's own window once it is mapped."""
        found = wait_until(lambda: self.screen.windows() or self.proc.poll() is not None, 10)
        assert isinstance(found, list), f"no window appeared; the program said: {self.err()}"
        return found[0]

    def fps_figures(self, count, timeout=10):
        """The first count frames-per-second figures of -fps, waiting for them."""
        def figures():
            return [float(line.split()[1]) for line in self.out().splitlines()
                    if line.endswith("frames per second")]
        wait_until(lambda: len(figures()) >= count or self.proc.poll() is not None, timeout)
        assert len(figures()) >= count, f"no frame figures; the program said: {self.err()}"
        return figures()[:count]

    def end(self, sig=signal.SIGTERM):
        self.proc.send_signal(sig)
        return self.wait()

    def wait(self, timeout=10):
        try:
            return self.proc.wait(timeout)
        finally:
            self.screen.after_client()


@pytest.fixture
def velta(screen, tmp_path):
    """velta('-root', env={...}) starts the program with -fps and the test's own settings folder,
    tmp_path/config, as XDG_CONFIG_HOME (a second call in the test shares it), and waits for its
    first frame figure; with ready=False it returns at once, for runs that end before drawing.
    Every program still running is killed after the test."""
    started = []

    def start(*args, env=None, ready=True):
        folder = tmp_path / f"run{len(started) + 1}"
        folder.mkdir()
        full = dict(screen.env, XDG_CONFIG_HOME=str(tmp_path / "config"), HOME=str(tmp_path))
        started.append(Velta(screen, args + ("-fps",) * ready, dict(full, **(env or {})),
                             str(folder)))
        if ready:
            started[-1].fps_figures(1)
        return started[-1]

    yield start
    for v in started:
        if v.proc.poll() is None:
            v.proc.kill()
            v.wait()


@pytest.fixture
def host_window(screen):
    """host_window(width, height) maps a window of another program at the screen's top left,
    as XScreenSaver hands one to a hack; its .id is the window, its .destroy() ends it."""
    hosts = []

    class Host:
        def __init__(self, width, height):
            screen.before_client()
            self.proc = subprocess.Popen([screen.tool, "host", str(width), str(height)],
                                         env=screen.env, stdin=subprocess.PIPE,
                                         stdout=subprocess.PIPE, text=True)
            self.id = int(self.proc.stdout.readline())

        def destroy(self):
            self.proc.stdin.write("destroy\n")
            self.proc.stdin.flush()
            assert self.proc.stdout.readline() == "destroyed\n"

    def make(width, height):
        hosts.append(Host(width, height))
        return hosts[-1]

    yield make
    for host in hosts:
        host.proc.stdin.close()
        host.proc.wait(10)
        screen.after_client()
