"""XScreenSaver's own daemon runs velta2 as installed by `cmake --install`: activated, it starts
the hack on its window and the hack draws glyphs there; deactivated, the hack is gone.

The daemon will not launch hacks as root, so a root run gives the daemon and its commands to
the unprivileged user 65534; the scratch folder, the installed program and the display are
made usable by that user. Everything started here ends with the test, also on a failure."""
import os
import signal
import shutil
import subprocess
import tempfile

import pytest

from hack_display import BUILD, assert_glyph_shapes, virtual_display, wait_until

UNPRIVILEGED = 65534


def as_daemon_user(args):
    if os.geteuid() != 0:
        return list(args)
    return ["setpriv", f"--reuid={UNPRIVILEGED}", f"--regid={UNPRIVILEGED}",
            "--clear-groups"] + list(args)


def processes_of(program):
    """Ids of the running processes whose program file is program."""
    found = []
    for entry in os.listdir("/proc"):
        try:
            if entry.isdigit() and os.readlink(f"/proc/{entry}/exe") == program:
                found.append(int(entry))
        except OSError:
            pass
    return found


def environment_of(pid):
    with open(f"/proc/{pid}/environ", "rb") as f:
        pairs = [item.split(b"=", 1) for item in f.read().split(b"\0") if b"=" in item]
    return {k.decode(): v.decode(errors="replace") for k, v in pairs}


class Daemon:
    """An XScreenSaver daemon on a display of its own whose only program is velta2 --root."""

    def __init__(self, scratch, display):
        self.scratch, self.display = scratch, display
        self.program = os.path.join(scratch, "prefix", "libexec", "xscreensaver", "velta2")
        self.home = os.path.join(scratch, "home")
        self.env = {k: v for k, v in os.environ.items() if k != "XSCREENSAVER_WINDOW"}
        self.env.update(HOME=self.home, DISPLAY=display)
        self.log = os.path.join(scratch, "xscreensaver.log")
        self.process = None

    def install(self):
        subprocess.run(["cmake", "--install", str(BUILD), "--prefix",
                        os.path.join(self.scratch, "prefix")],
                       check=True, stdout=subprocess.DEVNULL)
        os.mkdir(self.home)
        with open(os.path.join(self.home, ".xscreensaver"), "w") as f:
            f.write("mode: one\nselected: 0\nlock: False\nsplash: False\nfade: False\n"
                    f"unfade: False\nprograms: {self.program} -root \\n\n")
        os.chmod(self.scratch, 0o755)
        if os.geteuid() == 0:
            os.chown(self.home, UNPRIVILEGED, UNPRIVILEGED)
            os.chown(os.path.join(self.home, ".xscreensaver"), UNPRIVILEGED, UNPRIVILEGED)
        reachable = subprocess.run(as_daemon_user(["test", "-x", self.program])).returncode
        assert reachable == 0, f"{self.program} is out of reach of the daemon's user"

    def start(self):
        with open(self.log, "w") as log:
            self.process = subprocess.Popen(as_daemon_user(["xscreensaver", "-no-splash"]),
                                            env=self.env, stdout=log, stderr=subprocess.STDOUT,
                                            start_new_session=True)
        assert wait_until(lambda: self.command("-version") == 0, 20), self.output()

    def command(self, *args):
        return subprocess.run(as_daemon_user(["xscreensaver-command"] + list(args)),
                              env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=30).returncode

    def output(self):
        with open(self.log, errors="replace") as f:
            return "xscreensaver said:\n" + f.read()

    def stop(self):
        if self.process and self.process.poll() is None:
            try:
                self.command("-exit")
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
        for pid in processes_of(self.program):
            os.kill(pid, signal.SIGKILL)


@pytest.fixture
def daemon():
    scratch = tempfile.mkdtemp(prefix="velta2-xscreensaver-")
    try:
        with virtual_display() as display:
            d = Daemon(scratch, display)
            try:
                d.install()
                d.start()
                yield d
            finally:
                d.stop()
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def test_daemon_runs_velta2_in_its_window_and_ends_it(daemon):
    assert daemon.command("-activate") == 0, daemon.output()
    hacks = wait_until(lambda: processes_of(daemon.program), 20)
    assert len(hacks) == 1, daemon.output()
    window = environment_of(hacks[0]).get("XSCREENSAVER_WINDOW", "")
    assert int(window, 0) != 0, f"XSCREENSAVER_WINDOW={window!r}"
    geometry = subprocess.run(["xwininfo", "-display", daemon.display, "-id", window],
                              capture_output=True, text=True).stdout
    assert "Map State: IsViewable" in geometry and "Width: 640" in geometry, geometry

    shot = os.path.join(daemon.scratch, "shot.png")

    def glyphs_shown():
        subprocess.run(["import", "-display", daemon.display, "-window", "root", shot],
                       check=True)
        try:
            assert_glyph_shapes(shot)
            return True
        except AssertionError:
            return False

    if not wait_until(glyphs_shown, 20, interval=0.5):
        assert_glyph_shapes(shot)

    assert daemon.command("-deactivate") == 0
    assert wait_until(lambda: not processes_of(daemon.program), 10), daemon.output()
