"""A virtual X display, its screenshots and the checks of what they show."""
import os
import subprocess
import time


# Xvfb now and then resets a connection made just as another client ends: seconds to leave
# between one X client's end and the next one's start.
CLIENT_GAP = 0.05


def wait_until(predicate, timeout, interval=0.2):
    deadline = time.monotonic() + timeout
    while True:
        result = predicate()
        if result or time.monotonic() > deadline:
            return result
        time.sleep(interval)


def start_xvfb(width, height, extra_args=()):
    """Starts Xvfb on a free display number; returns the process and the display name."""
    read_fd, write_fd = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
         "-nolisten", "tcp"] + list(extra_args),
        pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as f:
        number = f.readline().strip()
    assert number, "Xvfb did not start"
    return xvfb, f":{number}"


def screenshot(env, path):
    """The whole screen of env's DISPLAY as a PNG at path."""
    subprocess.run(["import", "-window", "root", path], env=env, check=True, timeout=30)
    return path


# The six colours of the glyph texture; every module's shapes show only these (and their
# blends where the texture is filtered), on black.
GLYPH_COLOURS = {
    "white": (255, 255, 255), "green": (40, 200, 70), "orange": (255, 140, 0),
    "light blue": (110, 190, 255), "red": (225, 30, 30), "dark blue": (35, 60, 215),
}


def glyph_colour_counts(path, tolerance=60):
    """Pixels of a screenshot close to each glyph colour, and the share that is not black."""
    from PIL import Image
    image = Image.open(path).convert("RGB")
    pixels = list(image.getdata())
    counts = dict.fromkeys(GLYPH_COLOURS, 0)
    lit = 0
    for r, g, b in pixels:
        if r + g + b <= 30:
            continue
        lit += 1
        for name, (cr, cg, cb) in GLYPH_COLOURS.items():
            if abs(r - cr) + abs(g - cg) + abs(b - cb) <= tolerance:
                counts[name] += 1
                break
    return counts, lit / len(pixels)


def assert_glyph_shapes(path):
    """The screenshot shows shapes carrying the glyph texture: a good part of the screen lit,
    most of it black, and at least four of the six glyph colours in clear amounts."""
    counts, lit = glyph_colour_counts(path)
    assert 0.01 < lit < 0.9, f"{path}: lit share {lit:.3f}"
    shown = [name for name, n in counts.items() if n >= 40]
    assert len(shown) >= 4, f"{path}: glyph colours {counts}"


def wait_for_glyph_shapes(shoot, timeout=30):
    """Takes screenshots with shoot() until one shows the glyph shapes and returns it. The
    first frames follow the window after a while that grows on a busy or emulated machine;
    past the timeout the last screenshot's check fails."""
    deadline = time.monotonic() + timeout
    while True:
        path = shoot()
        try:
            assert_glyph_shapes(path)
            return path
        except AssertionError:
            if time.monotonic() > deadline:
                raise
        time.sleep(0.25)


def picture_distance(a, b):
    """Mean absolute difference of two screenshots reduced to 80 x 60 grey, 0..255."""
    from PIL import Image, ImageChops, ImageStat
    small = [Image.open(p).convert("L").resize((80, 60), Image.BILINEAR) for p in (a, b)]
    return ImageStat.Stat(ImageChops.difference(*small)).mean[0]
