"""The page at home in the desktop hosts: the packages `make web` writes checked against what
Lively Wallpaper and Wallpaper Engine read from them; each package's own files served with no
query string to headless Chromium, where the host's calls are made at the load event with the
host's own value types and the page's module, seconds, pause and frame cap are checked (rates on
the page's own clock); and the served page loaded once, its server stopped, and loaded again."""
import filecmp
import json
import os
import sys
import zipfile

import pytest
from PIL import Image

sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
from harness.browser import Browser, serve_folder  # noqa: E402
from harness.display import assert_glyph_shapes  # noqa: E402

PAGE_DIR = os.environ.get("VELTA_PAGE_DIR", "")
LIVELY_ZIP = os.path.join(os.path.dirname(PAGE_DIR), "velta2-lively.zip")
ENGINE_DIR = os.path.join(os.path.dirname(PAGE_DIR), "velta2-wallpaper-engine")
PAGE_FILES = ["index.html", "velta2.js", "manifest.webmanifest", "velta2-worker.js"]


def read_json(*path):
    with open(os.path.join(*path)) as f:
        return json.load(f)


@pytest.fixture(scope="module")
def lively(tmp_path_factory):
    """The Lively package unpacked, as Lively unpacks a dropped zip."""
    folder = tmp_path_factory.mktemp("lively")
    with zipfile.ZipFile(LIVELY_ZIP) as z:
        z.extractall(folder)
    return str(folder)


@pytest.fixture(scope="module")
def browser():
    b = Browser(640, 480)
    yield b
    b.close()


def host_page(browser, folder, calls):
    """Serves folder and opens its index.html with no query; the script calls runs in the page
    at its load event, as the hosts make their first calls. Returns the server."""
    httpd, address = serve_folder(folder)
    browser.add_script_on_load(f"if (location.origin === {json.dumps(address)})"
                               f" addEventListener('load', function () {{ {calls} }});")
    browser.open_page(address + "/index.html")
    return httpd


def assert_pause_stops_frames(browser, pause, resume, sound_state=None):
    """No frame in ten animation frames after the call pause, one in each after resume; the
    page's sound, if started, suspended and running again."""
    for call, frames, state in [(pause, 0, "suspended"), (resume, 10, "running")]:
        browser.evaluate(call + "; 0")
        assert browser.frames_drawn_in(10) == frames, call
        assert not sound_state or browser.wait_for(f"{sound_state} === '{state}'"), call


def test_the_packages_describe_the_page_and_its_three_settings(lively):
    info = read_json(lively, "LivelyInfo.json")
    assert info["Type"] == 1 and info["Title"] and info["Desc"] and info["Author"], info
    assert "--pause-event" in info["Arguments"].split()
    properties = read_json(lively, "LivelyProperties.json")
    project = read_json(ENGINE_DIR, "project.json")
    assert project["type"] == "web" and project["title"], project
    combo = project["general"]["properties"]
    for folder, named in [(lively, [info["FileName"], info["Thumbnail"], info["Preview"]]),
                          (ENGINE_DIR, [project["file"], project["preview"]])]:
        assert all(os.path.isfile(os.path.join(folder, name)) for name in named), named
        for name in PAGE_FILES:
            assert filecmp.cmp(os.path.join(folder, name), os.path.join(PAGE_DIR, name), False)
    # The same three settings, their defaults the page's own.
    module, cycle, sound = (properties[n] for n in ("module", "cycle", "sound"))
    assert module["type"] == "dropdown" and len(module["items"]) == 21 and module["value"] == 0
    assert combo["module"]["type"] == "combo" and combo["module"]["value"] == 0
    assert [o["value"] for o in combo["module"]["options"]] == list(range(21))
    for slider in (cycle, combo["cycle"]):
        assert slider["type"] == "slider" and slider["value"] == 15
        assert 1 <= slider["min"] <= slider["value"] <= slider["max"] <= 9999, slider
    assert sound["type"] == "checkbox" and combo["sound"]["type"] == "bool"
    assert sound["value"] is False and combo["sound"]["value"] is False
    # The installed app: full screen, its start page and icons of the sizes they say.
    manifest = read_json(PAGE_DIR, "manifest.webmanifest")
    assert manifest["name"] == "Velta II" and manifest["display"] == "fullscreen"
    assert os.path.isfile(os.path.join(PAGE_DIR, manifest["start_url"]))
    sizes = {icon["sizes"]: Image.open(os.path.join(PAGE_DIR, icon["src"])).size
             for icon in manifest["icons"]}
    assert sizes == {"192x192": (192, 192), "512x512": (512, 512)}


