"""Modules 1 to 7 on screen in the real saver, and the fade from one module to the next.

The module choice and the cycle time go through the saver's registry values. A build whose
settings loader does not read the registry yet shows its built-in default module instead;
the tests notice that (the loader writes every value back) and are skipped."""
import os

import pytest
from PIL import ImageGrab

from conftest import wait_until

SETTINGS_KEY = r"HKEY_CURRENT_USER\Software\Quillon\Velta II"
GLYPH_COLOURS = [(255, 255, 255), (40, 200, 70), (255, 140, 0), (110, 190, 255), (225, 30, 30),
                 (35, 60, 215)]
MODULES = ["Shechen", "Jokhang", "Mindroling", "Tsurphu", "Palpung", "Kathok", "Samdrup"]


def configure(desktop, enabled, cycle_time):
    """Only the modules in enabled, with their built-in views, the given cycle time, no sound."""
    values = {"mod1 depth": 5000, "cycle time": cycle_time, "enable sound": 0,
              "checked_for_velta_params": 1}
    values.update({f"mod{k} active": int(k in enabled) for k in range(1, 21)})
    lines = ["Windows Registry Editor Version 5.00", "", f"[-{SETTINGS_KEY}]", "",
             f"[{SETTINGS_KEY}]"]
    lines += [f'"{name}"=dword:{value:08x}' for name, value in values.items()]
    path = os.path.join(desktop.workdir, "scenes.reg")
    with open(path, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    code, text = desktop.reg("import", "Z:" + path.replace("/", "\\"))
    assert code == 0, text


def grab(desktop):
    return ImageGrab.grab(xdisplay=desktop.env["DISPLAY"]).convert("RGB")


def mean_level(image):
    return sum(image.convert("L").getdata()) / (image.width * image.height)


def picture_shares(image):
    """(share of black pixels, share of lit pixels, share of lit pixels in a glyph colour)"""
    pixels = list(image.getdata())
    black = sum(1 for p in pixels if max(p) < 12)
    lit = [p for p in pixels if max(p) > 60]
    in_colour = sum(1 for p in lit if min(sum((a - b) ** 2 for a, b in zip(p, c))
                                          for c in GLYPH_COLOURS) < 45 ** 2)
    return black / len(pixels), len(lit) / len(pixels), in_colour / max(1, len(lit))


def start_on(desktop, start_saver, enabled, cycle_time):
    configure(desktop, enabled, cycle_time)
    desktop.xdotool("mousemove", 320, 240)
    saver = start_saver("/s")
    saver.wait_window()
    # The first frames follow the window after a while that grows on a busy machine.
    assert wait_until(lambda: picture_shares(grab(desktop))[1] > 0.005, 30), "nothing drawn"
    # Every settings load writes all values back; a saver that did not is not reading them.
    assert desktop.has_value(SETTINGS_KEY, "mod1 speed"), "the saver did not read its settings"
    return saver


@pytest.mark.parametrize("module", range(1, 8), ids=MODULES)
def test_each_module_shows_glyph_shapes_on_black(desktop, start_saver, module):
    saver = start_on(desktop, start_saver, {module}, 15)
    shot = grab(desktop)
    shot.save(os.path.join(desktop.workdir, f"module{module}.png"))
    black, lit, in_colour = picture_shares(shot)
    assert black > 0.3, f"background not black ({black:.0%} black)"
    assert lit > 0.005, f"almost nothing drawn ({lit:.2%} lit)"
    assert in_colour > 0.8, f"only {in_colour:.0%} of the drawing is in the glyph colours"
    # The picture moves.
    assert wait_until(lambda: list(grab(desktop).getdata()) != list(shot.getdata()), 10)
    assert not saver.exited()


def test_two_modules_fade_to_black_and_back_with_the_other_module(desktop, start_saver):
    saver = start_on(desktop, start_saver, {1, 3}, 1)
    before = grab(desktop)
    full = mean_level(before)
    assert full > 1.0, "nothing on screen before the fade"
    levels = []

    def sample():
        levels.append(mean_level(grab(desktop)))
        return levels[-1]

    assert wait_until(lambda: sample() < 0.02, 30, 0.05), f"never black: {levels}"
    assert wait_until(lambda: sample() > 0.5 * full, 30, 0.05), f"never back: {levels}"
    # Somewhere on the way down the picture was neither full nor black: a fade, not a cut.
    assert any(0.05 * full < v < 0.6 * full for v in levels), levels
    after = grab(desktop)
    assert list(after.getdata()) != list(before.getdata())
    assert not saver.exited()
