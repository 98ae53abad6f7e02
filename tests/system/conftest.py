"""System-test harness: a virtual X display, the build tree's Wine prefix and the real saver.

The session starts its own Xvfb and Wine server and ends both afterwards, so the tests need
nothing running beforehand. Wine programs write their output to files, never to pipes: Wine's
background services inherit the first program's handles and would keep a pipe open.
"""
import array
import contextlib
import os
import re
import shutil
import signal
import struct
import subprocess
import tempfile
import threading
import time

import pytest

SCREEN_W, SCREEN_H = 640, 480
SAVER_CLASS = "WindowsScreenSaverClass"
DESKTOP_KEY = r"HKCU\Control Panel\Desktop"  # holds the DPI, "LogPixels"


def pytest_addoption(parser):
    parser.addoption("--scr", required=True, help="path of velta2.scr")
    parser.addoption("--wintool", required=True, help="path of wintool.exe")
    parser.addoption("--build-dir", required=True, help="build tree holding the Wine prefix")


def parse_words(line):
    """'a=1 b="x y"' -> {'a': '1', 'b': 'x y'}"""
    return {k: v.strip('"') for k, v in re.findall(r'(\w+)=("[^"]*"|\S+)', line)}


def wait_until(predicate, timeout, interval=0.2):
    deadline = time.monotonic() + timeout
    while True:
        result = predicate()
        if result or time.monotonic() > deadline:
            return result
        time.sleep(interval)


class Desktop:
    """One Xvfb display and one Wine prefix with its server running."""

    def __init__(self, config, workdir, width=SCREEN_W, height=SCREEN_H, xvfb_args=()):
        self.width, self.height, self.xvfb_args = width, height, list(xvfb_args)
        self.scr = os.path.abspath(config.getoption("--scr"))
        self.wintool_exe = os.path.abspath(config.getoption("--wintool"))
        build = os.path.abspath(config.getoption("--build-dir"))
        self.build = build
        self.scene_probe = os.path.join(build, "tests", "scene_probe.exe")
        self.workdir = workdir
        self.env = dict(os.environ)
        self.env.update(
            WINEPREFIX=os.environ.get("WINEPREFIX", os.path.join(build, "wineprefix")),
            WINEDEBUG="-all",
            WINEDLLOVERRIDES="mscoree,mshtml=",
        )
        self.xvfb = None
        self._count = 0

    def start(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
             f"{self.width}x{self.height}x24", "-nolisten", "tcp"] + self.xvfb_args,
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        self.env["DISPLAY"] = f":{number}"
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
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait(10)

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

    def find_window(self, cls, title):
        code, rows = self.wintool("find", cls, title)
        return rows[0] if code == 0 and rows else None

    def windows_of_class(self, cls):
        return self.wintool("list", cls)[1]

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True,
                       timeout=30)

    def screenshot(self, name):
        path = os.path.join(self.workdir, name)
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True,
                       timeout=30)
        return path

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
        assert isinstance(found, dict), f"no visible {title!r} window appeared"
        return found

    def exited(self):
        return self.proc.poll() is not None

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


# ---- Sound: a private PulseAudio server whose only sink is a null sink ----

NO_SOUND_DEVICE = {"PULSE_SERVER": "unix:/nonexistent/velta-no-pulse"}


