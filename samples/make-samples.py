#!/usr/bin/env python3
"""Writes the sample byte streams of this directory.

Each sample is what a TI-99/4A would send to its printer:

  listing.bin   dot-matrix text: every print style, tab stops, a BASIC listing
                (two pages; the second ends without a form feed)
  banner.bin    dot-matrix bit images: a dot test strip and a banner in
                block letters made of 8-dot strips (one page)
  plotter.bin   plotter drawing in four pens, a dashed line and labels in all
                four directions, then text in the four pens (one page)
  styles.bin    dot-matrix text: the whole character set, every print style
                and a bit-image wave (one page), to be seen with --face dots
  labels.bin    a plotter program written for the device's own labels: four
                dashed lines each followed by a label, stepping back by the
                line's length and the label's; "A" in the sixteen sizes; labels
                in four directions around one point; then text (one page), to
                be seen with --plotter-face strokes

Run: python3 samples/make-samples.py [OUTPUT_DIR]   (default: this directory)
Standard library only; the output is the same on every run.
"""

import math
import os
import sys

ESC, SO, SI, DC2, DC4, HT, FF = b"\x1b", b"\x0e", b"\x0f", b"\x12", b"\x14", b"\x09", b"\x0c"
CRLF = b"\r\n"


def esc(cmd, *params):
    return ESC + cmd.encode("ascii") + bytes(params)


# --- listing.bin ------------------------------------------------------------

def listing():
    out = bytearray()
    line = lambda *parts: out.extend(b"".join(parts) + CRLF)
    line(esc("W", 1), esc("E"), b"PRINT STYLES", esc("F"), esc("W", 0))
    line()
    line(b"Normal text 0123456789")
    line(esc("E"), b"Emphasized", esc("F"), b" and back to normal")
    line(esc("G"), b"Double strike", esc("H"))
    line(esc("-", 1), b"Underlined", esc("-", 0))
    line(SI, b"Condensed print, half-width characters", DC2)
    line(SO, b"Double width")
    line(SO, b"Double width", DC4, b" cancelled by DC4")
    line(esc("W", 1), b"Expanded", esc("W", 0))
    line(b"E = mc", esc("S", 0), b"2", esc("T"), b" (superscript)")
    line(b"H", esc("S", 1), b"2", esc("T"), b"O (subscript)")
    line(esc("E"), SI, b"Emphasized cancels condensed", DC2, esc("F"))
    line()
    line(b"Tabs:", HT, b"8", HT, b"16", HT, b"24", HT, b"32")
    out += esc("D", 12, 30, 44, 0)  # new stops at columns 12, 30, 44
    line(b"Stops:", HT, b"12", HT, b"30", HT, b"44")
    out += esc("D", *range(8, 129, 8), 0)  # the power-on stops again
    out += FF
    line(esc("E"), b"BASIC LISTING", esc("F"))
    line()
    program = [
        (100, "REM  MORVANE SAMPLE"),
        (110, "CALL CLEAR"),
        (120, 'PRINT "HELLO FROM THE TI-99/4A"'),
        (130, "FOR I=1 TO 10"),
        (140, "PRINT I,I*I,SQR(I)"),
        (150, "NEXT I"),
        (160, 'OPEN #1:"RS232.BA=9600"'),
        (170, 'PRINT #1:"PRINTED"'),
        (180, "CLOSE #1"),
        (190, "END"),
    ]
    for number, statement in program:
        line(str(number).encode("ascii"), HT, statement.encode("ascii"))
    return bytes(out)  # no form feed: the run's end prints the page


# --- banner.bin -------------------------------------------------------------

