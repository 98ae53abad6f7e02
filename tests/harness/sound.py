"""A private PulseAudio server whose only sink is a null sink, what reaches it, and the tune's
copies in what it recorded."""
import array
import contextlib
import os
import re
import shutil
import subprocess
import tempfile
import threading
import time

import pytest

from harness.display import wait_until

# A new copy of the tune every VOICE_INTERVAL seconds, on up to three voices at once.
VOICE_INTERVAL = 3.2
TUNE_SECONDS = 8.136

NO_SOUND_DEVICE = {"PULSE_SERVER": "unix:/nonexistent/velta-no-pulse"}


class Recording:
    """What reached the null sink while recording: the samples, and the sink inputs (one per
    stream the program opens) with the times they appeared and went away. Times are seconds since
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

    def copies(self):
        """The streams that lived long enough to be a copy of the tune, once they have: Wine's
        wave-out opens and closes probing streams of its own, a few milliseconds each, when a
        device is opened."""
        now = self.now()
        return [(a, b) for a, b in self.streams() if (now if b is None else b) - a > 0.2]

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
        # Wine's wave-out keeps only a few milliseconds queued in the server, and on a busy
        # virtual machine its feeding thread wakes late: the server then plays silence inside
        # a copy, up to seconds a minute, and stretches it. A 100 ms server-side buffer absorbs
        # those late wake-ups, so the tests hear the players' own timing (the music benchmark
        # keeps Wine's default and counts the gaps).
        self.wine_env = dict(self.env, PULSE_LATENCY_MSEC="100")
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

    def velta_streams(self):
        """How many streams Velta II (either program) has open in the server; 0 when the
        server is gone."""
        listing = subprocess.run(["pactl", "list", "sink-inputs"], env=self.plain_env, text=True,
                                 capture_output=True, timeout=10).stdout
        return listing.count('application.name = "Velta II"')

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
def sound(tmp_path_factory):
    """The session's sound server; a conftest that imports this offers it to its tests."""
    s = Sound(str(tmp_path_factory.mktemp("sound")))
    s.start()
    yield s
    s.stop()


def most_at_once(spans, until):
    """The most streams of spans ((start, end or None) each) alive at one time up to until."""
    edges = sorted([(a, 1) for a, _ in spans] + [(b if b is not None else until, -1)
                                                 for _, b in spans], key=lambda e: (e[0], e[1]))
    live = peak = 0
    for _, step in edges:
        live += step
        peak = max(peak, live)
    return peak


def assert_voices_every_interval(starts):
    """Each copy began VOICE_INTERVAL after the one before it."""
    gaps = [b - a for a, b in zip(starts, starts[1:])]
    assert gaps and all(abs(g - VOICE_INTERVAL) < 0.35 for g in gaps), gaps


def assert_copy_played_out(span):
    """A copy that was not cut off lasted the tune's length, give or take the time its stream
    takes to be drained and closed."""
    assert TUNE_SECONDS - 0.2 < span[1] - span[0] < TUNE_SECONDS + 1.0, span