class Recording:
    """What reached the null sink while recording: the samples, and the sink inputs (one per
    open wave-out device) with the times they appeared and went away. Times are seconds since
    the recording began; sample i was played at about i / RATE on the same clock."""

    RATE = 44100

    def __init__(self):
        self.opened = {}  # sink-input id -> time it appeared
        self.closed = {}  # sink-input id -> time it went away
        self.data = bytearray()  # 16-bit stereo frames from the sink's monitor
        self.t0 = None

    def now(self):
        return time.monotonic() - self.t0

    def streams(self):
        """(opened, closed or None) of every sink input seen, in order of appearance."""
        return sorted((t, self.closed.get(i)) for i, t in self.opened.items())

    def samples(self):
        """The left channel as 16-bit integers."""
        frames = array.array("h", bytes(self.data[:len(self.data) // 4 * 4]))
        return frames[0::2]

    def sound_spans(self, gap_ms=20):
        """(start, end) seconds of the stretches that are not silent, splitting where the
        samples stay exactly zero for at least gap_ms."""
        samples, rate = self.samples(), self.RATE
        gap = rate * gap_ms // 1000
        spans, start, zeros = [], None, 0
        for i, x in enumerate(samples):
            if x:
                if start is None:
                    start = i
                zeros = 0
            elif start is not None:
                zeros += 1
                if zeros == gap:
                    spans.append((start / rate, (i - gap + 1) / rate))
                    start = None
        if start is not None:
            spans.append((start / rate, (len(samples) - zeros) / rate))
        return spans


class Sound:
    """The server lives in its own runtime directory; a silent stream keeps the sink running
    so that a recording's sample count follows the clock."""

    def __init__(self, workdir):
        self.runtime = tempfile.mkdtemp(prefix="velta-pulse-", dir=workdir)
        os.chmod(self.runtime, 0o700)
        self.plain_env = dict(os.environ, XDG_RUNTIME_DIR=self.runtime)
        self.plain_env.pop("PULSE_SERVER", None)
        self.env = {"XDG_RUNTIME_DIR": self.runtime}
        self.keeper = None

    def start(self):
        subprocess.run(["pulseaudio", "-n", "--daemonize=yes", "--exit-idle-time=-1",
                        "--disallow-exit", "--load=module-native-protocol-unix",
                        "--load=module-null-sink sink_name=capture",
                        "--load=module-always-sink"], env=self.plain_env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=30)
        self.keeper = subprocess.Popen(
            ["pacat", "--raw", "--format=s16le", "--rate=44100", "--channels=2",
             "--device=capture", "/dev/zero"], env=self.plain_env)
        assert wait_until(lambda: subprocess.run(
            ["pactl", "list", "short", "sink-inputs"], env=self.plain_env, text=True,
            capture_output=True).stdout.strip(), 10), "the silent stream did not start"

    def stop(self):
        if self.keeper:
            self.keeper.terminate()
            self.keeper.wait(10)
        subprocess.run(["pulseaudio", "--kill"], env=self.plain_env, timeout=30)
        shutil.rmtree(self.runtime, ignore_errors=True)

    @contextlib.contextmanager
    def record(self):
        """with sound.record() as rec: ... records until the block ends. The monitor's samples
        come through a pipe: parec takes most of a second to deliver its first ones, and the
        clock of the recording starts with them."""
        rec = Recording()
        parec = subprocess.Popen(["parec", "-d", "capture.monitor", "--raw", "--format=s16le",
                                  "--rate=%d" % Recording.RATE, "--channels=2",
                                  "--latency-msec=20"], env=self.plain_env,
                                 stdout=subprocess.PIPE)
        watch = subprocess.Popen(["pactl", "subscribe"], env=self.plain_env,
                                 stdout=subprocess.PIPE, text=True)
        flowing = threading.Event()

        def capture():
            while True:
                chunk = parec.stdout.read1(65536)
                if not chunk:
                    return
                if rec.t0 is None:
                    rec.t0 = time.monotonic() - len(chunk) / 4 / Recording.RATE
                    flowing.set()
                rec.data += chunk

        def follow():
            flowing.wait(10)
            for line in watch.stdout:
                m = re.match(r"Event '(new|remove)' on sink-input #(\d+)", line)
                if m and rec.t0 is not None:
                    (rec.opened if m[1] == "new" else rec.closed)[int(m[2])] = rec.now()

        threads = [threading.Thread(target=f, daemon=True) for f in (capture, follow)]
        for t in threads:
            t.start()
        assert flowing.wait(10), "the recorder delivered nothing"
        time.sleep(0.2)
        try:
            yield rec
        finally:
            time.sleep(0.5)
            parec.terminate()
            watch.terminate()
            parec.wait(10)
            watch.wait(10)
            for t in threads:
                t.join(5)


@pytest.fixture(scope="session")
def sound(desktop):
    s = Sound(desktop.workdir)
    s.start()
    yield s
    s.stop()


# The six colours of the glyph texture; every module's shapes show only these (and their
# blends where the texture is filtered), on black.
GLYPH_COLOURS = {
    "white": (255, 255, 255), "green": (40, 200, 70), "orange": (255, 140, 0),
    "light blue": (110, 190, 255), "red": (225, 30, 30), "dark blue": (35, 60, 215),
}


def glyph_colour_counts(path, tolerance=60):
    """Pixels of a screenshot close to each glyph colour, and the share that is not black."""
    from PIL import Image
    image = Image.open(path).convert("RGB")
    pixels = list(image.getdata())
    counts = dict.fromkeys(GLYPH_COLOURS, 0)
    lit = 0
    for r, g, b in pixels:
        if r + g + b <= 30:
            continue
        lit += 1
        for name, (cr, cg, cb) in GLYPH_COLOURS.items():
            if abs(r - cr) + abs(g - cg) + abs(b - cb) <= tolerance:
                counts[name] += 1
                break
    return counts, lit / len(pixels)


def assert_glyph_shapes(path):
    """The screenshot shows shapes carrying the glyph texture: a good part of the screen lit,
    most of it black, and at least four of the six glyph colours in clear amounts."""
    counts, lit = glyph_colour_counts(path)
    assert 0.01 < lit < 0.9, f"{path}: lit share {lit:.3f}"
    shown = [name for name, n in counts.items() if n >= 40]
    assert len(shown) >= 4, f"{path}: glyph colours {counts}"


def picture_distance(a, b):
    """Mean absolute difference of two screenshots reduced to 80 x 60 grey, 0..255."""
    from PIL import Image, ImageChops, ImageStat
    small = [Image.open(p).convert("L").resize((80, 60), Image.BILINEAR) for p in (a, b)]
    return ImageStat.Stat(ImageChops.difference(*small)).mean[0]
