"""The settings dialog, the Control Menu and the About box at high DPI: every caption fits its
control, every control lies inside its dialog, the dialog on the screen, the preview's OpenGL
viewport covers its panel and the About icon is drawn at the DPI's size. One screen of a size
that comes with each DPI, one saver start for all three dialogs."""
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

import pytest

from conftest import DESKTOP_KEY, Desktop, wait_until

DIALOG_CLASS = "#32770"
SETTINGS, CONTROL_MENU, ABOUT = "Velta II Settings", "Control Menu", "About Velta II"
TEMPLATES = {SETTINGS: 2003, CONTROL_MENU: 105, ABOUT: 100}
SHOT_NAMES = {SETTINGS: "settings-dialog", CONTROL_MENU: "control-menu", ABOUT: "about-box"}
IDOK, IDCANCEL, ABOUT_BUTTON, PANEL, FIRST_PREVIEW_BUTTON = 1, 2, 16, 1115, 1051
SS_ICON, SS_TYPEMASK, BS_GROUPBOX, BS_TYPEMASK = 0x3, 0x1F, 0x7, 0xF

SCREENS = {96: (1024, 768), 144: (1920, 1080), 192: (2560, 1440)}


@pytest.fixture(scope="module", params=[96, 144, 192], ids=lambda dpi: f"{dpi}dpi")
def desktop(request, pytestconfig):
    dpi = request.param
    workdir = tempfile.mkdtemp(prefix=f"velta-dpi{dpi}-")
    d = Desktop(pytestconfig, workdir, *SCREENS[dpi])
    d.start()
    try:
        d.set_dwords(DESKTOP_KEY, {"LogPixels": dpi})
        d.start_server()
        d.dpi = dpi
        yield d
    finally:
        # The prefix is shared with every other system test, which expects Wine's default.
        d.reg("delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
        d.stop()
        shutil.rmtree(workdir, ignore_errors=True)


def inside(inner, outer):
    """Whether rect inner (x, y, w, h) lies within rect outer."""
    x, y, w, h = inner
    return (x >= outer[0] and y >= outer[1] and x + w <= outer[0] + outer[2] and
            y + h <= outer[1] + outer[3])


def overlap(a, b):
    """Whether rects a and b overlap by more than the one pixel that rounding dialog units can
    give two controls laid edge to edge (the stacked preview buttons then share a frame line)."""
    return (a[0] + 1 < b[0] + b[2] and b[0] + 1 < a[0] + a[2] and a[1] + 1 < b[1] + b[3] and
            b[1] + 1 < a[1] + a[3])


def shortfalls(dialog, controls):
    """Everything of one dialog that does not fit, as readable lines."""
    d, caption = dialog, dialog["caption"]
    out = []
    if (d["cw"], d["ch"]) != (d["expect_cw"], d["expect_ch"]):
        out.append(f"{caption}: measured with another font than the dialog's ({d['face']})")
    if not inside((d["x"], d["y"], d["w"], d["h"]), (d["mx"], d["my"], d["mw"], d["mh"])):
        out.append(f"{caption}: dialog {d['x']},{d['y']} {d['w']}x{d['h']} off the screen")
    client = (d["cx"], d["cy"], d["cw"], d["ch"])
    # Group boxes hold other controls; everything else has a place of its own.
    placed = [c for c in controls
              if not (c["class"] == "Button" and c["style"] & BS_TYPEMASK == BS_GROUPBOX)]
    for c in controls:
        name = f"{caption} control {c['id']} ({c['class']}) at {c['x']},{c['y']}"
        rect = (c["x"], c["y"], c["w"], c["h"])
        if not inside(rect, client):
            out.append(f"{name}: outside the dialog's client area")
        if c["need_w"] > c["cw"] or c["need_h"] > c["ch"]:
            out.append(f"{name}: caption needs {c['need_w']}x{c['need_h']}, "
                       f"has {c['cw']}x{c['ch']}")
        if c in placed and c["need_w"] and c["class"] in ("Static", "Button"):
            out += [f"{name}: overlaps control {o['id']} ({o['class']}) at {o['x']},{o['y']}"
                    for o in placed
                    if o is not c and overlap(rect, (o["x"], o["y"], o["w"], o["h"]))]
    return out


def viewports(desktop, trace):
    """The sizes of every viewport the program set (apitrace's own reconstructed calls are
    marked "fake" and left out)."""
    dump = subprocess.run(["apitrace", "dump", "--color=never", "--grep=^glViewport$", trace],
                          env=desktop.env, capture_output=True, text=True, timeout=300,
                          check=True).stdout
    return {(int(m[1]), int(m[2])) for m in re.finditer(
        r"glViewport\(x = 0, y = 0, width = (\d+), height = (\d+)\)$", dump, re.M)}


def shoot(desktop, dialog):
    """With VELTA_DIALOG_SHOTS set to a folder, keeps a picture of the dialog's client area
    there (the 144 dpi ones are in docs/)."""
    folder = os.environ.get("VELTA_DIALOG_SHOTS")
    if not folder:
        return
    from PIL import Image
    d = dialog
    Image.open(desktop.screenshot("screen.png")).crop(
        (d["cx"], d["cy"], d["cx"] + d["cw"], d["cy"] + d["ch"])).save(
        os.path.join(folder, f"{SHOT_NAMES[d['caption']]}-{desktop.dpi}dpi.png"))


def measure(desktop, caption, problems):
    """The dialog's row and its controls' rows, as `wintool layout` prints them; what does not
    fit goes into problems."""
    code, rows = desktop.wintool("layout", caption, desktop.scr, TEMPLATES[caption])
    assert code == 0 and rows, f"no {caption!r} dialog to measure"
    dialog = {k: v if k == "face" else int(v) for k, v in rows[0].items()}
    dialog["caption"] = caption
    controls = [{k: v if k == "class" else int(v) for k, v in r.items()} for r in rows[1:]]
    problems += shortfalls(dialog, controls)
    shoot(desktop, dialog)
    return dialog, controls


def close(desktop, dialog, button, proc):
    """Clicks the button; a click that fails says why, with what the program said."""
    try:
        desktop.click(dialog["hwnd"], button)
    except AssertionError as e:
        with open(os.path.join(desktop.workdir, "trace-output.txt"), errors="replace") as f:
            said = f.read()[-3000:]
        ended = "runs" if proc.poll() is None else f"ended with {proc.returncode}"
        raise AssertionError(f"{e} in {dialog['caption']!r}; the program {ended}, "
                             f"saying:\n{said}") from e
    assert wait_until(lambda: not desktop.find_window(DIALOG_CLASS, dialog["caption"]), 10)


def test_dialogs_fit_their_texts_and_the_screen(desktop):
    trace = os.path.join(desktop.workdir, "dialogs.trace")
    with open(os.path.join(desktop.workdir, "trace-output.txt"), "w") as out:
        proc = subprocess.Popen(["apitrace", "trace", "-o", trace, "wine", desktop.scr, "/c"],
                                env=desktop.env, stdout=out, stderr=subprocess.STDOUT,
                                start_new_session=True)
    problems = []
    try:
        settings, controls = measure(desktop, SETTINGS, problems)
        # F1 reaches the preview once a preview button has been clicked.
        button = next(c for c in controls if c["id"] == FIRST_PREVIEW_BUTTON)
        desktop.xdotool("mousemove", button["x"] + button["w"] // 2,
                        button["y"] + button["h"] // 2, "click", 1)
        time.sleep(0.5)
        desktop.xdotool("key", "F1")
        close(desktop, measure(desktop, CONTROL_MENU, problems)[0], IDOK, proc)
        desktop.click(settings["hwnd"], ABOUT_BUTTON)
        about, about_controls = measure(desktop, ABOUT, problems)
        close(desktop, about, IDOK, proc)
        close(desktop, settings, IDCANCEL, proc)
        assert proc.wait(60) == 1
    finally:
        if proc.poll() is None:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait(10)
    panel = next(c for c in controls if c["id"] == PANEL)
    seen = viewports(desktop, trace)
    if seen != {(panel["cw"], panel["ch"])}:
        problems.append(f"viewports {seen}, not the panel's size {panel['cw']}x{panel['ch']}")
    icon_size = 32 * desktop.dpi // 96
    for c in about_controls:
        if c["class"] == "Static" and c["style"] & SS_TYPEMASK == SS_ICON and \
                (c["w"], c["h"]) != (icon_size, icon_size):
            problems.append(f"About icon is {c['w']}x{c['h']}, not {icon_size}")
    assert not problems, "\n".join(problems)
