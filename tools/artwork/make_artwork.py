#!/usr/bin/env python3
"""Draws every image the layouts in skin/ use and writes them as PNG files.

Standard library only (PNG = zlib + struct). Flat, dark shapes with one accent colour; shapes are
anti-aliased from signed distances. Run from anywhere:

    python3 tools/artwork/make_artwork.py            # writes into skin/ of this repository
    python3 tools/artwork/make_artwork.py OUTDIR     # writes elsewhere

The output is deterministic, so re-running it leaves the committed files unchanged.
"""

import math
import os
import struct
import sys
import zlib

import keyboard_geometry as kg

ACCENT = (0x01, 0x99, 0xCB)
ICON = (0xD4, 0xDA, 0xE3)


# ------------------------------------------------------------------ canvas and PNG

class Canvas:
    """RGBA pixels as floats 0..1, straight alpha."""

    def __init__(self, w, h, colour=(0, 0, 0, 0)):
        self.w, self.h = w, h
        r, g, b, a = colour
        self.px = [[r, g, b, a] for _ in range(w * h)]

    def blend(self, x, y, rgb, alpha):
        if alpha <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        p = self.px[y * self.w + x]
        a = min(1.0, alpha)
        out_a = a + p[3] * (1 - a)
        if out_a <= 0:
            return
        for i in range(3):
            p[i] = (rgb[i] / 255 * a + p[i] * p[3] * (1 - a)) / out_a
        p[3] = out_a

    def shade(self, bbox, sdf, paint, alpha=1.0):
        """Paints where sdf(x, y) < 0 (pixel centres), with a one-pixel soft edge.

        paint(x, y) -> (r, g, b); bbox limits the work."""
        x0, y0, x1, y1 = bbox
        for y in range(max(0, int(y0) - 1), min(self.h, int(math.ceil(y1)) + 1)):
            for x in range(max(0, int(x0) - 1), min(self.w, int(math.ceil(x1)) + 1)):
                d = sdf(x + 0.5, y + 0.5)
                cover = 0.5 - d
                if cover > 0:
                    self.blend(x, y, paint(x, y), alpha * min(1.0, cover))

    def write(self, path, opaque=False):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        channels = 3 if opaque else 4
        raw = bytearray()
        prev = bytes(self.w * channels)
        for y in range(self.h):
            row = bytearray()
            for x in range(self.w):
                p = self.px[y * self.w + x]
                vals = [p[0], p[1], p[2]] if opaque else [p[0], p[1], p[2], p[3]]
                row.extend(max(0, min(255, int(v * 255 + 0.5))) for v in vals)
            kind, data = best_filter(bytes(row), prev, channels)
            raw.append(kind)
            raw.extend(data)
            prev = bytes(row)
        colour_type = 2 if opaque else 6
        png = b"\x89PNG\r\n\x1a\n"
        png += chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, colour_type, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
        png += chunk(b"IEND", b"")
        with open(path, "wb") as f:
            f.write(png)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def best_filter(row, prev, bpp):
    """PNG row filter with the smallest sum of absolute differences (the usual heuristic)."""
    n = len(row)
    cands = [(0, row)]
    sub = bytes((row[i] - (row[i - bpp] if i >= bpp else 0)) & 0xFF for i in range(n))
    up = bytes((row[i] - prev[i]) & 0xFF for i in range(n))
    avg = bytes((row[i] - (((row[i - bpp] if i >= bpp else 0) + prev[i]) >> 1)) & 0xFF for i in range(n))

    def paeth(a, b, c):
        p = a + b - c
        pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
        return a if pa <= pb and pa <= pc else (b if pb <= pc else c)

    pae = bytes((row[i] - paeth(row[i - bpp] if i >= bpp else 0, prev[i],
                                prev[i - bpp] if i >= bpp else 0)) & 0xFF for i in range(n))
    cands += [(1, sub), (2, up), (3, avg), (4, pae)]
    return min(cands, key=lambda c: sum(v if v < 128 else 256 - v for v in c[1]))


# ------------------------------------------------------------------ shapes (signed distances)

