#!/usr/bin/env python3
"""Draws the main window's skin images and icon.

Writes resources/images/*.png (resources 120 to 128) and resources/launcher.ico
(icon 112). Pure Python with zlib, so it runs anywhere the build runs; the
output is deterministic, and the checked-in files are what it wrote.

    python3 tools/skin/make_skin_images.py [resources-folder]
"""
import math
import os
import struct
import sys
import zlib


class Canvas:
    """Straight (not premultiplied) RGBA in floats 0..1, composited with 'over'."""

    def __init__(self, width, height, fill=(0, 0, 0, 0)):
        self.width = width
        self.height = height
        self.px = [list(fill) for _ in range(width * height)]

    def blend(self, x, y, rgb, alpha):
        if alpha <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        alpha = min(alpha, 1.0)
        p = self.px[y * self.width + x]
        out_a = alpha + p[3] * (1 - alpha)
        if out_a <= 0:
            return
        for c in range(3):
            p[c] = (rgb[c] * alpha + p[c] * p[3] * (1 - alpha)) / out_a
        p[3] = out_a

    def shade(self, coverage, color):
        """Paints color (rgb or a function of (x, y) giving rgb) with the per-pixel coverage function."""
        for y in range(self.height):
            for x in range(self.width):
                cov = coverage(x + 0.5, y + 0.5)
                if cov > 0:
                    rgb = color(x, y) if callable(color) else color
                    self.blend(x, y, rgb[:3], cov * (rgb[3] if len(rgb) > 3 else 1.0))

    def png(self):
        rows = bytearray()
        for y in range(self.height):
            rows.append(0)
            for x in range(self.width):
                p = self.px[y * self.width + x]
                rows.extend(max(0, min(255, int(round(v * 255)))) for v in p)
        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
                + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))

    def bgra_rows_bottom_up(self):
        out = bytearray()
        for y in reversed(range(self.height)):
            for x in range(self.width):
                r, g, b, a = (max(0, min(255, int(round(v * 255)))) for v in self.px[y * self.width + x])
                out.extend((b, g, r, a))
        return bytes(out)


def hexrgb(text, alpha=1.0):
    v = int(text.lstrip("#"), 16)
    return ((v >> 16 & 255) / 255, (v >> 8 & 255) / 255, (v & 255) / 255, alpha)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def smooth_edge(distance):
    """Coverage of a pixel whose centre lies `distance` outside a shape's edge."""
    return max(0.0, min(1.0, 0.5 - distance))


def round_rect(left, top, right, bottom, radius):
    def coverage(x, y):
        cx = min(max(x, left + radius), right - radius)
        cy = min(max(y, top + radius), bottom - radius)
        return smooth_edge(math.hypot(x - cx, y - cy) - radius)
    return coverage


def segment(x0, y0, x1, y1, width):
    def coverage(x, y):
        dx, dy = x1 - x0, y1 - y0
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
        return smooth_edge(math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) - width / 2)
    return coverage


