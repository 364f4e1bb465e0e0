#!/usr/bin/env python3
"""Writes morvane.ico: a 32x32 sheet of paper with printed lines coming out
of a printer, 32 bits per pixel. Standard library only; run it from res/."""
import struct

SIZE = 32
TRANSPARENT = (0, 0, 0, 0)
OUTLINE = (64, 64, 64, 255)
PAPER = (255, 255, 255, 255)
INK = (0, 0, 132, 255)          # the program's text blue, COLORREF 0x840000
BODY = (198, 195, 198, 255)     # the window background grey
SLOT = (32, 32, 32, 255)


def picture():
    px = [[TRANSPARENT] * SIZE for _ in range(SIZE)]

    def rect(x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                px[y][x] = colour

    # The sheet, then the printer body across its lower part.
    rect(7, 1, 25, 22, OUTLINE)
    rect(8, 2, 24, 22, PAPER)
    for y in (5, 8, 11, 14):
        rect(10, y, 22 if y != 14 else 17, y + 1, INK)
    rect(1, 18, 31, 30, OUTLINE)
    rect(2, 19, 30, 29, BODY)
    rect(6, 21, 26, 23, SLOT)
    rect(24, 25, 28, 27, (0, 160, 0, 255))
    return px


def ico_bytes(px):
    # BMP rows bottom-up, BGRA, followed by an all-zero AND mask (alpha decides).
    xor = b"".join(
        struct.pack("BBBB", b, g, r, a)
        for row in reversed(px)
        for (r, g, b, a) in row
    )
    mask_row = (SIZE + 31) // 32 * 4
    and_mask = b"\x00" * (mask_row * SIZE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open("morvane.ico", "wb") as f:
        f.write(ico_bytes(picture()))