def sd_round_rect(x0, y0, w, h, r, rb=None):
    """Rounded rectangle; r for the top corners, rb (default r) for the bottom corners."""
    rb = r if rb is None else rb
    cx, cy = x0 + w / 2, y0 + h / 2
    hx, hy = w / 2, h / 2

    def f(x, y):
        rr = r if y < cy else rb
        qx = abs(x - cx) - hx + rr
        qy = abs(y - cy) - hy + rr
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - rr
    return f


def sd_circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def sd_segment(ax, ay, bx, by, half_width):
    def f(x, y):
        px, py = x - ax, y - ay
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, (px * dx + py * dy) / (dx * dx + dy * dy or 1)))
        return math.hypot(px - dx * t, py - dy * t) - half_width
    return f


def sd_polygon(points):
    """Convex polygon, points clockwise on screen (y down)."""
    edges = []
    n = len(points)
    for i in range(n):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
        length = math.hypot(bx - ax, by - ay)
        edges.append((ax, ay, (by - ay) / length, -(bx - ax) / length))

    def f(x, y):
        return max((x - ax) * nx + (y - ay) * ny for ax, ay, nx, ny in edges)
    return f


def ring(sdf, width):
    """Outline of width pixels along the inside of a shape."""
    return lambda x, y: abs(sdf(x, y) + width / 2) - width / 2


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def minus(f, g):
    return lambda x, y: max(f(x, y), -g(x, y))


def solid(rgb):
    return lambda x, y: rgb


def vgrad(top, bottom, y0, y1):
    def f(x, y):
        t = max(0.0, min(1.0, (y - y0) / max(1, y1 - y0)))
        return tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
    return f


def bbox_all(c):
    return (0, 0, c.w, c.h)


def hexrgb(s):
    s = s.lstrip("#")
    return tuple(int(s[i:i + 2], 16) for i in (0, 2, 4))


# ------------------------------------------------------------------ backgrounds

W, H = 800, 572


def background_base(top, bottom):
    c = Canvas(W, H, (0, 0, 0, 1))
    c.shade(bbox_all(c), lambda x, y: -1, vgrad(top, bottom, 0, H))
    return c


def bg_default():
    c = background_base(hexrgb("13171E"), hexrgb("08090C"))
    # a wide, faint band and a thin bright line, both slanted, on the right
    c.shade(bbox_all(c), sd_polygon([(560, 0), (800, 0), (800, 140), (560, 572), (330, 572)]),
            solid(ACCENT), 0.05)
    c.shade((300, 0, W, H), sd_segment(700, -10, 430, 582, 0.9), solid(ACCENT), 0.45)
    c.shade((300, 0, W, H), sd_segment(740, -10, 470, 582, 0.6), solid(ACCENT), 0.18)
    return c


def bg_carbon():
    c = background_base(hexrgb("1A1D22"), hexrgb("0B0C0E"))
    # 2 x 2 weave of 8-pixel cells, each cell a short gradient across its direction
    def paint(x, y):
        cx, cy = (x // 8) % 2, (y // 8) % 2
        t = (x % 8) / 7 if cx == cy else (y % 8) / 7
        v = 0.16 + 0.18 * math.sin(t * math.pi)
        base = 22 + 10 * (1 - y / H)
        return (base * (1 + v), base * (1 + v) + 1, base * (1 + v) + 3)
    c.shade(bbox_all(c), lambda x, y: -1, paint)
    c.shade((0, 0, W, H), sd_segment(-10, 420, 810, 300, 1.0), solid(ACCENT), 0.35)
    return c


def bg_deep_sea():
    c = background_base(hexrgb("0A2233"), hexrgb("04080D"))
    for k in range(7):
        y0 = 150 + k * 55
        amp = 14 + k * 3

        def wave(x, y, y0=y0, amp=amp):
            return abs(y - (y0 + amp * math.sin(x / 90 + k))) - 0.8
        c.shade((0, y0 - amp - 3, W, y0 + amp + 3), wave, solid((0x20, 0xB8, 0xE8)), 0.10 + 0.03 * (6 - k))
    return c


def bg_lava():
    c = background_base(hexrgb("1C0C0C"), hexrgb("070404"))
    for k, (x, w, a) in enumerate([(120, 60, 0.10), (330, 24, 0.22), (470, 90, 0.07), (650, 14, 0.35)]):
        c.shade((0, 0, W, H), sd_polygon([(x, 0), (x + w, 0), (x + w - 260, H), (x - 260, H)]),
                solid((0xE8, 0x4A, 0x1C)), a)
    c.shade((0, 0, W, H), sd_segment(690, -10, 420, 582, 0.8), solid((0xFF, 0x8A, 0x30)), 0.5)
    return c


def bg_jungle():
    c = background_base(hexrgb("0E1E16"), hexrgb("050A07"))
    for k in range(6):
        cx, cy, r = 120 + k * 130, 470 - (k % 2) * 60, 70 + (k % 3) * 18
        pts = [(cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a))) for a in range(-90, 270, 60)]
        c.shade((cx - r - 2, cy - r - 2, cx + r + 2, cy + r + 2), ring(sd_polygon(pts), 1.6),
                solid((0x4C, 0xD0, 0x7A)), 0.25)
    c.shade((0, 0, W, H), sd_segment(-10, 250, 810, 170, 0.8), solid((0x4C, 0xD0, 0x7A)), 0.3)
    return c