# 5 x 7 block letters, one string per row, "#" a dot.
GLYPHS = {
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "-": [".....", ".....", ".....", "#####", ".....", ".....", "....."],
    "9": [".###.", "#...#", "#...#", ".####", "....#", "...#.", ".##.."],
    "/": [".....", "....#", "...#.", "..#..", ".#...", "#....", "....."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    " ": ["....."] * 7,
}

# The dot test strip: top dot only, bottom dot only, full, empty, alternating.
TEST_COLUMNS = [128, 1, 255, 0, 0x55, 0xAA, 0x81, 0x18]


def banner_rows(text, scale):
    """The banner as rows of dots (lists of 0/1), scale x scale per font dot."""
    rows = []
    for r in range(7):
        row = []
        for ch in text:
            for c in GLYPHS[ch][r]:
                row += [1 if c == "#" else 0] * scale
            row += [0] * scale  # letter spacing
        rows += [row] * scale
    return rows


def strips(rows):
    """8-dot strips of column bytes, bit 7 the top dot."""
    while len(rows) % 8:
        rows.append([0] * len(rows[0]))
    for top in range(0, len(rows), 8):
        cols = []
        for x in range(len(rows[0])):
            byte = 0
            for r in range(8):
                if rows[top + r][x]:
                    byte |= 0x80 >> r
            cols.append(byte)
        yield cols


def bit_image(cmd, columns):
    n = len(columns)
    return esc(cmd, n & 0xFF, n >> 8) + bytes(columns)


def banner():
    out = bytearray()
    out += b"Dot test strip:" + CRLF
    out += bit_image("K", TEST_COLUMNS) + CRLF
    out += CRLF
    for text, cmd in (("TI-99/4A", "L"), ("MORVANE", "Z")):
        for cols in strips(banner_rows(text, 5)):
            out += bit_image(cmd, cols) + CRLF
        out += CRLF
    out += b"Two images side by side:" + CRLF
    out += bit_image("K", [0xFF, 0x81] * 10) + bit_image("K", [0x3C] * 20) + CRLF
    out += FF
    return bytes(out)


# --- plotter.bin --------------------------------------------------------------

def plotter():
    lines = []
    cmd = lines.append
    # Black square with blue diagonals, in steps of 1/120 inch from the origin.
    cmd("C0,L0")
    cmd("M0,0")
    cmd("D800,0,800,-800,0,-800,0,0")
    cmd("C1")
    cmd("M0,0")
    cmd("D800,-800")
    cmd("M800,0")
    cmd("D0,-800")
    # Green triangle.
    cmd("C2")
    cmd("M400,-100")
    cmd("D700,-600,100,-600,400,-100")
    # Red circle of 36 chords.
    cmd("C3")
    points = [(400 + round(200 * math.cos(2 * math.pi * k / 36)),
               -400 + round(200 * math.sin(2 * math.pi * k / 36))) for k in range(37)]
    cmd("M%d,%d" % points[0])
    for k in range(1, 37, 6):
        cmd("D" + ",".join("%d,%d" % p for p in points[k:k + 6]))
    # A dashed line, then solid again.
    cmd("C0,L3")
    cmd("M0,-850")
    cmd("D800,-850")
    cmd("L0")
    # Labels in the four directions, each pen once.
    for pen, q, x, y, text in ((3, 0, 0, -900, "RIGHT"), (1, 1, 850, -100, "DOWN"),
                               (2, 2, 800, -960, "LEFT"), (0, 3, 930, -700, "UP")):
        cmd("Q%d" % q)
        cmd("C%d" % pen)
        cmd("M%d,%d" % (x, y))
        cmd("P" + text)
    cmd("Q0")
    cmd("A")
    body = ESC + b"#" + b"".join(c.encode("ascii") + CRLF for c in lines)
    # Text mode: the line after A must begin with a letter.
    body += b"Pens: "
    for pen, name in ((1, b"blue "), (2, b"green "), (3, b"red "), (0, b"black")):
        body += ESC + b"C" + str(pen).encode("ascii") + CRLF + name
    body += CRLF + FF
    return body


# --- styles.bin ---------------------------------------------------------------

CHARSET = bytes(range(0x20, 0x7F))
FOX = b"The quick brown fox jumps"


def wave_strips(columns=240, rows=24):
    """A sine wave two dots thick across `rows` dot rows, as 8-dot strips."""
    dots = [[0] * columns for _ in range(rows)]
    for x in range(columns):
        y = round((rows - 2) / 2 * (1 - math.sin(2 * math.pi * x / 120)))
        dots[y][x] = dots[y + 1][x] = 1
    return list(strips(dots))


def styles():
    out = bytearray()
    line = lambda *parts: out.extend(b"".join(parts) + CRLF)
    line(esc("W", 1), esc("E"), b"MORVANE 9-PIN", esc("F"), esc("W", 0))
    line()
    line(CHARSET[:48])
    line(CHARSET[48:])
    line()
    line(b"Normal        ", FOX)
    line(esc("E"), b"Emphasized    ", FOX, esc("F"))
    line(esc("G"), b"Double strike ", FOX, esc("H"))
    line(esc("E"), esc("G"), b"Both          ", FOX, esc("H"), esc("F"))
    line(esc("-", 1), b"Underlined    ", FOX, esc("-", 0))
    line(SI, b"Condensed     ", FOX, b" over the lazy dog 0123456789", DC2)
    line(SO, b"Double width")
    line(esc("W", 1), b"Expanded", esc("W", 0))
    line(b"Superscript   x", esc("S", 0), b"2", esc("T"), b" + y", esc("S", 0), b"2", esc("T"))
    line(b"Subscript     H", esc("S", 1), b"2", esc("T"), b"O and CO", esc("S", 1), b"2", esc("T"))
    line()
    line(b"Bit image:")
    for cols in wave_strips():
        out += bit_image("L", cols) + CRLF
    out += FF
    return bytes(out)


# --- labels.bin ---------------------------------------------------------------

def pitch(size):
    """Steps from one character to the next at a character size."""
    return 6 * (size + 1)


def labels():
    lines = []
    cmd = lines.append
    cmd("S3")
    cmd("M40,-50")
    cmd("PPEN LABELS")
    # The lines: each label follows its line, then the pen goes back by both.
    cmd("S1")
    cmd("M40,-110")
    for pen, name in ((0, " Black"), (1, " Blue"), (2, " Green"), (3, " Red")):
        cmd("C%d,L%d" % (pen, 3 + 2 * pen))
        cmd("J360,0")
        cmd("P" + name)
        cmd("R-%d,-30" % (360 + pitch(1) * len(name)))
    # Four directions around one point, marked by a cross.
    cmd("C0,L0")
    cmd("M660,-150")
    cmd("D700,-150")
    cmd("M680,-130")
    cmd("D680,-170")
    for q, pen, text in ((0, 3, " EAST"), (1, 1, " SOUTH"), (2, 2, " WEST"), (3, 0, " NORTH")):
        cmd("Q%d" % q)
        cmd("C%d" % pen)
        cmd("M680,-150")
        cmd("P" + text)
    # "A" in every size, each one after the last, on one line.
    cmd("Q0,C0")
    cmd("M40,-400")
    for size in range(16):
        cmd("S%d" % size)
        cmd("PA")
    cmd("S1")
    cmd("M0,-440")
    cmd("A")
    body = ESC + b"#" + b"".join(c.encode("ascii") + CRLF for c in lines)
    # Text mode: the line after A must begin with a letter.
    body += b"Text mode keeps its lines and columns." + CRLF
    body += b"The quick brown fox jumps over the lazy dog." + CRLF + FF
    return body


SAMPLES = {"listing.bin": listing, "banner.bin": banner, "plotter.bin": plotter, "styles.bin": styles,
           "labels.bin": labels}


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out_dir, exist_ok=True)
    for name, make in SAMPLES.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(make())


if __name__ == "__main__":
    main()
