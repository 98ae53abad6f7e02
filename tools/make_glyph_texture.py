#!/usr/bin/python3
"""Renders the six mantra syllables into resources/glyphs.tga (the texture) and
windows/resources/velta2.ico (the Windows saver's icon)."""
# Each syllable is shaped and rasterised by HarfBuzz (hb-view) with the Tibetan Machine Uni font, so the
# stacked vowels and subjoined letters come out as the font designer intended.  Usage:
#   /usr/bin/python3 tools/make_glyph_texture.py            generate both files, then verify the TGA
#   /usr/bin/python3 tools/make_glyph_texture.py --check    only verify an existing resources/glyphs.tga
import argparse
import os
import struct
import subprocess
import sys
import tempfile

from PIL import Image, ImageDraw

FONT = "/usr/share/fonts/truetype/tibetan-machine/TibetanMachineUni.ttf"
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TGA_PATH = os.path.join(ROOT, "resources", "glyphs.tga")
ICO_PATH = os.path.join(ROOT, "windows", "resources", "velta2.ico")

SYLLABLES = [  # (text, colour), left to right
    ("\u0f68\u0f7c\u0f7e", (255, 255, 255)),        # om   - white
    ("\u0f58", (40, 200, 70)),                      # ma   - green
    ("\u0f4e\u0f72", (255, 140, 0)),                # ni   - orange
    ("\u0f54", (110, 190, 255)),                    # pad  - light blue
    ("\u0f51\u0fa8\u0f7a", (225, 30, 30)),          # me   - red
    ("\u0f67\u0f71\u0f74\u0f83", (35, 60, 215)),    # hum  - dark blue
]

SIZE = 1024           # texture is SIZE x SIZE
CELL = SIZE / 6       # each syllable owns one sixth of the width
CELL_FILL = 0.88      # the widest glyph spans this fraction of its cell
BAND = 0.78           # glyphs span this fraction of the texture height (stretched along t)
RENDER_PX = 512       # hb-view font size; everything is downsampled from this
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)  # 100 to 200 % of the small and the large icon


def coverage(text):
    """Greyscale coverage mask of one shaped syllable.  All masks share size and baseline."""
    with tempfile.TemporaryDirectory() as tmp:
        png = os.path.join(tmp, "glyph.png")
        # HB_DRAW=0 makes hb-view draw through cairo-ft; its own outline path clips marks above one em.
        subprocess.run(["hb-view", f"--font-size={RENDER_PX}", f"--margin={RENDER_PX}",
                        "--background=00000000", "--foreground=ffffff", "-O", "png", "-o", png,
                        FONT, text], check=True, env=dict(os.environ, HB_DRAW="0"))
        with Image.open(png) as im:
            return im.getchannel("A")


def crop_all(masks):
    """Crops each mask to its own ink horizontally and to the common ink band vertically."""
    boxes = [m.getbbox() for m in masks]
    top, bottom = min(b[1] for b in boxes), max(b[3] for b in boxes)
    return [m.crop((b[0], top, b[2], bottom)) for m, b in zip(masks, boxes)]


def scaled(mask, sx, sy):
    w, h = mask.size
    return mask.resize((max(1, round(w * sx)), max(1, round(h * sy))), Image.Resampling.LANCZOS)