def bg_neon():
    c = background_base(hexrgb("1A0F2A"), hexrgb("07050C"))
    horizon = 380
    for k in range(9):     # perspective floor lines
        y = horizon + (k * k) * 2.5
        c.shade((0, y - 2, W, y + 2), lambda x, yy, y=y: abs(yy - y) - 0.6, solid((0xFF, 0x3C, 0xC8)), 0.35)
    for k in range(-8, 9):
        c.shade((0, horizon, W, H), sd_segment(400 + k * 14, horizon, 400 + k * 120, H + 20, 0.6),
                solid((0x2E, 0xE6, 0xFF)), 0.25)
    c.shade((0, 0, W, horizon), sd_circle(400, horizon, 110), vgrad((0xFF, 0x5A, 0xB4), (0x60, 0x10, 0x70),
                                                                    horizon - 110, horizon), 0.35)
    return c


# ------------------------------------------------------------------ caption buttons and icons

def caption_icon(kind, hot):
    s = 30
    c = Canvas(s, s)
    if hot:
        bg = (0xC8, 0x32, 0x3C) if kind == "close" else (0xFF, 0xFF, 0xFF)
        c.shade(bbox_all(c), sd_round_rect(2, 2, 26, 26, 5), solid(bg), 0.9 if kind == "close" else 0.12)
    col = (0xFF, 0xFF, 0xFF) if hot else ICON
    if kind == "close":
        c.shade(bbox_all(c), union(sd_segment(10, 10, 20, 20, 0.9), sd_segment(20, 10, 10, 20, 0.9)), solid(col))
    elif kind == "min":
        c.shade(bbox_all(c), sd_segment(10, 19, 20, 19, 0.9), solid(col))
    elif kind == "max":
        c.shade(bbox_all(c), ring(sd_round_rect(9.5, 9.5, 11, 11, 1.5), 1.6), solid(col))
    elif kind == "restore":
        c.shade(bbox_all(c), ring(sd_round_rect(12.5, 8.5, 9, 9, 1.5), 1.5), solid(col))
        c.shade(bbox_all(c), sd_round_rect(8.5, 12.5, 9, 9, 1.5), solid((0x10, 0x13, 0x18)), 1.0 if not hot else 0)
        c.shade(bbox_all(c), ring(sd_round_rect(8.5, 12.5, 9, 9, 1.5), 1.5), solid(col))
    elif kind == "skin":
        # a palette: a disc with a thumb hole and three colour dots
        disc = minus(sd_circle(15, 15, 8.5), sd_circle(18.5, 19.5, 2.2))
        c.shade(bbox_all(c), ring(disc, 1.5), solid(col))
        for (x, y, rgb) in ((11.5, 12.5, (0xFF, 0x4D, 0x4D)), (15.5, 10.5, ACCENT), (11.5, 17, (0x6C, 0xFF, 0x00))):
            c.shade(bbox_all(c), sd_circle(x, y, 1.6), solid(rgb))
    return c


