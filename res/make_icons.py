#!/usr/bin/env python3
"""Writes the toolbar icons (toolbar/*.ico: 32x32 and 24x24, 16 colours)
and the splash picture (splash.bmp: 436x402, 24 bits per pixel). Standard
library only; run it from res/. The pictures are drawn here from
rectangles, lines and polygons, so they can be changed and written again at
any time."""
import struct

SIZE = 32

# The 16 standard colours of a 4-bit icon, (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
CLEAR = None  # transparent: AND mask bit set


class Canvas:
    """Drawing in the coordinates of a picture `scale` times the canvas's size
    (the icons are drawn on a 32-pixel grid at every size); outlines stay one
    pixel wide and nothing drawn shrinks to nothing."""

    def __init__(self, width, height, fill, scale=1):
        self.width, self.height, self.scale = width, height, scale
        self.px = [[fill] * width for _ in range(height)]

    def at(self, v):
        return int(v * self.scale + 0.5)

    def span(self, v0, v1):
        """[v0, v1) on the canvas, at least one pixel when v1 > v0."""
        a, b = self.at(v0), self.at(v1)
        return a, (max(b, a + 1) if v1 > v0 else b)

    def put(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = c

    def fill(self, x0, y0, x1, y1, c):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, c)

    def rect(self, x0, y0, x1, y1, c):
        """Fills [x0, x1) x [y0, y1)."""
        (a, b), (d, e) = self.span(x0, x1), self.span(y0, y1)
        self.fill(a, d, b, e, c)

    def box(self, x0, y0, x1, y1, fill, edge):
        (a, b), (d, e) = self.span(x0, x1), self.span(y0, y1)
        self.fill(a, d, b, e, edge)
        self.fill(a + 1, d + 1, b - 1, e - 1, fill)

    def line(self, x0, y0, x1, y1, c):
        self.pixel_line(self.at(x0), self.at(y0), self.at(x1), self.at(y1), c)

    def pixel_line(self, x0, y0, x1, y1, c):
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.put(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def polygon(self, pts, fill, edge=None):
        """Even-odd scanline fill through pixel centres, then the outline."""
        pts = [(x * self.scale, y * self.scale) for x, y in pts]
        for y in range(self.height):
            yc = y + 0.5
            xs = []
            for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]):
                if (y0 <= yc < y1) or (y1 <= yc < y0):
                    xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for a, b in zip(xs[::2], xs[1::2]):
                for x in range(int(a + 0.5), int(b + 0.5)):
                    self.put(x, y, fill)
        if edge is not None:
            for (x0, y0), (x1, y1) in zip(pts, pts[1:] + pts[:1]):
                self.pixel_line(round(x0), round(y0), round(x1), round(y1), edge)


# ---- icons ---------------------------------------------------------------

def sheet(c, text):
    """A sheet of paper with a folded corner, optionally printed."""
    c.polygon([(6, 2), (21, 2), (26, 7), (26, 30), (6, 30)], WHITE, BLACK)
    c.polygon([(21, 2), (21, 7), (26, 7)], SILVER, BLACK)
    if text:
        for y in range(10, 28, 3):
            c.rect(9, y, 24 if y % 2 else 19, y + 1, NAVY)


def pen(c, colour):
    """A pen lying diagonally, tip at the bottom left."""
    body = [(26, 2), (30, 6), (12, 24), (8, 20)]
    c.polygon(body, colour, BLACK)
    c.polygon([(26, 2), (30, 6), (28, 8), (24, 4)], GREY, BLACK)   # cap end
    c.polygon([(8, 20), (12, 24), (5, 27)], SILVER, BLACK)         # cone
    c.rect(3, 27, 6, 30, colour)                                    # point
    c.line(2, 30, 5, 27, BLACK)


def printer(c, paper):
    if paper:
        c.box(8, 1, 24, 16, WHITE, BLACK)
        for y in (4, 7, 10):
            c.rect(10, y, 22 if y != 10 else 17, y + 1, NAVY)
    c.box(1, 14, 31, 29, SILVER, BLACK)
    c.rect(2, 15, 30, 16, WHITE)           # light top edge
    c.box(5, 16, 27, 20, GREY, BLACK)      # paper slot
    c.rect(22, 23, 26, 26, LIME)           # power lamp
    c.rect(5, 24, 18, 25, GREY)
    c.rect(3, 29, 7, 31, BLACK)            # feet
    c.rect(25, 29, 29, 31, BLACK)


