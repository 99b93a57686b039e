#!/usr/bin/env python3
"""Draws the wizard's pictures (banner, system picture, component logos, icon)
as PNG files next to this script. Plain shapes and gradients, no fonts, so the
output is the same on every machine. Run it again after changing a picture."""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
GREEN = (9, 113, 62)
LIGHT = (239, 239, 239)


def png(width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def banner(x, y):
    base = mix((20, 140, 80), GREEN, x / 975)
    # Three soft rings on the left: the product's mark.
    for cx, cy, r in ((60, 50, 30), (95, 50, 22), (122, 50, 14)):
        d = math.hypot(x - cx, y - cy)
        if abs(d - r) < 3:
            base = mix(base, (255, 255, 255), 1 - abs(d - r) / 3)
    # A light stripe along the bottom edge.
    if y >= 94:
        base = mix(base, LIGHT, (y - 93) / 6)
    return base + (255,)


def rounded(width, height, colour, inner=None):
    def pixel(x, y):
        r = 8
        dx = max(r - x, 0, x - (width - 1 - r))
        dy = max(r - y, 0, y - (height - 1 - r))
        if math.hypot(dx, dy) > r:
            return (0, 0, 0, 0)
        shade = mix(colour, (255, 255, 255), 0.35 * (1 - y / height))
        if inner and inner(x, y):
            shade = (255, 255, 255)
        return shade + (255,)
    return pixel


def system_picture(x, y):
    # A monitor on a stand.
    if 4 <= x <= 39 and 5 <= y <= 30:
        if 7 <= x <= 36 and 8 <= y <= 27:
            return mix((70, 150, 220), (30, 90, 170), y / 30) + (255,)
        return (60, 60, 60, 255)
    if 18 <= x <= 25 and 31 <= y <= 35:
        return (90, 90, 90, 255)
    if 11 <= x <= 32 and 36 <= y <= 38:
        return (60, 60, 60, 255)
    return (0, 0, 0, 0)


def bars(width):
    return lambda x, y: 14 <= y <= 30 and any(abs(x - c) <= 3 for c in range(20, width - 14, 14))


def icon(x, y):
    d = math.hypot(x - 15.5, y - 15.5)
    if d > 15.5:
        return (0, 0, 0, 0)
    if abs(d - 9) < 2:
        return (255, 255, 255, 255)
    return mix((20, 150, 85), GREEN, d / 16) + (255,)


PICTURES = {
    "banner_200.png": (975, 100, banner),
    "system_144.png": (44, 44, system_picture),
    "logo_142.png": (126, 44, rounded(126, 44, (40, 110, 180), bars(126))),
    "logo_143.png": (104, 44, rounded(104, 44, (190, 90, 30), bars(104))),
    "logo_145.png": (176, 44, rounded(176, 44, GREEN, bars(176))),
}

if __name__ == "__main__":
    for name, (w, h, draw) in PICTURES.items():
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(png(w, h, draw))
    image = png(32, 32, icon)
    # An icon file holding one PNG image (understood since Windows Vista).
    with open(os.path.join(HERE, "velk_130.ico"), "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, 1))
        out.write(struct.pack("<BBBBHHII", 32, 32, 0, 0, 1, 32, len(image), 22))
        out.write(image)