BUTTON = (0x26, 0x2D, 0x38)
BUTTON_HOT = (0x33, 0x3C, 0x4A)


def icon_button(kind, hot):
    """A 26 x 24 icon button face: the glyph of small_glyph() centred on a rounded plate."""
    c = Canvas(26, 24)
    c.shade(bbox_all(c), sd_round_rect(0, 0, 26, 24, 4), solid(BUTTON_HOT if hot else BUTTON))
    if hot:
        c.shade(bbox_all(c), ring(sd_round_rect(0, 0, 26, 24, 4), 1.0), solid(ACCENT), 0.8)
    glyph = small_glyph(kind)
    c.shade(bbox_all(c), lambda x, y: glyph(x - 5, y - 4), solid((0xFF, 0xFF, 0xFF) if hot else ICON))
    return c


def small_glyph(kind):
    """The signed distance of a 16 x 16 glyph."""
    seg = sd_segment
    if kind == "add":
        f = union(seg(8, 3.5, 8, 12.5, 0.9), seg(3.5, 8, 12.5, 8, 0.9))
    elif kind == "delete":
        lid = seg(3.5, 4.5, 12.5, 4.5, 0.7)
        handle = seg(6.5, 2.8, 9.5, 2.8, 0.6)
        can = ring(sd_round_rect(4.5, 5.5, 7, 8, 1.2), 1.2)
        f = union(lid, handle, can, seg(7, 7.5, 7, 11.5, 0.45), seg(9, 7.5, 9, 11.5, 0.45))
    elif kind == "clear":
        f = union(ring(sd_circle(8, 8, 6), 1.2), seg(5.6, 5.6, 10.4, 10.4, 0.7), seg(10.4, 5.6, 5.6, 10.4, 0.7))
    elif kind == "copy":
        f = union(ring(sd_round_rect(2.5, 2.5, 8, 8, 1.5), 1.2), ring(sd_round_rect(5.5, 5.5, 8, 8, 1.5), 1.2))
    elif kind in ("import", "export"):
        tray = union(seg(2.5, 10, 2.5, 13.5, 0.6), seg(2.5, 13.5, 13.5, 13.5, 0.6), seg(13.5, 13.5, 13.5, 10, 0.6))
        if kind == "import":
            arrow = union(seg(8, 2, 8, 10, 0.7), seg(8, 10.3, 5, 7.3, 0.7), seg(8, 10.3, 11, 7.3, 0.7))
        else:
            arrow = union(seg(8, 10.5, 8, 2.5, 0.7), seg(8, 2.2, 5, 5.2, 0.7), seg(8, 2.2, 11, 5.2, 0.7))
        f = union(tray, arrow)
    elif kind == "reset":
        def arc(x, y):
            d = abs(math.hypot(x - 8, y - 8.5) - 5) - 0.7
            ang = math.degrees(math.atan2(y - 8.5, x - 8))
            return d if not (-80 < ang < -20) else 99
        f = union(arc, seg(11.5, 2.8, 11.2, 5.6, 0.7), seg(11.2, 5.6, 8.4, 5.2, 0.7))
    elif kind == "edit":
        f = union(seg(4, 12, 11.5, 4.5, 1.3), sd_polygon([(2.5, 13.5), (3.2, 10.6), (5.4, 12.8)]))
    elif kind == "link":
        f = union(ring(sd_round_rect(1.5, 5.5, 8, 5, 2.5), 1.2), ring(sd_round_rect(6.5, 5.5, 8, 5, 2.5), 1.2))
    elif kind == "more":
        f = union(sd_circle(3.5, 8, 1.4), sd_circle(8, 8, 1.4), sd_circle(12.5, 8, 1.4))
    elif kind in ("up", "down", "top", "bottom"):
        up = kind in ("up", "top")
        y_tip, y_base = (5.5, 10.5) if up else (10.5, 5.5)
        f = union(seg(4, y_base, 8, y_tip, 0.8), seg(8, y_tip, 12, y_base, 0.8))
        if kind == "top":
            f = union(f, seg(4, 2.5, 12, 2.5, 0.7))
        if kind == "bottom":
            f = union(f, seg(4, 13.5, 12, 13.5, 0.7))
    else:
        raise ValueError(kind)
    return f


