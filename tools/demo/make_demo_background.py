#!/usr/bin/env python3
"""Draws the demo's configured background (tools/demo/demo_background.png):
a picture unlike the skin's built-in one, so the demo shows the
configuration's image taking its place. Uses the skin generator's canvas.

    python3 tools/demo/make_demo_background.py
"""
import math
import os
import sys

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "skin"))
from make_skin_images import Canvas, below_curve, hexrgb, mix, smooth_edge  # noqa: E402


def sea_at_noon():
    w, h = 720, 412
    c = Canvas(w, h)
    sky_top, sky_low = hexrgb("#2E86C1"), hexrgb("#AED6F1")
    c.shade(lambda x, y: 1.0, lambda x, y: mix(sky_top, sky_low, y / h))
    c.shade(lambda x, y: smooth_edge(math.hypot(x - 160, y - 120) - 38), hexrgb("#FDFEFE"))
    c.shade(lambda x, y: max(0.0, 1 - math.hypot(x - 160, y - 120) / 120) ** 2, hexrgb("#FFFFFF", 0.5))
    island = hexrgb("#1E8449")
    c.shade(below_curve(lambda x: 340 - 110 * math.exp(-((x - 520) / 90) ** 2)), island)
    waves = [(hexrgb("#1F618D"), 318, 5, 0.035, 0.0), (hexrgb("#1A5276"), 348, 6, 0.028, 1.3),
             (hexrgb("#154360"), 382, 7, 0.022, 2.6)]
    for colour, base, amp, freq, phase in waves:
        c.shade(below_curve(lambda x, b=base, a=amp, f=freq, p=phase: b + a * math.sin(x * f + p)), colour)
    return c


def main():
    out = os.path.join(here, "demo_background.png")
    with open(out, "wb") as f:
        f.write(sea_at_noon().png())
    print(out)


if __name__ == "__main__":
    main()
