"""The page in a real browser: Debian's Chromium, headless with software WebGL, opening the built
page (VELTA_PAGE_DIR) from a local web server and from disk."""
import functools
import http.server
import os
import sys
import threading
import time

import pytest

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from harness.browser import Browser  # noqa: E402
from harness.display import assert_glyph_shapes, picture_distance  # noqa: E402

PAGE_DIR = os.environ.get("VELTA_PAGE_DIR", "")


@pytest.fixture(scope="module")
def server():
    assert os.path.exists(os.path.join(PAGE_DIR, "index.html")), f"no page in {PAGE_DIR!r}"

    class Quiet(http.server.SimpleHTTPRequestHandler):
        def log_message(self, *args):
            pass

    httpd = http.server.ThreadingHTTPServer(
        ("127.0.0.1", 0), functools.partial(Quiet, directory=PAGE_DIR))
    threading.Thread(target=httpd.serve_forever, daemon=True).start()
    yield f"http://127.0.0.1:{httpd.server_address[1]}"
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


def open_page(browser, url, frames=5):
    browser.console.clear()
    browser.exceptions.clear()
    browser.navigate(url)
    assert browser.wait_for(f"window.velta && velta.frames >= {frames}"), f"{url}: no frames"


def test_page_draws_the_glyph_shapes_and_moves(browser, server, tmp_path):
    open_page(browser, server + "/index.html?module=4", frames=10)
    first = browser.screenshot(str(tmp_path / "first.png"))
    time.sleep(0.5)
    second = browser.screenshot(str(tmp_path / "second.png"))
    assert_glyph_shapes(first)
    assert picture_distance(first, second) > 1, "the picture does not move"
    assert browser.evaluate("velta.module()") == 4
    assert not browser.errors()


def test_module_options_and_the_keys_that_change_module(browser, server):
    open_page(browser, server + "/index.html?modules=3,7-8&cycle=9999")
    assert browser.evaluate("velta.module()") == 3
    for code, vk, expected in [("Enter", 13, 7), ("Enter", 13, 8), ("Enter", 13, 3),
                               ("Backspace", 8, 8)]:
        browser.key(code, code, vk)
        assert browser.evaluate("velta.module()") == expected, code
    assert not browser.errors()


def test_a_steered_view_survives_a_reload(browser, server):
    open_page(browser, server + "/index.html?module=5")
    browser.evaluate("localStorage.clear()")
    depth = browser.evaluate("velta.view(0)")
    for _ in range(3):
        browser.key("PageDown", "PageDown", 34)
    browser.key("F5", "F5", 116)  # turns the view; the page keeps it from the browser
    steered = browser.evaluate("[velta.view(0), velta.view(4)]")
    assert steered[0] == pytest.approx(depth - 0.9, abs=1e-4)
    assert browser.evaluate("localStorage.getItem('mod5 depth')") == str(int(steered[0] * 100))
    open_page(browser, server + "/index.html?module=5")
    assert browser.evaluate("[velta.view(0), velta.view(4)]") == pytest.approx(steered, abs=0.011)
    assert not browser.errors()


def test_a_bad_option_or_stored_value_is_named_and_the_saver_runs(browser, server):
    browser.navigate(server + "/gallery.html")  # the page, left, would store its views
    browser.evaluate("localStorage.setItem('mod1 depth', 'deep')")
    open_page(browser, server + "/index.html?module=25&fps=1")
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
    open_page(browser, "file://" + os.path.join(PAGE_DIR, "index.html") + "?module=13&fps=1",
              frames=40)
    assert_glyph_shapes(browser.screenshot(str(tmp_path / "disk.png")))
    assert browser.wait_for("document.getElementById('fps').textContent.endsWith('fps')")
    assert not browser.errors()


def test_a_lost_context_shows_black_and_the_module_goes_on_when_it_returns(browser, server,
                                                                           tmp_path):
    open_page(browser, server + "/index.html?modules=12,14&cycle=9999")
    browser.key("Enter", "Enter", 13)
    browser.evaluate("window.loseContext = document.getElementById('canvas')"
                     ".getContext('webgl').getExtension('WEBGL_lose_context');"
                     "loseContext.loseContext(); 0")
    assert browser.wait_for("document.getElementById('canvas').getContext('webgl')"
                            ".isContextLost()")
    frames = browser.evaluate("velta.frames")
    time.sleep(0.3)
    assert browser.evaluate("velta.frames") == frames, "frames drawn without a context"
    black = browser.screenshot(str(tmp_path / "lost.png"))
    from PIL import Image
    assert Image.open(black).convert("L").getextrema()[1] < 20, "not black while lost"

    browser.evaluate("loseContext.restoreContext(); 0")
    assert browser.wait_for(f"velta.frames > {frames + 10}"), "no frames after the restore"
    assert browser.evaluate("velta.module()") == 14
    assert_glyph_shapes(browser.screenshot(str(tmp_path / "restored.png")))
    assert not browser.errors()


def test_sound_starts_at_the_first_key_with_the_tune_the_page_decodes(browser, server):
    open_page(browser, server + "/index.html?module=3&sound=1")
    assert browser.evaluate("Module.veltaVoices.context === null")  # no sound before a key
    browser.key("KeyX", "x", 88)
    assert browser.wait_for("Module.veltaVoices.buffer !== null")
    duration, rate, playing = browser.evaluate(
        "[Module.veltaVoices.buffer.duration, Module.veltaVoices.buffer.sampleRate,"
        " Module.veltaVoices.playing.length]")
    assert duration == pytest.approx(358797 / 44100) and rate == 44100 and playing == 1
    # The next voice comes 3.2 s later, in the frame step's rhythm.
    assert browser.wait_for("Module.veltaVoices.playing.length === 2", timeout=10)
    assert not browser.errors()


def frames_over(browser, seconds):
    """Animation frames and drawn frames over that many seconds, and the drawn frames' times."""
    browser.evaluate("window.rafs = 0; (function count() { rafs++; requestAnimationFrame(count); })"
                     "(); velta.times.length = 0; 0")
    before = browser.evaluate("[rafs, velta.frames]")
    time.sleep(seconds)
    rafs, frames, times = browser.evaluate("[rafs, velta.frames, velta.times]")
    return rafs - before[0], frames - before[1], times


def test_a_frame_at_every_animation_frame_shows_its_own_moment_and_stepped_keeps_31_ms(
        browser, server):
    open_page(browser, server + "/index.html?module=17", frames=10)
    rafs, frames, times = frames_over(browser, 3)
    assert rafs > 20 and frames >= rafs - 3, (rafs, frames)
    # The moment shown keeps a fixed distance behind the frame's own time.
    lags = [now - shown for now, shown in times]
    assert max(lags) - min(lags) <= 2, (min(lags), max(lags))

    open_page(browser, server + "/index.html?module=17&stepped=1", frames=10)
    rafs, frames, times = frames_over(browser, 3)
    assert 10 <= frames <= 3000 / 31 + 1, (rafs, frames)
    # Each frame shows the next step, at least 31 ms after the one before.
    shown = [s for _, s in times]
    assert all(b - a > 31 - 1e-6 for a, b in zip(shown, shown[1:])), shown
    assert not browser.errors()