def tab_face(state):
    """Faces of tab-like options; stretched over the option, so only horizontal bands."""
    w, h = 90, 30
    c = Canvas(w, h)
    if state == "hot":
        c.shade(bbox_all(c), sd_round_rect(0, 0, w, h, 4), solid((0xFF, 0xFF, 0xFF)), 0.06)
        c.shade(bbox_all(c), lambda x, y: (h - 2) - y, solid((0x4A, 0x55, 0x66)))
    elif state == "selected":
        c.shade(bbox_all(c), sd_round_rect(0, 0, w, h, 4), vgrad((0x0B, 0x16, 0x1D), (0x08, 0x3C, 0x55), 0, h), 0.8)
        c.shade(bbox_all(c), lambda x, y: (h - 3) - y, solid(ACCENT))
    else:
        c.shade(bbox_all(c), lambda x, y: (h - 1) - y, solid((0x2A, 0x31, 0x3B)))
    return c


def step_face(state):
    w, h = 42, 28
    c = Canvas(w, h)
    shape = sd_round_rect(0, 0, w, h, 4)
    colour = {"normal": BUTTON, "hot": BUTTON_HOT, "selected": (0x0A, 0x5E, 0x80)}[state]
    c.shade(bbox_all(c), shape, solid(colour))
    if state != "normal":
        c.shade(bbox_all(c), ring(shape, 1.2), solid(ACCENT))
    return c


def label_face(w, h, hot):
    """Face of the mouse button names: a plate with an accent mark on its left end."""
    c = Canvas(w, h)
    shape = sd_round_rect(0, 0, w, h, 4)
    c.shade(bbox_all(c), shape, solid(BUTTON_HOT if hot else BUTTON))
    c.shade(bbox_all(c), sd_round_rect(0, 0, 4, h, 2), solid(ACCENT), 1.0 if hot else 0.6)
    if hot:
        c.shade(bbox_all(c), ring(shape, 1.0), solid(ACCENT), 0.8)
    return c


def logo():
    c = Canvas(28, 28)
    hexagon = sd_polygon([(14 + 12.5 * math.cos(math.radians(a)), 14 + 12.5 * math.sin(math.radians(a)))
                          for a in range(-90, 270, 60)])
    c.shade(bbox_all(c), hexagon, solid((0x10, 0x14, 0x1A)))
    c.shade(bbox_all(c), ring(hexagon, 1.6), solid(ACCENT))
    z = union(sd_segment(9, 9, 19, 9, 1.2), sd_segment(19, 9, 9, 19, 1.2), sd_segment(9, 19, 19, 19, 1.2))
    c.shade(bbox_all(c), z, solid((0xFF, 0xFF, 0xFF)))
    return c


# ------------------------------------------------------------------ keyboard

def keycap(w, h, kind):
    c = Canvas(w, h)
    outer = sd_round_rect(0, 0, w, h, 4)
    if kind == "led":
        body, face_top, face_bottom, edge = (0x24, 0x29, 0x31), (0x3C, 0x43, 0x4F), (0x30, 0x36, 0x40), (0x12, 0x15, 0x1A)
    elif kind == "hot":
        body, face_top, face_bottom, edge = (0x10, 0x2C, 0x39), (0x18, 0x4A, 0x60), (0x13, 0x3A, 0x4B), ACCENT
    else:
        body, face_top, face_bottom, edge = (0x1D, 0x21, 0x28), (0x31, 0x37, 0x42), (0x27, 0x2C, 0x35), (0x10, 0x12, 0x16)
    c.shade(bbox_all(c), outer, solid(body))
    inset = 2.5
    face = sd_round_rect(inset, 1.5, w - 2 * inset, h - inset - 2, 3)
    c.shade(bbox_all(c), face, vgrad(face_top, face_bottom, 1.5, h - inset))
    c.shade(bbox_all(c), ring(outer, 1.6 if kind == "hot" else 1.0), solid(edge))
    return c