def union(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def below_curve(height_at):
    """Everything below the curve y = height_at(x), anti-aliased vertically."""
    return lambda x, y: smooth_edge(height_at(x) - y)


# Pixel font for the logo's word mark: 5 x 7 cells.
GLYPHS = {
    "K": ["X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"],
    "O": [".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."],
    "R": ["XXXX.", "X...X", "X...X", "XXXX.", "X.X..", "X..X.", "X...X"],
    "V": ["X...X", "X...X", "X...X", "X...X", ".X.X.", ".X.X.", "..X.."],
    "A": [".XXX.", "X...X", "X...X", "XXXXX", "X...X", "X...X", "X...X"],
}


def word(text, left, top, cell):
    boxes = []
    for i, ch in enumerate(text):
        for row, line in enumerate(GLYPHS[ch]):
            for col, mark in enumerate(line):
                if mark == "X":
                    x = left + (i * 6 + col) * cell
                    y = top + row * cell
                    boxes.append(round_rect(x, y, x + cell, y + cell, 0.01))
    return union(*boxes)


ACCENT = hexrgb("#3BA55C")
ACCENT_LIGHT = hexrgb("#5FD07F")
MUTED = hexrgb("#B9BBBE")
WHITE = hexrgb("#FFFFFF")


def diamond(cx, cy, r):
    return lambda x, y: smooth_edge((abs(x - cx) + abs(y - cy) - r) / math.sqrt(2))


def logo():
    c = Canvas(86, 20)
    c.shade(diamond(9, 10, 8.5), lambda x, y: mix(ACCENT_LIGHT, ACCENT, y / 20))
    c.shade(diamond(9, 10, 3.5), hexrgb("#2F3136"))
    c.shade(word("KORVA", 22, 3, 2), WHITE)
    return c


def header():
    # A dark band that fades into the picture below it, so any background reads under the title.
    c = Canvas(720, 80)
    top, bottom = hexrgb("#18191C", 0.92), hexrgb("#18191C", 0.0)
    c.shade(lambda x, y: 1.0, lambda x, y: mix(top, bottom, (y / 80) ** 1.4))
    return c


def close_button(hot):
    c = Canvas(30, 30)
    if hot:
        c.shade(round_rect(3, 3, 27, 27, 4), hexrgb("#ED4245"))
    cross = union(segment(10, 10, 20, 20, 2), segment(20, 10, 10, 20, 2))
    c.shade(cross, WHITE if hot else MUTED)
    return c


def minimise_button(hot):
    c = Canvas(30, 30)
    if hot:
        c.shade(round_rect(3, 3, 27, 27, 4), hexrgb("#FFFFFF", 0.16))
    c.shade(segment(10, 15.5, 20, 15.5, 2), WHITE if hot else MUTED)
    return c


def progress_track():
    c = Canvas(40, 14)
    c.shade(round_rect(0, 0, 40, 14, 7), hexrgb("#202225"))
    c.shade(lambda x, y: round_rect(0, 0, 40, 14, 7)(x, y) * (1 - round_rect(1, 1, 39, 13, 6)(x, y)),
            hexrgb("#40444B"))
    return c


def progress_fill():
    c = Canvas(40, 14)
    c.shade(round_rect(0, 0, 40, 14, 7), lambda x, y: mix(ACCENT_LIGHT, ACCENT, y / 13))
    c.shade(round_rect(3, 2, 37, 5, 1.5), hexrgb("#FFFFFF", 0.22))
    return c


def background():
    # Dusk over hills: sky gradient, a soft sun, three ridges.
    w, h = 720, 412
    c = Canvas(w, h)
    sky_top, sky_low = hexrgb("#1B2340"), hexrgb("#6B4A7A")
    c.shade(lambda x, y: 1.0, lambda x, y: mix(sky_top, sky_low, y / h))
    c.shade(lambda x, y: max(0.0, 1 - math.hypot(x - 520, y - 250) / 170) ** 2, hexrgb("#F2A65A", 0.55))
    c.shade(lambda x, y: smooth_edge(math.hypot(x - 520, y - 250) - 46), hexrgb("#FFD59A"))
    ridges = [
        (hexrgb("#3A3157"), 270, 40, 0.011, 0.7),
        (hexrgb("#2A2744"), 320, 34, 0.017, 2.1),
        (hexrgb("#2F3136"), 372, 22, 0.023, 4.0),
    ]
    for color, base, amp, freq, phase in ridges:
        c.shade(below_curve(lambda x, b=base, a=amp, f=freq, p=phase:
                            b - a * (0.6 * math.sin(x * f + p) + 0.4 * math.sin(x * f * 2.3 + p * 1.7))),
                color)
    return c


def icon(size):
    c = Canvas(size, size)
    s = size / 32
    c.shade(round_rect(1 * s, 1 * s, 31 * s, 31 * s, 7 * s), lambda x, y: mix(hexrgb("#36393F"), hexrgb("#202225"), y / size))
    c.shade(diamond(16 * s, 16 * s, 11 * s), lambda x, y: mix(ACCENT_LIGHT, ACCENT, y / size))
    c.shade(diamond(16 * s, 16 * s, 4.5 * s), hexrgb("#2F3136"))
    return c


def ico(canvases):
    """An icon file of 32-bit DIB entries (with an all-clear AND mask), readable on every Windows."""
    entries, blobs = [], []
    offset = 6 + 16 * len(canvases)
    for c in canvases:
        mask_stride = ((c.width + 31) // 32) * 4
        dib = (struct.pack("<IiiHHIIiiII", 40, c.width, c.height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
               + c.bgra_rows_bottom_up() + bytes(mask_stride * c.height))
        entries.append(struct.pack("<BBBBHHII", c.width % 256, c.height % 256, 0, 0, 1, 32, len(dib), offset))
        blobs.append(dib)
        offset += len(dib)
    return struct.pack("<HHH", 0, 1, len(canvases)) + b"".join(entries) + b"".join(blobs)


IMAGES = {
    120: ("close_normal.png", lambda: close_button(False)),
    121: ("close_hot.png", lambda: close_button(True)),
    122: ("header.png", header),
    123: ("background.png", background),
    124: ("minimise_normal.png", lambda: minimise_button(False)),
    125: ("minimise_hot.png", lambda: minimise_button(True)),
    126: ("progress_track.png", progress_track),
    127: ("progress_fill.png", progress_fill),
    128: ("logo.png", logo),
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "resources")
    os.makedirs(os.path.join(out, "images"), exist_ok=True)
    for rid, (name, draw) in sorted(IMAGES.items()):
        with open(os.path.join(out, "images", name), "wb") as f:
            f.write(draw().png())
        print(f"{rid} images/{name}")
    with open(os.path.join(out, "launcher.ico"), "wb") as f:
        f.write(ico([icon(16), icon(32), icon(48)]))
    print("112 launcher.ico")


if __name__ == "__main__":
    main()
