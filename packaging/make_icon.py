#!/usr/bin/env python3
"""Draws the program's icon: kazurin2.svg and a 128 x 128 kazurin2.png (standard library only).

A blue rounded square with a white multiplication sign and three yellow dots, one for
each of the tables 14, 15 and 16.
"""
import math
import struct
import sys
import zlib

SIZE = 128
BLUE = (33, 97, 183)
WHITE = (255, 255, 255)
YELLOW = (255, 202, 40)
RADIUS = 24
BAR_HALF_WIDTH = 9
BAR_FROM, BAR_TO = (34, 26), (94, 86)  # one diagonal of the sign, the other mirrored
DOTS = [(40, 106), (64, 106), (88, 106)]
DOT_RADIUS = 7


def svg():
    (x0, y0), (x1, y1) = BAR_FROM, BAR_TO
    dots = "".join('<circle cx="%d" cy="%d" r="%d" fill="#%02x%02x%02x"/>' % (x, y, DOT_RADIUS, *YELLOW)
                   for x, y in DOTS)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">'
            '<rect width="%d" height="%d" rx="%d" fill="#%02x%02x%02x"/>'
            '<g stroke="#ffffff" stroke-width="%d" stroke-linecap="round">'
            '<line x1="%d" y1="%d" x2="%d" y2="%d"/><line x1="%d" y1="%d" x2="%d" y2="%d"/></g>%s</svg>\n'
            % (SIZE, SIZE, SIZE, SIZE, SIZE, SIZE, RADIUS, *BLUE, 2 * BAR_HALF_WIDTH,
               x0, y0, x1, y1, SIZE - x0, y0, SIZE - x1, y1, dots))


def distance_to_segment(px, py, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def inside_rounded_square(px, py):
    cx = min(max(px, RADIUS), SIZE - RADIUS)
    cy = min(max(py, RADIUS), SIZE - RADIUS)
    return math.hypot(px - cx, py - cy) <= RADIUS


def pixel(x, y):
    # 4 x 4 samples a pixel for smooth edges.
    r = g = b = a = 0.0
    for sy in range(4):
        for sx in range(4):
            px, py = x + (sx + 0.5) / 4, y + (sy + 0.5) / 4
            if not inside_rounded_square(px, py):
                continue
            colour = BLUE
            mirrored = ((SIZE - BAR_FROM[0], BAR_FROM[1]), (SIZE - BAR_TO[0], BAR_TO[1]))
            if min(distance_to_segment(px, py, BAR_FROM, BAR_TO),
                   distance_to_segment(px, py, *mirrored)) <= BAR_HALF_WIDTH:
                colour = WHITE
            if any(math.hypot(px - dx, py - dy) <= DOT_RADIUS for dx, dy in DOTS):
                colour = YELLOW
            r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
    if a == 0:
        return (0, 0, 0, 0)
    return (round(r / a), round(g / a), round(b / a), round(255 * a / 16))


def png():
    rows = b"".join(b"\0" + b"".join(struct.pack("4B", *pixel(x, y)) for x in range(SIZE)) for y in range(SIZE))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


if __name__ == "__main__":
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    with open(folder + "/kazurin2.svg", "w", encoding="utf-8") as f:
        f.write(svg())
    with open(folder + "/kazurin2.png", "wb") as f:
        f.write(png())
