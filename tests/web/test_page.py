"""The page in real browsers, opening the built page (VELTA_PAGE_DIR) from a local web server and
from disk: Debian's Chromium, headless with software WebGL, for everything; Firefox ESR and
WebKitGTK on Xvfb with Mesa (tests/harness/webdriver.py) for what an engine can break: drawing,
the module options, keys, a lost context, both pacings, and no page error.

Rates and durations are measured on the page's own clock: the times it reports for its frames,
and animation frames counted in the page."""
import os
import sys

import pytest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from harness.browser import Browser, serve_folder  # noqa: E402
from harness.display import assert_glyph_shapes, picture_distance  # noqa: E402
from harness.webdriver import start_engine  # noqa: E402

PAGE_DIR = os.environ.get("VELTA_PAGE_DIR", "")
STEP_MS = 31  # the core's step
# Steps due at one frame beyond which the steps start again from that frame (smooth_frames.h).
MAX_STEPS_PER_FRAME = 8


@pytest.fixture(scope="module")
def server():
    assert os.path.exists(os.path.join(PAGE_DIR, "index.html")), f"no page in {PAGE_DIR!r}"
    httpd, address = serve_folder(PAGE_DIR)
    yield address
    httpd.shutdown()


@pytest.fixture(scope="module")
def browser(server):
    b = Browser(640, 480)
    yield b
    b.close()
    # Across every test: the page asked only its own origin (and the script's embedded data).
    outside = [u for u in b.requests
               if not u.startswith((server + "/", "file://", "data:", "about:"))]
    assert not outside, f"requests left the page's origin: {outside}"


@pytest.fixture(scope="module", params=["chromium", "firefox", "webkit"])
def engine(request):
    """Each engine in turn, started once; Chromium is the browser above. (ctest runs each
    engine's tests as an entry of its own, chosen by name with -k.)"""
    if request.param == "chromium":
        yield request.getfixturevalue("browser")
        return
    b = start_engine(request.param)
    yield b
    b.close()


def test_page_draws_the_glyph_shapes_and_moves(engine, server, tmp_path):
    engine.open_page(server + "/index.html?module=4", frames=10)
    shown = engine.evaluate("velta.times[velta.times.length - 1][1]")
    first = engine.screenshot(str(tmp_path / "first.png"))
    # Half a second of the animation later, on the moments the page's frames show.
    assert engine.wait_for(f"velta.times[velta.times.length - 1][1] > {shown} + 500")
    second = engine.screenshot(str(tmp_path / "second.png"))
    assert_glyph_shapes(first)
    assert picture_distance(first, second) > 1, "the picture does not move"
    assert engine.evaluate("velta.module()") == 4
    assert engine.evaluate("document.getElementById('line').hidden")
    assert not engine.errors()


def test_module_options_and_the_keys_that_change_module(engine, server):
    engine.open_page(server + "/index.html?modules=3,7-8&cycle=9999")
    assert engine.evaluate("velta.module()") == 3
    for code, expected in [("Enter", 7), ("Enter", 8), ("Enter", 3), ("Backspace", 8)]:
        engine.key(code)
        assert engine.evaluate("velta.module()") == expected, code
    assert not engine.errors()


def test_a_steered_view_survives_a_reload(browser, server):
    browser.open_page(server + "/index.html?module=5")
    browser.evaluate("localStorage.clear()")
    depth = browser.evaluate("velta.view(0)")
    for _ in range(3):
        browser.key("PageDown")
    browser.key("F5")  # turns the view; the page keeps it from the browser
    steered = browser.evaluate("[velta.view(0), velta.view(4)]")
    assert steered[0] == pytest.approx(depth - 0.9, abs=1e-4)
    assert browser.evaluate("localStorage.getItem('mod5 depth')") == str(int(steered[0] * 100))
    browser.open_page(server + "/index.html?module=5")
    assert browser.evaluate("[velta.view(0), velta.view(4)]") == pytest.approx(steered, abs=0.011)
    # Another tab steers module 5's depth and module 7's turn (it writes the same store): this
    # page, which steered nothing since, saves as it is hidden and leaves both as they are; then
    # it steers module 5's turn and writes that value alone.
    browser.evaluate("localStorage.setItem('mod5 depth', '4321');"
                     " localStorage.setItem('mod7 yrot', '1234'); Module._web_save(); 0")
    browser.key("F5")
    assert browser.evaluate("[localStorage.getItem('mod5 depth'), localStorage.getItem('mod7 yrot'),"
                            " localStorage.getItem('mod5 yrot')]") == [
        "4321", "1234", str(round(steered[1] * 100 + 150))]
    assert not browser.errors()