def test_lively_settings_and_its_pause_reach_the_page(browser, lively):
    # Lively's types: a dropdown's index, a slider's number, a checkbox's boolean.
    httpd = host_page(browser, lively, "livelyPropertyListener('module', 7);"
                      " livelyPropertyListener('cycle', 42); livelyPropertyListener('sound', true);")
    try:
        assert browser.evaluate("[velta.module(), velta.cycle(), velta.sound()]") == [7, 42, True]
        browser.key("KeyX", "x")  # lets the tune start
        browser.evaluate("livelyPropertyListener('module', 3); livelyPropertyListener('cycle', 0);"
                         " livelyPropertyListener('sound', false); 0")
        assert browser.evaluate("[velta.module(), velta.cycle(), velta.sound()]") == [3, 42, False]
        assert "bad value for cycle: 0" in browser.evaluate("document.getElementById('line')"
                                                            ".textContent")
        assert_pause_stops_frames(browser, "livelyWallpaperPlaybackChanged('{\"IsPaused\":true}')",
                                  "livelyWallpaperPlaybackChanged('{\"IsPaused\":false}')",
                                  "Module.veltaVoices.context.state")
        assert not browser.errors()
    finally:
        httpd.shutdown()


def test_wallpaper_engine_settings_frame_cap_and_pause_reach_the_page(browser):
    # Every property at load, with the project's own value types, then only what changed.
    first = {name: {"value": {"module": 12, "cycle": 30}.get(name, p["value"])}
             for name, p in read_json(ENGINE_DIR, "project.json")["general"]["properties"].items()}
    httpd = host_page(browser, ENGINE_DIR,
                      f"wallpaperPropertyListener.applyUserProperties({json.dumps(first)});"
                      " wallpaperPropertyListener.applyGeneralProperties({fps: 10});")
    try:
        browser.evaluate("wallpaperPropertyListener.applyUserProperties({cycle: {value: 20}}); 0")
        assert browser.evaluate("[velta.module(), velta.cycle(), velta.sound()]") == [12, 20, False]
        # The cap of 10 frames a second on the frames' own times: a frame may come a quarter of
        # the cap's 100 ms early, and one after a late frame up to a whole interval early, so
        # frame j of a stretch comes at least (j - 1.25) intervals after its first.
        browser.evaluate("velta.times.length = 0")
        now = [t[0] for t in browser.wait_for("velta.times.length >= 12 && velta.times")]
        assert all(t - now[0] >= (j - 1.25) * 100 for j, t in enumerate(now)), now
        browser.evaluate("wallpaperPropertyListener.applyGeneralProperties({fps: 0}); 0")
        assert browser.frames_drawn_in(10) == 10
        assert_pause_stops_frames(browser, "wallpaperPropertyListener.setPaused(true)",
                                  "wallpaperPropertyListener.setPaused(false)")
        assert not browser.errors()
    finally:
        httpd.shutdown()


def test_a_page_served_once_draws_with_its_server_gone(browser, tmp_path):
    httpd, address = serve_folder(PAGE_DIR)
    browser.open_page(address + "/index.html?module=9")
    assert browser.evaluate("navigator.serviceWorker.ready.then(function (r) { return !!r.active; })")
    httpd.shutdown()
    httpd.server_close()
    browser.open_page(address + "/index.html?module=13")
    assert browser.evaluate("velta.module()") == 13
    assert_glyph_shapes(browser.screenshot(str(tmp_path / "offline.png")))
    assert not browser.errors()
