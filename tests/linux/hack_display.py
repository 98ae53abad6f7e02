"""What the package and XScreenSaver tests of the Linux program share: the build tree they take
velta2 from, a virtual display of their own, and the harness's waiting and glyph checks (without
this folder's conftest, whose command-line options these tests do not take)."""
import contextlib
import os
import pathlib
import subprocess
import sys

REPOSITORY = pathlib.Path(__file__).resolve().parents[2]
# ctest names the build tree; by hand it is the Makefile's.
BUILD = pathlib.Path(os.environ.get("VELTA_LINUX_BUILD", REPOSITORY / "build-linux"))

sys.path.insert(0, str(REPOSITORY / "tests"))
from harness.display import assert_glyph_shapes, start_xvfb, wait_until  # noqa: E402,F401


@contextlib.contextmanager
def virtual_display(width=640, height=480):
    """An Xvfb display on a free number, ended on leaving; yields its name, ":N"."""
    xvfb, name = start_xvfb(width, height)
    try:
        yield name
    finally:
        xvfb.terminate()
        try:
            xvfb.wait(10)
        except subprocess.TimeoutExpired:
            xvfb.kill()
            xvfb.wait()