def test_a_bad_option_or_stored_value_is_named_and_the_saver_runs(browser, server):
    browser.navigate(server + "/gallery.html")  # the page, left, would store its views
    browser.evaluate("localStorage.setItem('mod1 depth', 'deep')")
    browser.open_page(server + "/index.html?module=25&fps=1")
    line = browser.evaluate("document.getElementById('line').textContent")
    assert "module: 25" in line and browser.evaluate("!document.getElementById('line').hidden")
    warnings = [text for level, text in browser.console if level == "warning"]
    assert any("module: 25" in w for w in warnings), warnings
    assert sum("mod1 depth" in w for w in warnings) == 1, warnings
    # The defaults: every module, the first one with its built-in view, no frame-rate corner.
    assert browser.evaluate("velta.module()") == 1
    assert browser.evaluate("velta.view(0)") == pytest.approx(50)
    assert browser.evaluate("document.getElementById('fps').hidden")
    assert not browser.errors()


def test_the_page_runs_from_disk(browser, tmp_path):
    browser.open_page("file://" + os.path.join(PAGE_DIR, "index.html") + "?module=13&fps=1",
              frames=40)
    assert_glyph_shapes(browser.screenshot(str(tmp_path / "disk.png")))
    assert browser.wait_for("document.getElementById('fps').textContent.endsWith('fps')")
    assert not browser.errors()


def test_a_lost_context_shows_black_and_the_module_goes_on_when_it_returns(engine, server,
                                                                           tmp_path):
    engine.open_page(server + "/index.html?modules=12,14&cycle=9999")
    engine.key("Enter")
    engine.evaluate("window.loseContext = document.getElementById('canvas')"
                    ".getContext('webgl').getExtension('WEBGL_lose_context');"
                    "loseContext.loseContext(); 0")
    assert engine.wait_for("document.getElementById('canvas').getContext('webgl')"
                           ".isContextLost()")
    # Ten animation frames, each a chance to draw, and none taken.
    assert engine.frames_drawn_in(10) == 0, "frames drawn without a context"
    black = engine.screenshot(str(tmp_path / "lost.png"))
    from PIL import Image
    assert Image.open(black).convert("L").getextrema()[1] < 20, "not black while lost"

    frames = engine.evaluate("loseContext.restoreContext(); velta.frames")
    assert engine.wait_for(f"velta.frames > {frames + 10}"), "no frames after the restore"
    assert engine.evaluate("velta.module()") == 14
    assert_glyph_shapes(engine.screenshot(str(tmp_path / "restored.png")))
    assert not engine.errors()


def test_sound_starts_at_the_first_key_with_the_tune_the_page_decodes(browser, server):
    browser.open_page(server + "/index.html?module=3")  # without sound a key plays nothing
    browser.key("KeyX", "x")
    assert browser.evaluate("Module.veltaVoices.context === null")
    browser.open_page(server + "/index.html?module=3&sound=1")
    assert browser.evaluate("Module.veltaVoices.context === null")  # no sound before a key
    browser.key("KeyX", "x")
    assert browser.wait_for("Module.veltaVoices.buffer !== null")
    duration, rate = browser.evaluate(
        "[Module.veltaVoices.buffer.duration, Module.veltaVoices.buffer.sampleRate]")
    assert duration == pytest.approx(358797 / 44100) and rate == 44100
    # The tune starts on voice 0, and the next copy on voice 1 later, in the frame step's rhythm.
    assert browser.wait_for("Module.veltaVoices.playing.length === 2")
    ends = browser.evaluate("Module.veltaVoices.ends")
    assert 0 < ends[0] < ends[1] and ends[2] == 0, ends
    assert not browser.errors()


def test_a_frame_at_every_animation_frame_shows_its_own_moment_and_stepped_keeps_31_ms(
        engine, server):
    # Frames counted against the animation frames of the same stretch, both in the page: the
    # page's frame comes before the counter in each animation frame, so the counts are equal.
    engine.open_page(server + "/index.html?module=17", frames=10)
    rafs, frames, times = engine.evaluate(
        "new Promise(function (done) { const drawn = velta.frames; velta.times.length = 0;"
        " let rafs = 0; requestAnimationFrame(function count() { rafs++;"
        " if (velta.frames - drawn < 40) requestAnimationFrame(count);"
        " else done([rafs, velta.frames - drawn, velta.times]); }); })")
    assert frames == rafs, (rafs, frames)
    # The moment shown keeps a fixed distance behind the frame's own time, up to the float
    # rounding of the fraction between steps, unless the steps started again after a stall.
    for (now0, shown0), (now1, shown1) in zip(times, times[1:]):
        if now1 - now0 < MAX_STEPS_PER_FRAME * STEP_MS:
            assert (now1 - shown1) - (now0 - shown0) == pytest.approx(0, abs=1e-3), times

    engine.open_page(server + "/index.html?module=17&stepped=1", frames=10)
    engine.evaluate("velta.times.length = 0")
    times = engine.wait_for("velta.times.length >= 40 && velta.times")
    # Each frame shows the next step, at least 31 ms after the one before, and never a step
    # more than 31 ms old: so n frames span at least (n - 2) steps of their own times.
    shown = [s for _, s in times]
    assert all(b - a > STEP_MS - 1e-6 for a, b in zip(shown, shown[1:])), shown
    assert all(0 <= now - s < STEP_MS for now, s in times), times
    assert len(times) <= (times[-1][0] - times[0][0]) / STEP_MS + 2, times
    assert not engine.errors()
