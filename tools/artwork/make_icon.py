#!/usr/bin/env python3
"""Draws the program's icon for the desktop's hicolor theme: a scalable SVG and PNGs at the usual
sizes, the same hexagon and Z as the window's logo (make_artwork.logo), drawn for each size.

Standard library only, deterministic. Run from anywhere:

    python3 tools/artwork/make_icon.py            # writes into packaging/icons/ of this repository
    python3 tools/artwork/make_icon.py OUTDIR     # writes elsewhere

Output: OUTDIR/hicolor/scalable/apps/zelkar.svg and OUTDIR/hicolor/NxN/apps/zelkar.png.
"""

import math
import os
import sys

import make_artwork as art

SIZES = (16, 24, 32, 48, 64, 128, 256)
UNIT = 28.0                    # the drawing is laid out on a 28 x 28 grid, like the logo
HEX_RADIUS = 13.2
RING = 1.8
Z_POINTS = ((8.6, 8.8), (19.4, 8.8), (8.6, 19.2), (19.4, 19.2))
Z_HALF_WIDTH = 1.55
BODY = (0x10, 0x14, 0x1A)
WHITE = (0xFF, 0xFF, 0xFF)


def hexagon_points(radius):
    return [(UNIT / 2 + radius * math.cos(math.radians(a)), UNIT / 2 + radius * math.sin(math.radians(a)))
            for a in range(-90, 270, 60)]


def png(size):
    s = size / UNIT
    c = art.Canvas(size, size)
    hexagon = art.sd_polygon([(x * s, y * s) for x, y in hexagon_points(HEX_RADIUS)])
    c.shade(art.bbox_all(c), hexagon, art.solid(BODY))
    c.shade(art.bbox_all(c), art.ring(hexagon, max(1.0, RING * s)), art.solid(art.ACCENT))
    segments = [art.sd_segment(a[0] * s, a[1] * s, b[0] * s, b[1] * s, max(0.75, Z_HALF_WIDTH * s))
                for a, b in zip(Z_POINTS, Z_POINTS[1:])]
    c.shade(art.bbox_all(c), art.union(*segments), art.solid(WHITE))
    return c


def svg():
    def pts(points):
        return " ".join(f"{x:.3f},{y:.3f}" for x, y in points)
    accent = "#%02x%02x%02x" % art.ACCENT
    body = "#%02x%02x%02x" % BODY
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 {UNIT:g} {UNIT:g}">
  <title>Zelkar</title>
  <polygon points="{pts(hexagon_points(HEX_RADIUS))}" fill="{body}"/>
  <polygon points="{pts(hexagon_points(HEX_RADIUS - RING / 2))}" fill="none" stroke="{accent}" stroke-width="{RING:g}" stroke-linejoin="miter"/>
  <polyline points="{pts(Z_POINTS)}" fill="none" stroke="#ffffff" stroke-width="{2 * Z_HALF_WIDTH:g}" stroke-linecap="round" stroke-linejoin="round"/>
</svg>
"""


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "packaging", "icons")
    for size in SIZES:
        rel = f"hicolor/{size}x{size}/apps/zelkar.png"
        png(size).write(os.path.join(target, rel))
        print(rel)
    rel = "hicolor/scalable/apps/zelkar.svg"
    os.makedirs(os.path.dirname(os.path.join(target, rel)), exist_ok=True)
    with open(os.path.join(target, rel), "w", encoding="utf-8") as f:
        f.write(svg())
    print(rel)


if __name__ == "__main__":
    main()
