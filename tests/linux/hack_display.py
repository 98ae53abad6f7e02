"""What the package and XScreenSaver tests of the Linux program share: the build tree they take
velta2 from, a virtual display of their own, and the Windows system tests' waiting and glyph
checks, read from their harness's file without making it a conftest of this folder."""
import contextlib
import os
import pathlib
import runpy
import subprocess

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]
# ctest names the build tree; by hand it is the Makefile's.
BUILD = pathlib.Path(os.environ.get("VELTA_LINUX_BUILD", REPOSITORY / "build-linux"))

_harness = runpy.run_path(str(REPOSITORY / "tests" / "system" / "conftest.py"),
                          run_name="windows_system_harness")
wait_until = _harness["wait_until"]
assert_glyph_shapes = _harness["assert_glyph_shapes"]


@contextlib.contextmanager
def virtual_display(width=640, height=480):
    """An Xvfb display on a free number, ended on leaving; yields its name, ":N"."""
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
         "-nolisten", "tcp"],
        pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    try:
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        assert number, "Xvfb did not start"
        yield f":{number}"
    finally:
        xvfb.terminate()
        try:
            xvfb.wait(10)
        except subprocess.TimeoutExpired:
            xvfb.kill()
            xvfb.wait()