def plotter(c):
    c.box(1, 10, 31, 30, SILVER, BLACK)    # bed
    c.box(4, 13, 28, 27, WHITE, GREY)      # sheet
    c.line(6, 24, 12, 16, RED)
    c.line(12, 16, 18, 22, BLUE)
    c.line(18, 22, 25, 15, GREEN)
    c.rect(1, 6, 31, 9, GREY)              # pen carriage rail
    for x, col in ((5, BLACK), (11, NAVY), (17, GREEN), (23, RED)):
        c.box(x, 1, x + 5, 9, col, BLACK)
        c.rect(x + 2, 9, x + 3, 11, BLACK)


def plug(c, plugged):
    c.box(1, 6, 12, 26, SILVER, BLACK)     # wall socket
    c.rect(4, 11, 12, 13, BLACK)
    c.rect(4, 19, 12, 21, BLACK)
    x = 12 if plugged else 18
    if not plugged:
        c.rect(x - 6, 11, x, 13, SILVER)   # bare prongs
        c.rect(x - 6, 19, x, 21, SILVER)
        c.line(x - 6, 11, x - 6, 12, GREY)
        c.line(x - 6, 19, x - 6, 20, GREY)
    c.box(x, 7, x + 8, 25, GREEN if plugged else MAROON, BLACK)
    c.rect(x + 8, 14, 32, 18, BLACK)       # cable
    if not plugged:                        # spark of a broken circuit
        c.line(14, 4, 16, 8, RED)
        c.line(16, 8, 14, 10, RED)


GREYED = {BLACK: GREY, WHITE: WHITE, SILVER: SILVER, GREY: GREY}


def greyed(c):
    """Every colour but white and silver turns grey; outlines go grey too."""
    for row in c.px:
        for x, col in enumerate(row):
            if col is not CLEAR:
                row[x] = GREYED.get(col, SILVER) if col not in (BLACK, NAVY) else GREY


def icon(draw, grey=False, size=SIZE):
    c = Canvas(size, size, CLEAR, size / SIZE)
    draw(c)
    if grey:
        greyed(c)
    return c


# Each icon holds a 32-pixel picture and the 24-pixel one the toolbar's
# 30-pixel buttons draw inside their frames.
SIZES = (SIZE, 24)


ICONS = {
    116: ("blank_sheet", lambda c: sheet(c, False), False),
    117: ("pen_black", lambda c: pen(c, BLACK), False),
    118: ("pen_blue", lambda c: pen(c, NAVY), False),
    119: ("pen_green", lambda c: pen(c, GREEN), False),
    120: ("pen_red", lambda c: pen(c, RED), False),
    121: ("printer_paper", lambda c: printer(c, True), False),
    122: ("page_text", lambda c: sheet(c, True), False),
    123: ("printer", lambda c: printer(c, False), False),
    124: ("plotter", plotter, False),
    125: ("plug_out", lambda c: plug(c, False), False),
    126: ("plug_in", lambda c: plug(c, True), False),
    129: ("pen_grey", lambda c: pen(c, BLACK), True),
    130: ("printer_grey", lambda c: printer(c, True), True),
    131: ("page_grey", lambda c: sheet(c, True), True),
}


def image_bytes(c):
    """One 4-bit icon image: header, palette, colour rows and mask rows,
    bottom-up, each row padded to 4 bytes."""
    size = c.width
    xor_row = (size * 4 + 31) // 32 * 4
    mask_row = (size + 31) // 32 * 4
    xor = bytearray()
    mask = bytearray()
    for row in reversed(c.px):
        idx = [0 if p is CLEAR else p for p in row] + [0]
        line = bytes((idx[i] << 4) | idx[i + 1] for i in range(0, size, 2))
        xor += line + b"\x00" * (xor_row - len(line))
        bits = 0
        for p in row:
            bits = (bits << 1) | (1 if p is CLEAR else 0)
        bits <<= mask_row * 8 - size
        mask += bits.to_bytes(mask_row, "big")
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    return header + palette + bytes(xor) + bytes(mask)