def make_texture(glyphs):
    img = Image.new("RGBA", (SIZE, SIZE), (0, 0, 0, 0))
    sx = CELL * CELL_FILL / max(g.width for g in glyphs)
    sy = SIZE * BAND / glyphs[0].height
    for i, (g, (_, colour)) in enumerate(zip(glyphs, SYLLABLES)):
        m = scaled(g, sx, sy).point(lambda v: 255 if v >= 128 else 0)  # hard edge: alpha is 0 or 255
        x = round(i * CELL + (CELL - m.width) / 2)
        img.paste(colour + (255,), (x, (SIZE - m.height) // 2), m)
    return img


def make_icon(masks, size):
    """Dark rounded square drawn at 4x and reduced.  Above 32 px: the six glyphs in two rows of three.
    Six glyphs are illegible at 32 px and below, so those show a large white om over a strip of the six colours."""
    big = size * 4
    img = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    draw = ImageDraw.Draw(img)
    draw.rounded_rectangle((0, 0, big - 1, big - 1), radius=big // 6, fill=(22, 24, 34, 255))
    pad = big * 0.08
    inner = big - 2 * pad
    if size <= 32:
        rows, strip = [[0]], inner * 0.14
        for i, (_, colour) in enumerate(SYLLABLES):
            draw.rectangle((pad + i * inner / 6, big - pad - strip, pad + (i + 1) * inner / 6, big - pad), fill=colour)
        row_h = inner - strip * 1.4
    else:
        rows, row_h = [[0, 1, 2], [3, 4, 5]], inner / 2
    for r, indices in enumerate(rows):
        glyphs = crop_all([masks[i] for i in indices])
        slot_w = inner / len(indices)
        s = min(slot_w * 0.94 / max(g.width for g in glyphs), row_h * 0.94 / glyphs[0].height)
        for k, (i, g) in enumerate(zip(indices, glyphs)):
            m = scaled(g, s, s)
            cx, cy = pad + (k + 0.5) * slot_w, pad + (r + 0.5) * row_h
            img.paste(SYLLABLES[i][1] + (255,), (round(cx - m.width / 2), round(cy - m.height / 2)), m)
    return img.resize((size, size), Image.Resampling.LANCZOS)


def encode_tga(img):
    """Type 10 (RLE true colour) TGA, 32 bpp BGRA, bottom row first.  Packets never span rows."""
    w, h = img.size
    out = bytearray(struct.pack("<BBBHHBHHHHBB", 0, 0, 10, 0, 0, 0, 0, 0, w, h, 32, 0x08))
    data = img.transpose(Image.Transpose.FLIP_TOP_BOTTOM).tobytes("raw", "BGRA")
    for y in range(h):
        row = data[y * w * 4:(y + 1) * w * 4]
        px = [row[i:i + 4] for i in range(0, len(row), 4)]
        i = 0
        while i < w:
            j = i + 1
            while j < w and j - i < 128 and px[j] == px[i]:
                j += 1
            if j - i >= 2:  # run packet
                out.append(0x80 | (j - i - 1))
                out += px[i]
            else:           # raw packet: up to the next repeated pair
                while j < w and j - i < 128 and not (j + 1 < w and px[j] == px[j + 1]):
                    j += 1
                out.append(j - i - 1)
                out += row[i * 4:j * 4]
            i = j
    return bytes(out)


def decode_tga(data):
    """Reads back exactly the TGA flavour written above and returns it as an upright RGBA image."""
    idlen, cmtype, itype, cm0, cm1, cm2, x0, y0, w, h, depth, desc = struct.unpack("<BBBHHBHHHHBB", data[:18])
    header = (idlen, cmtype, itype, cm0, cm1, cm2, x0, y0, w, h, depth, desc)
    if header != (0, 0, 10, 0, 0, 0, 0, 0, SIZE, SIZE, 32, 0x08):
        raise ValueError(f"unexpected TGA header {header}")
    pos, out, need = 18, bytearray(), w * h * 4
    while len(out) < need:
        if pos >= len(data):
            raise ValueError(f"TGA truncated after {len(out) // 4} of {w * h} pixels")
        head = data[pos]
        count = (head & 0x7F) + 1
        if head & 0x80:
            out += data[pos + 1:pos + 5] * count
            pos += 5
        else:
            out += data[pos + 1:pos + 1 + 4 * count]
            pos += 1 + 4 * count
    if len(out) != need or pos != len(data):
        raise ValueError(f"packet stream ends badly: {len(out)} of {need} bytes, {len(data) - pos} left over")
    return Image.frombytes("RGBA", (w, h), bytes(out), "raw", "BGRA").transpose(Image.Transpose.FLIP_TOP_BOTTOM)


def check(path, expected=None):
    with open(path, "rb") as f:
        img = decode_tga(f.read())
    alphas = {a for a, n in enumerate(img.getchannel("A").histogram()) if n}
    if not alphas <= {0, 255}:
        raise ValueError(f"alpha values other than 0/255: {sorted(alphas - {0, 255})[:10]}")
    if any(p != (0, 0, 0, 0) for p in img.getdata() if p[3] == 0):
        raise ValueError("transparent pixels with non-zero colour")
    if expected is not None and img.tobytes() != expected.tobytes():
        raise ValueError("decoded TGA differs from the rendered image")
    print(f"{path}: {img.size[0]}x{img.size[1]} RLE 32 bpp, alpha values {sorted(alphas)}: ok")


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--check", action="store_true", help="only verify the existing TGA")
    if ap.parse_args().check:
        check(TGA_PATH)
        return
    masks = [coverage(text) for text, _ in SYLLABLES]
    texture = make_texture(crop_all(masks))
    os.makedirs(os.path.dirname(TGA_PATH), exist_ok=True)
    with open(TGA_PATH, "wb") as f:
        f.write(encode_tga(texture))
    icons = [make_icon(masks, s) for s in ICON_SIZES]
    icons[-1].save(ICO_PATH, format="ICO", sizes=[(s, s) for s in ICON_SIZES], append_images=icons[:-1])
    check(TGA_PATH, texture)
    print(f"{ICO_PATH}: sizes {', '.join(map(str, ICON_SIZES))}")


if __name__ == "__main__":
    sys.exit(main())