def roller():
    c = Canvas(26, 26)
    disc = sd_circle(13, 13, 12.5)
    c.shade(bbox_all(c), disc, solid((0x1A, 0x1E, 0x24)))
    for k in range(12):
        a = math.radians(k * 30)
        c.shade(bbox_all(c), sd_segment(13 + 6 * math.cos(a), 13 + 6 * math.sin(a),
                                         13 + 11 * math.cos(a), 13 + 11 * math.sin(a), 0.7), solid((0x4A, 0x52, 0x5E)))
    c.shade(bbox_all(c), sd_circle(13, 13, 4.5), solid((0x3C, 0x43, 0x4F)))
    c.shade(bbox_all(c), ring(disc, 1.0), solid((0x0C, 0x0E, 0x11)))
    return c


def plate(w, h):
    c = Canvas(w, h)
    body = sd_round_rect(0, 0, w, h, 9)
    c.shade(bbox_all(c), body, vgrad((0x1E, 0x23, 0x2B), (0x14, 0x17, 0x1C), 0, h))
    c.shade(bbox_all(c), ring(body, 1.0), solid((0x34, 0x3B, 0x46)))
    c.shade((0, 0, w, 3), lambda x, y: abs(y - 1.5) - 0.5 if 10 < x < w - 10 else 9, solid(ACCENT), 0.35)
    return c


# ------------------------------------------------------------------ mouse and pad

BODY_W, BODY_H = 150, 250


def mouse_body():
    c = Canvas(BODY_W, BODY_H)
    shape = sd_round_rect(0, 0, BODY_W, BODY_H, 62, 72)
    c.shade(bbox_all(c), shape, vgrad((0x2C, 0x32, 0x3C), (0x17, 0x1A, 0x20), 0, BODY_H))
    c.shade(bbox_all(c), ring(shape, 1.4), solid((0x0C, 0x0E, 0x11)))
    # the seam between the two main buttons and the palm rest
    c.shade(bbox_all(c), sd_segment(75, 2, 75, 100, 0.6), solid((0x0C, 0x0E, 0x11)))
    c.shade(bbox_all(c), lambda x, y: abs(y - 102) - 0.6 if 6 < x < BODY_W - 6 else 9, solid((0x0C, 0x0E, 0x11)))
    # accent stripe on the palm rest
    c.shade(bbox_all(c), sd_segment(75, 150, 75, 230, 1.3), solid(ACCENT), 0.7)
    return c


def mouse_part(kind, down):
    fill = ACCENT if down else (0xFF, 0xFF, 0xFF)
    fill_a = 0.55 if down else 0.05
    edge = ACCENT if down else (0x3C, 0x44, 0x50)
    if kind in ("left", "right"):
        w, h = 62, 100
        c = Canvas(w, h)
        # the button follows the body's outline: big radius on the outer top corner only
        outer_x = 0 if kind == "left" else w

        def shape(x, y):
            d = -min(x - 0.5, w - 0.5 - x, y - 0.5, h - 0.5 - y)
            cx, cy = (62, 62) if kind == "left" else (w - 62, 62)
            if y < cy and ((kind == "left" and x < cx) or (kind == "right" and x > cx)):
                d = max(d, math.hypot(x - cx, y - cy) - 62 + 0.5)
            return d
        c.shade(bbox_all(c), shape, solid(fill), fill_a)
        c.shade(bbox_all(c), ring(shape, 1.2), solid(edge), 0.9)
        del outer_x
        return c
    sizes = {"wheel": (16, 40, 7), "dpi": (14, 14, 3), "forward": (12, 32, 5), "back": (12, 32, 5)}
    w, h, r = sizes[kind]
    c = Canvas(w, h)
    shape = sd_round_rect(0.5, 0.5, w - 1, h - 1, r)
    c.shade(bbox_all(c), shape, solid(ACCENT if down else (0x10, 0x12, 0x16)))
    if kind == "wheel" and not down:
        for y in range(6, h - 4, 5):
            c.shade(bbox_all(c), lambda xx, yy, y=y: abs(yy - y) - 0.6 if 3 < xx < w - 3 else 9, solid((0x3A, 0x41, 0x4C)))
    c.shade(bbox_all(c), ring(shape, 1.0), solid(edge))
    return c


