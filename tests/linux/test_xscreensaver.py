"""XScreenSaver's own daemon runs velta2 as installed by `cmake --install`: activated, it starts
the hack in its window, where the glyphs show; deactivated, the hack is gone.

The daemon will not launch hacks as root, so a root run gives the daemon and its commands to
the unprivileged user 65534, who can reach the scratch folder, the program and the display.
Everything started here ends with the test, also on a failure."""
import os
import shutil
import signal
import subprocess
import tempfile

import pytest

from hack_display import BUILD, assert_glyph_shapes, virtual_display, wait_until

UNPRIVILEGED = 65534


def as_daemon_user(*args):
    if os.geteuid() != 0:
        return list(args)
    return ["setpriv", f"--reuid={UNPRIVILEGED}", f"--regid={UNPRIVILEGED}",
            "--clear-groups", *args]


def processes_of(program):
    """Ids of the running processes whose program file is program."""
    found = []
    for entry in filter(str.isdigit, os.listdir("/proc")):
        try:
            if os.readlink(f"/proc/{entry}/exe") == program:
                found.append(int(entry))
        except OSError:
            pass
    return found


@pytest.fixture
def daemon():
    """(run an xscreensaver-command, the installed program, the display, the daemon's log)"""
    scratch = tempfile.mkdtemp(prefix="velta2-xscreensaver-")
    program = os.path.join(scratch, "libexec", "xscreensaver", "velta2")
    home, log = os.path.join(scratch, "home"), os.path.join(scratch, "daemon.log")
    process = None
    try:
        os.chmod(scratch, 0o755)
        subprocess.run(["cmake", "--install", str(BUILD), "--prefix", scratch], check=True,
                       stdout=subprocess.DEVNULL)
        os.mkdir(home)
        with open(os.path.join(home, ".xscreensaver"), "w") as f:
            f.write("mode: one\nselected: 0\nlock: False\nsplash: False\nfade: False\n"
                    f"unfade: False\nprograms: {program} -root \\n\n")
        if os.geteuid() == 0:
            shutil.chown(home, UNPRIVILEGED, UNPRIVILEGED)
            shutil.chown(os.path.join(home, ".xscreensaver"), UNPRIVILEGED, UNPRIVILEGED)
        with virtual_display() as display:
            env = dict(os.environ, HOME=home, DISPLAY=display)
            env.pop("XSCREENSAVER_WINDOW", None)

            def command(*args):
                return subprocess.run(as_daemon_user("xscreensaver-command", *args), env=env,
                                      capture_output=True, timeout=30).returncode

            assert subprocess.run(as_daemon_user("test", "-x", program)).returncode == 0
            with open(log, "w") as out:
                process = subprocess.Popen(
                    as_daemon_user("xscreensaver", "-no-splash", "-verbose"), env=env,
                    stdout=out, stderr=subprocess.STDOUT, start_new_session=True)
            # XScreenSaver 6.06's daemon exits at once (status 1, no message) when another
            # client queries the display while it starts; its log says when that is over.
            assert wait_until(lambda: "XInput version" in open(log).read(), 20), open(log).read()
            assert command("-version") == 0, open(log).read()
            try:
                yield command, program, display, log
            finally:
                try:
                    command("-exit")
                    process.wait(10)
                except subprocess.TimeoutExpired:
                    pass
    finally:
        if process and process.poll() is None:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
        for pid in processes_of(program):
            os.kill(pid, signal.SIGKILL)
        shutil.rmtree(scratch, ignore_errors=True)


def test_daemon_runs_velta2_in_its_window_and_ends_it(daemon):
    command, program, display, log = daemon
    assert command("-activate") == 0, open(log).read()
    hacks = wait_until(lambda: processes_of(program), 20)
    assert len(hacks) == 1, open(log).read()
    with open(f"/proc/{hacks[0]}/environ", "rb") as f:
        window = dict(v.split(b"=", 1) for v in f.read().split(b"\0") if b"=" in v).get(
            b"XSCREENSAVER_WINDOW", b"").decode()
    geometry = subprocess.run(["xwininfo", "-display", display, "-id", window],
                              capture_output=True, text=True).stdout
    assert "IsViewable" in geometry and "Width: 640" in geometry, (window, geometry)

    shot, failure = os.path.join(os.path.dirname(log), "shot.png"), []

    def glyphs_shown():
        subprocess.run(["import", "-display", display, "-window", "root", shot], check=True)
        try:
            assert_glyph_shapes(shot)
            return True
        except AssertionError as e:
            failure[:] = [str(e)]
            return False

    assert wait_until(glyphs_shown, 20, interval=0.5), f"{failure}\n{open(log).read()}"

    assert command("-deactivate") == 0
    assert wait_until(lambda: not processes_of(program), 10), open(log).read()
