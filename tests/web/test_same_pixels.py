"""The page's WebGL renderer draws what Mesa draws for the same calls: one frame of one module of
each family, drawn by the page in headless Chromium (SwiftShader) and by the native velta2
(VELTA_LINUX_VELTA2) on Mesa's llvmpipe, agree within PICTURE_DISTANCE.

Both start from an empty store with one module enabled, one frame per 31 ms step (-stepped,
?stepped=1) so that frame FRAME is the same step in both, at 640 x 480, with the wall clock
stopped at the same second (the random seed of modules 9, 19 and 20 comes from it): libfaketime
for velta2, a fixed Date.now for the page. velta2's first FRAME + 1 frames are recorded with
apitrace (the program stops itself after them) and frame FRAME is replayed into a picture by
apitrace on Mesa; the page stops after FRAME frames and its picture is taken. The same-calls test has shown that both cores make the same calls frame by
frame, so any difference is the renderers'.
"""
import glob
import os
import subprocess
import sys
import time

import pytest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from harness.browser import Browser  # noqa: E402
from harness.display import picture_distance, start_xvfb  # noqa: E402

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


ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The core's least time from one frame's start to the next one's, 31 ms on a clock of whole
# milliseconds: more than 30 ms in fact.
FRAME_GAP_NS = 30_000_000


def traced_frames(args, env, log, work):
    """Runs velta2 under apitrace until it has presented FRAME + 1 frames: tools/count_swaps.c,
    preloaded, counts them and sends the program SIGTERM at the last one, so that the trace holds
    those frames and no more however fast the machine draws. Returns the swap log's figures:
    frames, and the first, last and second swap's time (ns)."""
    counter = os.path.join(work, "libcount_swaps.so")
    if not os.path.exists(counter):
        subprocess.run(["cc", "-shared", "-fPIC", "-O2", "-o", counter,
                        os.path.join(ROOT, "tools", "count_swaps.c"), "-ldl"], check=True,
                       timeout=120)
    env = dict(env, VELTA_SWAP_LOG=log, VELTA_SWAP_LIMIT=str(FRAME + 1),
               LD_PRELOAD=f"{counter}:{env['LD_PRELOAD']}")
    # A safety net only: traced, velta2 draws its frames in a few seconds.
    subprocess.run(["apitrace", "trace"] + args, env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=120, check=True)
    with open(log) as f:
        return [int(n) for n in f.read().split()]


@pytest.fixture(scope="module")
def native_frames(tmp_path_factory):
    """velta2's frame FRAME of each module, as pictures replayed by apitrace on Mesa."""
    assert os.access(VELTA2, os.X_OK), f"no velta2 at {VELTA2!r}"
    (faketime,) = glob.glob("/usr/lib/*/faketime/libfaketime.so.1")
    work = tmp_path_factory.mktemp("native")
    xvfb, display = start_xvfb(WIDTH, HEIGHT)
    env = dict(os.environ, DISPLAY=display, XDG_CONFIG_HOME=str(work / "config"))
    pictures = {}
    try:
        for module in MODULES:
            trace = str(work / f"m{module}.trace")
            run_env = dict(env, LD_PRELOAD=faketime, FAKETIME="2024-01-01 00:00:00",
                           FAKETIME_DONT_FAKE_MONOTONIC="1", TZ="UTC",
                           GALLIUM_NOOP="1")  # drawn when replayed, not when traced
            frames, _, last, second = traced_frames(
                ["-o", trace, VELTA2, "-root", "-module", str(module), "-stepped"], run_env,
                trace + ".swaps", str(work))
            assert frames == FRAME + 1, f"module {module}: {frames} frames traced"
            # The stopped wall clock must not stop velta2's sleep between frames. Its own swap
            # times: frame 2's swap comes before frame 3 starts, and frames 3 to FRAME + 1 start
            # FRAME - 2 gaps apart, so at least that much passes from swap 2 to the last swap.
            assert last - second > (FRAME - 2) * FRAME_GAP_NS, \
                f"module {module}: frames 2 to {frames} in {(last - second) / 1e6:.0f} ms"
            prefix = str(work / f"m{module}-")
            subprocess.run(["apitrace", "replay", "-b", f"--snapshot-prefix={prefix}", trace],
                           env=env, check=True, capture_output=True, timeout=120)
            shots = sorted(glob.glob(prefix + "*.png"))
            assert len(shots) >= FRAME, f"module {module}: {len(shots)} frames replayed"
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
