#!/usr/bin/env python3
"""Draws resources/logo.png: a hollow vase seen from above, its wall a circle
with rectangular ribs, like the outlines the program makes.

Only the standard library is used (zlib and struct), so the logo can be
remade anywhere: python3 resources/make_logo.py
"""

import math
import os
import struct
import zlib

SIZE = 256
SAMPLES = 4  # per axis: 16 samples a pixel smooth the edges

CENTRE = SIZE / 2
BASE_RADIUS = 86.0  # the circle the ribs stand on
RIB_COUNT = 24
RIB_WIDTH = 2 * math.pi * BASE_RADIUS / RIB_COUNT / 2  # half the pitch
RIB_DEPTH = 20.0
STROKE = 3.0
HOLE_RADIUS = 52.0

OUTLINE = (20, 20, 30)
WALL = (52, 101, 164)
HOLE = (232, 238, 246)


def inside_ribbed(x, y, inset):
    """Whether (x, y) lies in the ribbed outline shrunk by inset pixels."""
    r = math.hypot(x, y)
    if r <= BASE_RADIUS - inset:
        return True
    pitch = 2 * math.pi / RIB_COUNT
    # The first rib points straight up, as the program starts its pattern.
    angle = math.atan2(x, y)
    k = round(angle / pitch)
    centre = k * pitch
    # Rotate so that the rib's axis runs along u.
    u = x * math.sin(centre) + y * math.cos(centre)
    v = x * math.cos(centre) - y * math.sin(centre)
    return (abs(v) <= RIB_WIDTH / 2 - inset and
            u <= BASE_RADIUS + RIB_DEPTH - inset and
            u >= 0)


def sample_colour(x, y):
    """Colour and coverage (0 or 1) of one sample point."""
    r = math.hypot(x, y)
    if r <= HOLE_RADIUS - STROKE:
        return HOLE, 1
    if r <= HOLE_RADIUS:
        return OUTLINE, 1
    if inside_ribbed(x, y, STROKE):
        return WALL, 1
    if inside_ribbed(x, y, 0):
        return OUTLINE, 1
    return (0, 0, 0), 0


def render():
    rows = []
    step = 1.0 / SAMPLES
    for py in range(SIZE):
        row = bytearray([0])  # filter type None
        for px in range(SIZE):
            red = green = blue = covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = px + (sx + 0.5) * step - CENTRE
                    y = CENTRE - (py + (sy + 0.5) * step)
                    colour, c = sample_colour(x, y)
                    if c:
                        red += colour[0]
                        green += colour[1]
                        blue += colour[2]
                        covered += 1
            if covered:
                row += bytes((round(red / covered), round(green / covered),
                              round(blue / covered),
                              round(255 * covered / SAMPLES ** 2)))
            else:
                row += bytes((0, 0, 0, 0))
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def main():
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)  # 8-bit RGBA
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
           chunk(b"IDAT", zlib.compress(render(), 9)) + chunk(b"IEND", b""))
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "logo.png")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
