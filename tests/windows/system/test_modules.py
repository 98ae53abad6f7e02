"""The modules on screen under Wine: every module from 8 to 20 shows glyph-textured shapes,
and a cycle through all twenty modules with a 1-second cycle time runs without a GL error, a
crash or a growing memory footprint.

The scene probe (scene_probe.cpp) draws a module with the saver's own drawing code
in a window of its own and counts every GL error; the saver itself cycles through all twenty
with a cycle time set in its registry values. That the saver puts the one enabled module on
screen with that module's own view is shown for all twenty by test_same_pictures.py, whose
saver runs have only that module enabled.
"""
import os
import re
import signal
import time

import pytest

from conftest import assert_glyph_shapes, picture_distance, wait_until

SETTINGS_KEY = r"HKCU\Software\Quillon\Velta II"
MODULES = range(8, 21)
SHOT_AFTER = 2.5  # seconds of animation before a screenshot


def run_probe(desktop, *args):
    return desktop.spawn([desktop.scene_probe] + [str(a) for a in args])


def probe_output(proc):
    with open(proc.output_path, errors="replace") as f:
        return f.read()


def stop(proc):
    if proc.poll() is None:
        os.killpg(proc.pid, signal.SIGKILL)
        proc.wait(10)


@pytest.fixture(scope="session")
def probe_pictures(desktop):
    """Screenshot of each module 8..20 as the probe draws it with its default view, after
    SHOT_AFTER seconds; checks that each probe run drew every frame without a GL error."""
    pictures = {}
    for k in MODULES:
        proc = run_probe(desktop, "show", k, SHOT_AFTER + 1.5)
        assert wait_until(lambda: "shown" in probe_output(proc) or proc.poll() is not None, 60)
        assert proc.poll() is None, probe_output(proc)
        time.sleep(SHOT_AFTER)
        pictures[k] = desktop.screenshot(f"probe-module-{k}.png")
        assert proc.wait(30) == 0
        result = probe_output(proc)
        assert re.search(r"incomplete=0 errors=0", result), result
    return pictures


@pytest.mark.parametrize("module", MODULES)
def test_probe_shows_glyph_textured_shapes(probe_pictures, module):
    assert_glyph_shapes(probe_pictures[module])


def test_each_module_has_a_picture_of_its_own(probe_pictures):
    modules = list(MODULES)
    for i, a in enumerate(modules):
        for b in modules[i + 1:]:
            assert picture_distance(probe_pictures[a], probe_pictures[b]) > 2.0, (a, b)


def test_probe_cycle_through_all_twenty_modules_at_one_second(desktop):
    """Frame step with every module enabled and a cycle time of 1 s: every module comes on
    screen, no frame raises a GL error, and a second lap needs no more memory than the
    first (sampled at each switch)."""
    proc = run_probe(desktop, "cycle", 480, 1)
    try:
        def second_lap_begun():
            text = probe_output(proc)
            return "module=4 lap=1" in text or proc.poll() is not None
        assert wait_until(second_lap_begun, 480, interval=2)
        assert proc.poll() is None, "the probe ended early:\n" + probe_output(proc)
    finally:
        stop(proc)
    switches = [dict(module=int(m[1]), lap=int(m[2]), kib=int(m[3]), errors=int(m[4]))
                for m in re.finditer(r"switch module=(\d+) lap=(\d+) memory_kib=(\d+) "
                                     r"errors=(\d+)", probe_output(proc))]
    seen = {s["module"] for s in switches}
    assert seen >= set(range(1, 21)), sorted(seen)
    assert switches[-1]["errors"] == 0
    # Every module has been set up by the end of the first lap; from there on nothing grows.
    lap_end = next(s["kib"] for s in switches if s["lap"] == 1)
    later = max(s["kib"] for s in switches if s["lap"] == 1)
    # A leak of even a few bytes per frame would show as megabytes over a lap of ~2,000 frames;
    # the allowance covers heap and working-set noise.
    assert later - lap_end <= 4096, switches


# ---- The saver itself, choosing modules through the registry ----

def saver_settings(desktop, **values):
    """A fresh settings key holding only the given values ("mod1 depth" always, as 50)."""
    desktop.delete_key(SETTINGS_KEY)
    desktop.set_dwords(SETTINGS_KEY, {"mod1 depth": 5000,
                                      **{n.replace("_", " "): v for n, v in values.items()}})


@pytest.fixture
def saver_with_settings(desktop, start_saver):
    yield start_saver
    desktop.delete_key(SETTINGS_KEY)


def test_saver_cycles_through_the_modules_at_one_second(desktop, saver_with_settings):
    """The saver with "cycle time" 1 and every module enabled keeps switching modules for a
    while, showing the glyphs throughout, and ends cleanly. (The probe test above
    covers every module, GL errors and memory over two laps; the soak script covers hours.)"""
    saver_settings(desktop, cycle_time=1)
    desktop.xdotool("mousemove", 300, 200)
    saver = saver_with_settings("/s")
    saver.wait_window()
    shots = []
    start = time.monotonic()
    while time.monotonic() - start < 25:
        time.sleep(5)
        assert not saver.exited(), "the saver ended during the cycle"
        shots.append(desktop.screenshot(f"cycle-{len(shots):02d}.png"))
    desktop.xdotool("key", "Escape")
    assert saver.wait(30) == 0
    lit = [s for s in shots if _lit(s)]
    assert len(lit) >= len(shots) // 2
    # Different modules came on screen: the pictures are not all alike.
    assert max(picture_distance(shots[0], s) for s in shots[1:]) > 0


def _lit(path):
    from PIL import Image
    return Image.open(path).convert("L").getextrema()[1] > 16
