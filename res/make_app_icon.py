#!/usr/bin/env python3
"""Writes the Linux icon of morvane's window in the hicolor theme's layout:
icons/hicolor/NxN/apps/ID.png for each size and icons/hicolor/scalable/apps/
ID.svg, ID being the window's application id. The picture is morvane.ico's
(a sheet with printed lines coming out of a printer), drawn on its 32-unit
grid and scaled: each pixel is covered by the rectangles in proportion to
the area they share with it, so that small sizes stay smooth. Standard
library only; run it from res/."""
import os
import struct
import zlib

APP_ID = "org.morvane.Morvane"
SIZES = (16, 24, 32, 48, 64, 128, 256)
GRID = 32

OUTLINE = (64, 64, 64)
PAPER = (255, 255, 255)
INK = (0, 0, 132)       # the program's text blue, COLORREF 0x840000
BODY = (198, 195, 198)  # the window background grey
SLOT = (32, 32, 32)
LAMP = (0, 160, 0)

# Painted in order, each over the ones before: (x0, y0, x1, y1, colour).
RECTS = [
    (7, 1, 25, 22, OUTLINE), (8, 2, 24, 22, PAPER),
    (10, 5, 22, 6, INK), (10, 8, 22, 9, INK), (10, 11, 22, 12, INK), (10, 14, 17, 15, INK),
    (1, 18, 31, 30, OUTLINE), (2, 19, 30, 29, BODY),
    (6, 21, 26, 23, SLOT), (24, 25, 28, 27, LAMP),
]


def overlap(a0, a1, b0, b1):
    return max(0.0, min(a1, b1) - max(a0, b0))


def picture(size):
    """Rows of (r, g, b, a) pixels, straight (not premultiplied) alpha."""
    unit = GRID / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            # Premultiplied sums while compositing, "over" one rectangle at a time.
            r = g = b = a = 0.0
            x0, y0 = px * unit, py * unit
            for (rx0, ry0, rx1, ry1, (cr, cg, cb)) in RECTS:
                cover = overlap(x0, x0 + unit, rx0, rx1) * overlap(y0, y0 + unit, ry0, ry1) / (unit * unit)
                r, g, b = (r * (1 - cover) + cr * cover, g * (1 - cover) + cg * cover, b * (1 - cover) + cb * cover)
                a = a * (1 - cover) + cover
            if a <= 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(r / a), round(g / a), round(b / a), round(a * 255)))
        rows.append(row)
    return rows


def png_bytes(rows):
    size = len(rows)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\0" + b"".join(struct.pack("BBBB", *p) for p in row) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def svg_text():
    shapes = "\n".join(
        '  <rect x="%d" y="%d" width="%d" height="%d" fill="#%02x%02x%02x"/>' % (x0, y0, x1 - x0, y1 - y0, *c)
        for (x0, y0, x1, y1, c) in RECTS)
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">\n%s\n</svg>\n'
            % (GRID * 4, GRID * 4, GRID, GRID, shapes))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    for n in SIZES:
        write("icons/hicolor/%dx%d/apps/%s.png" % (n, n, APP_ID), png_bytes(picture(n)))
    write("icons/hicolor/scalable/apps/%s.svg" % APP_ID, svg_text().encode())