def ico_bytes(canvases):
    images = [image_bytes(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, image in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.width, c.width, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


# ---- splash picture --------------------------------------------------------

FONT = {  # 5 x 7 capitals, one string per row
    "A": ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    "E": ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    "I": ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    "L": ["10000", "10000", "10000", "10000", "10000", "10000", "11111"],
    "M": ["10001", "11011", "10101", "10101", "10001", "10001", "10001"],
    "N": ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    "O": ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    "P": ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    "R": ["11110", "10001", "10001", "11110", "10100", "10010", "10001"],
    "T": ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    "U": ["10001", "10001", "10001", "10001", "10001", "10001", "01110"],
    "V": ["10001", "10001", "10001", "10001", "10001", "01010", "00100"],
    "4": ["00010", "00110", "01010", "10010", "11111", "00010", "00010"],
    "9": ["01110", "10001", "10001", "01111", "00001", "00010", "01100"],
    "-": ["00000", "00000", "00000", "11111", "00000", "00000", "00000"],
    "/": ["00001", "00010", "00010", "00100", "01000", "01000", "10000"],
    " ": ["00000"] * 7,
}


def text(c, s, x, y, scale, colour, shadow=None):
    for ch in s:
        for row, bits in enumerate(FONT[ch]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    if shadow:
                        c.rect(x + col * scale + 3, y + row * scale + 3,
                               x + (col + 1) * scale + 3, y + (row + 1) * scale + 3, shadow)
                    c.rect(x + col * scale, y + row * scale,
                           x + (col + 1) * scale, y + (row + 1) * scale, colour)
        x += 6 * scale


def text_width(s, scale):
    return len(s) * 6 * scale - scale


def splash():
    w, h = 436, 402
    c = Canvas(w, h, (198, 195, 198))
    for y in range(h):                         # soft blue-grey backdrop
        shade = 230 - y * 50 // h
        c.rect(0, y, w, y + 1, (shade - 20, shade - 10, shade))
    title = "MORVANE"
    text(c, title, (w - text_width(title, 9)) // 2, 22, 9, (132, 0, 0), (60, 60, 90))
    sub = "TI-99/4A PRINTER EMULATOR"
    text(c, sub, (w - text_width(sub, 2)) // 2, 104, 2, (0, 0, 132))
    # The printer: paper coming out of a dot-matrix printer.
    ink = (0, 0, 132)
    c.box(138, 140, 298, 290, (255, 255, 255), (40, 40, 40))     # sheet
    for i, y in enumerate(range(156, 280, 14)):
        c.rect(154, y, 282 - (i % 3) * 30, y + 4, ink)
    for y in range(146, 290, 12):                                # tractor holes
        c.rect(143, y, 148, y + 5, (180, 180, 180))
        c.rect(288, y, 293, y + 5, (180, 180, 180))
    c.box(78, 270, 358, 370, (198, 195, 198), (40, 40, 40))      # body
    c.rect(79, 271, 357, 275, (240, 240, 240))
    c.box(110, 282, 326, 298, (90, 90, 90), (40, 40, 40))        # slot
    c.box(300, 330, 318, 344, (0, 200, 0), (40, 40, 40))         # lamp
    c.box(96, 330, 200, 336, (150, 150, 150), (150, 150, 150))
    c.box(60, 300, 78, 330, (150, 150, 150), (40, 40, 40))       # platen knobs
    c.box(358, 300, 376, 330, (150, 150, 150), (40, 40, 40))
    c.rect(92, 370, 122, 380, (40, 40, 40))                      # feet
    c.rect(314, 370, 344, 380, (40, 40, 40))
    return c


def bmp_bytes(c):
    row_size = (c.width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(c.px):
        line = b"".join(struct.pack("BBB", b, g, r) for (r, g, b) in row)
        pixels += line + b"\x00" * (row_size - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, c.width, c.height, 1, 24, 0, len(pixels),
                       2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + bytes(pixels)


if __name__ == "__main__":
    for number, (name, draw, grey) in ICONS.items():
        with open(f"toolbar/{name}.ico", "wb") as f:
            f.write(ico_bytes([icon(draw, grey, size) for size in SIZES]))
    with open("splash.bmp", "wb") as f:
        f.write(bmp_bytes(splash()))