def led(size):
    c = Canvas(size, size)
    r = size / 2
    c.shade(bbox_all(c), sd_circle(r, r, r - 0.5), solid((0x8C, 0x95, 0xA3)))
    c.shade(bbox_all(c), sd_circle(r - 1, r - 1, r / 3), solid((0xE8, 0xEC, 0xF2)), 0.7)
    return c


def pad():
    w, h = 300, 180
    c = Canvas(w, h)
    body = sd_round_rect(0, 0, w, h, 14)
    c.shade(bbox_all(c), body, solid((0x26, 0x2C, 0x35)))          # the lit rim
    cloth = sd_round_rect(10, 10, w - 20, h - 20, 8)
    # fine diagonal weave on the cloth, periodic so it compresses well
    c.shade(bbox_all(c), cloth, lambda x, y: (0x14, 0x17, 0x1C) if (x + y) % 4 else (0x18, 0x1B, 0x21))
    c.shade(bbox_all(c), ring(body, 1.2), solid((0x0C, 0x0E, 0x11)))
    c.shade(bbox_all(c), ring(cloth, 1.0), solid((0x0C, 0x0E, 0x11)))
    # the logo hexagon in a corner
    hexagon = sd_polygon([(262 + 10 * math.cos(math.radians(a)), 142 + 10 * math.sin(math.radians(a)))
                          for a in range(-90, 270, 60)])
    c.shade(bbox_all(c), ring(hexagon, 1.4), solid(ACCENT), 0.8)
    return c


# ------------------------------------------------------------------ everything

def images():
    out = {
        "common/background.png": (bg_default, True),
        "skin/bg_1.png": (bg_carbon, True),
        "skin/bg_2.png": (bg_deep_sea, True),
        "skin/bg_3.png": (bg_lava, True),
        "skin/bg_4.png": (bg_jungle, True),
        "skin/bg_5.png": (bg_neon, True),
        "common/logo.png": (logo, False),
        "kb/roller.png": (roller, False),
        "ms/mouse_body.png": (mouse_body, False),
        "ms/led.png": (lambda: led(10), False),
        "mp/led.png": (lambda: led(12), False),
        "mp/pad.png": (pad, False),
    }
    for kind in ("close", "min", "max", "restore", "skin"):
        out[f"common/{kind}.png"] = (lambda k=kind: caption_icon(k, False), False)
        out[f"common/{kind}_hot.png"] = (lambda k=kind: caption_icon(k, True), False)
    for kind in ("add", "delete", "clear", "copy", "import", "export", "reset", "edit", "link", "more",
                 "up", "down", "top", "bottom"):
        out[f"common/icon_{kind}.png"] = (lambda k=kind: icon_button(k, False), False)
        out[f"common/icon_{kind}_hot.png"] = (lambda k=kind: icon_button(k, True), False)
    for state, suffix in (("normal", ""), ("hot", "_hot"), ("selected", "_selected")):
        out[f"common/tab{suffix}.png"] = (lambda st=state: tab_face(st), False)
        out[f"common/step{suffix}.png"] = (lambda st=state: step_face(st), False)
    out["ms/button_label.png"] = (lambda: label_face(104, 26, False), False)
    out["ms/button_label_hot.png"] = (lambda: label_face(104, 26, True), False)
    for (w, h) in kg.cap_sizes():
        for kind, suffix in (("key", ""), ("hot", "_hot"), ("led", "_led")):
            out[f"kb/key_{w}x{h}{suffix}.png"] = (lambda w=w, h=h, k=kind: keycap(w, h, k), False)
    _, _, pw, ph = kg.plate_rect()
    out["kb/plate.png"] = (lambda: plate(pw, ph), False)
    _, _, uw, uh = kg.unit_rect()
    out["kb/unit_plate.png"] = (lambda: plate(uw, uh), False)
    for part in ("left", "wheel", "right", "forward", "back", "dpi"):
        out[f"ms/key_{part}_normal.png"] = (lambda p=part: mouse_part(p, False), False)
        out[f"ms/key_{part}_down.png"] = (lambda p=part: mouse_part(p, True), False)
    return out


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "skin")
    for rel, (draw, opaque) in sorted(images().items()):
        draw().write(os.path.join(target, rel), opaque=opaque)
        print(rel)


if __name__ == "__main__":
    main()
