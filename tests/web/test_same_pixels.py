"""The page's WebGL renderer draws what Mesa draws for the same calls: one frame of one module of
each family, drawn by the page in headless Chromium (SwiftShader) and by the native velta2
(VELTA_LINUX_VELTA2) on Mesa's llvmpipe, agree within PICTURE_DISTANCE.

Both start from an empty store with one module enabled, one frame per 31 ms step (-stepped,
?stepped=1) so that frame FRAME is the same step in both, at 640 x 480, with the wall clock
stopped at the same second (the random seed of modules 9, 19 and 20 comes from it): libfaketime
for velta2, a fixed Date.now for the page. velta2's frames are recorded with apitrace and frame
FRAME is replayed into a picture by apitrace on Mesa (tools/count_swaps.c, preloaded, counts the
frames, so the trace ends just past frame FRAME); the page stops after FRAME frames and its
picture is taken. The same-calls test has shown that both cores make the same calls frame by
frame, so any difference is the renderers'.
"""
import glob
import os
import signal
import subprocess
import sys
import time

import pytest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from harness.browser import Browser  # noqa: E402
from harness.display import picture_distance, start_xvfb  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
PAGE_DIR = os.environ.get("VELTA_PAGE_DIR", "")
VELTA2 = os.environ.get("VELTA_LINUX_VELTA2", "")
# One module of each family: track, grid, spiral, drifting, curve orbit, track ring, fixed
# ring, flipping ring.
MODULES = [1, 4, 8, 9, 11, 12, 17, 20]
FRAME = 6
WIDTH, HEIGHT = 640, 480
FAKE_SECONDS = 1704067200  # 2024-01-01 00:00:00 UTC
# Mean absolute grey difference of the two pictures reduced to 80 x 60, out of 255. The two
# software renderers rasterise edges and filter the texture a little differently; a shape
# misplaced by a few pixels or a wrong texture coordinate gives several times this.
PICTURE_DISTANCE = 1.0


def presented(log):
    """The frames velta2 has presented, from tools/count_swaps.c's log (0 before the first)."""
    try:
        with open(log) as f:
            return int(f.read().split()[0])
    except (FileNotFoundError, IndexError):
        return 0


@pytest.fixture(scope="module")
def native_frames(tmp_path_factory):
    """velta2's frame FRAME of each module, as pictures replayed by apitrace on Mesa."""
    assert os.access(VELTA2, os.X_OK), f"no velta2 at {VELTA2!r}"
    (faketime,) = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
    work = tmp_path_factory.mktemp("native")
    counter = str(work / "libcount_swaps.so")
    subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", counter,
                    os.path.join(ROOT, "tools", "count_swaps.c"), "-ldl"], check=True, timeout=120)
    xvfb, display = start_xvfb(WIDTH, HEIGHT)
    env = dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME=str(work / "config"))
    pictures = {}
    try:
        for module in MODULES:
            trace = str(work / f"m{module}.trace")
            log = trace + ".swaps"
            run_env = dict(env, LD_PRELOAD=f"{counter}:{faketime}", VELTA_SWAP_LOG=log,
                           FAKETIME="2024-01-01 00:00:00", FAKETIME_DONT_FAKE_MONOTONIC="1",
                           TZ="UTC", GALLIUM_NOOP="1")  # drawn when replayed, not when traced
            proc = subprocess.Popen(["apitrace", "trace", "-o", trace, VELTA2, "-root",
                                     "-module", str(module), "-stepped"], env=run_env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                    start_new_session=True)
            # apitrace writes each frame out at its buffer swap: once FRAME + 1 frames are
            # presented, frame FRAME is on disk, whatever the machine's speed.
            deadline = time.monotonic() + 60
            while presented(log) <= FRAME and time.monotonic() < deadline:
                time.sleep(0.02)
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait(timeout=30)
            prefix = str(work / f"m{module}-")
            subprocess.run(["apitrace", "replay", "-b", f"--snapshot-prefix={prefix}", trace],
                           env=env, check=True, capture_output=True, timeout=120)
            shots = sorted(glob.glob(prefix + "*.png"))
            assert len(shots) >= FRAME, f"module {module}: {len(shots)} frames traced"
            pictures[module] = shots[FRAME - 1]
    finally:
        xvfb.terminate()
        xvfb.wait()
    return pictures


@pytest.fixture(scope="module")
def browser():
    b = Browser(WIDTH, HEIGHT)
    # The clock stands still, and the page's animation callbacks stop once it has drawn FRAME
    # frames, so that frame stays on the canvas for the screenshot.
    b.add_script_on_load(f"Date.now = () => {FAKE_SECONDS * 1000}; "
                         "const raf = window.requestAnimationFrame.bind(window); "
                         "window.requestAnimationFrame = (step) => raf((t) => "
                         f"(window.velta && velta.frames >= {FRAME}) || step(t));")
    yield b
    b.close()


@pytest.mark.parametrize("module", MODULES)
def test_the_page_draws_the_frame_mesa_draws(native_frames, browser, module, tmp_path):
    url = "file://" + os.path.join(PAGE_DIR, "index.html") + f"?module={module}&stepped=1"
    browser.navigate(url)
    browser.evaluate("localStorage.clear()")
    browser.navigate(url)
    assert browser.wait_for(f"window.velta && velta.frames === {FRAME}")
    time.sleep(0.2)
    page = browser.screenshot(str(tmp_path / f"page{module}.png"))
    distance = picture_distance(page, native_frames[module])
    print(f"module {module}: picture distance {distance:.2f}")
    assert distance < PICTURE_DISTANCE, f"module {module}: distance {distance:.2f}"
