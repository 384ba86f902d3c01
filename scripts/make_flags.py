#!/usr/bin/env python3
"""Draws the 48 x 48 flag bitmaps of the shipped languages into resources/LANGUAGE.

Each flag is a 44 x 30 rectangle with a dark frame in the middle of a magenta square; the
options dialog treats the colour of a bitmap's bottom-left pixel (here the magenta) as
transparent. Run it again after changing a flag; the .bmp files are committed.
"""
import math
import os
import struct
import sys

SIZE = 48
W, H = 44, 30                 # the flag itself
X0, Y0 = (SIZE - W) // 2, (SIZE - H) // 2
KEY = (255, 0, 255)           # transparent
FRAME = (64, 64, 64)


def stripes(colours, vertical):
    def paint(x, y):
        i = (x if vertical else y) * len(colours) // (W if vertical else H)
        return colours[i]
    return paint


def spain(x, y):
    red, yellow = (170, 21, 27), (241, 191, 0)
    return yellow if H // 4 <= y < H - H // 4 else red


def union(x, y):
    blue, red, white = (1, 33, 105), (200, 16, 46), (255, 255, 255)
    cx, cy = x + 0.5, y + 0.5
    diag = math.hypot(W, H)
    d1 = abs(cx * H - cy * W) / diag
    d2 = abs(cx * H - (H - cy) * W) / diag
    dx, dy = abs(cx - W / 2), abs(cy - H / 2)
    if dx < 3 or dy < 3:
        return red
    if dx < 5 or dy < 5:
        return white
    if d1 < 1.2 or d2 < 1.2:
        return red
    if d1 < 3.2 or d2 < 3.2:
        return white
    return blue


def default(x, y):
    # A neutral flag with a globe: light grey field, blue circle with a meridian and equator.
    field, line = (230, 230, 230), (40, 90, 170)
    cx, cy = x + 0.5 - W / 2, y + 0.5 - H / 2
    r = math.hypot(cx, cy)
    if abs(r - 10) < 1.0 or (r < 10 and (abs(cx) < 0.7 or abs(cy) < 0.7)):
        return line
    if r < 10 and abs(math.hypot(cx * 2, cy) - 10) < 1.2:
        return line
    return field


FLAGS = {
    'English': union,
    'Italiano': stripes([(0, 146, 70), (255, 255, 255), (206, 43, 55)], True),
    'Deutsch': stripes([(0, 0, 0), (221, 0, 0), (255, 206, 0)], False),
    'Français': stripes([(0, 85, 164), (255, 255, 255), (239, 65, 53)], True),
    'Español': spain,
    'DefaultFlag': default,
}


def pixel(paint, x, y):
    fx, fy = x - X0, y - Y0
    if not (0 <= fx < W and 0 <= fy < H):
        return KEY
    if fx in (0, W - 1) or fy in (0, H - 1):
        return FRAME
    return paint(fx, fy)


def bmp(paint):
    rows = []
    for y in range(SIZE - 1, -1, -1):          # bottom-up
        row = bytearray()
        for x in range(SIZE):
            r, g, b = pixel(paint, x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row))                # 48 * 3 bytes: already a multiple of 4
    image = b''.join(rows)
    header = struct.pack('<2sIHHI', b'BM', 14 + 40 + len(image), 0, 0, 14 + 40)
    info = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    return header + info + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), '..', 'resources', 'LANGUAGE')
    os.makedirs(out, exist_ok=True)
    for name, paint in FLAGS.items():
        with open(os.path.join(out, name + '.bmp'), 'wb') as f:
            f.write(bmp(paint))


if __name__ == '__main__':
    main()
