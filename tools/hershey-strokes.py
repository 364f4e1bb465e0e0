#!/usr/bin/env python3
"""Writes src/gfx/strokes/stroke_glyphs.cpp, the plotter's single-stroke
characters, from a Hershey font file in James Hurt's format (Debian package
hershey-fonts-data: /usr/share/hershey-fonts/futural.jhf, the simplex face).

The table is made once and kept in the source tree: the Windows build and
machines without the package build from it, and the data never changes.

usage: hershey-strokes.py [--check] [FONT.jhf] [OUTPUT.cpp]
  --check  exit 1 (saying so) when OUTPUT differs from what FONT gives.
Standard library only; the output is the same on every run.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEFAULT_FONT = "/usr/share/hershey-fonts/futural.jhf"
DEFAULT_OUTPUT = os.path.join(HERE, "..", "src", "gfx", "strokes", "stroke_glyphs.cpp")
FIRST, LAST = 0x20, 0x7E  # the printable characters; the font's 96th is DEL
BASELINE = 9              # Hershey y of the baseline (y runs down)
PEN_UP = -128

ACKNOWLEDGEMENT = """\
// The Hershey Fonts were originally created by Dr. A. V. Hershey while
// working at the U. S. National Bureau of Standards.
// The format of the Font data in this distribution was originally created by
//   James Hurt, Cognition, Inc., 900 Technology Park Drive, Billerica, MA 01821
//   (mit-eddie!ci-dandelion!hurt)"""


def glyphs(path):
    """Per character: (left, right, [polyline, ...]) in font units, x from
    the centre line, y up from the baseline."""
    out = []
    with open(path, "r", encoding="ascii") as f:
        records = [line.rstrip("\r\n") for line in f if line.strip()]
    for record in records:
        count = int(record[5:8])
        body = record[8:]
        if len(body) != 2 * count:
            raise SystemExit(f"{path}: a record of {count} pairs has {len(body)} characters")
        pairs = [(body[i], body[i + 1]) for i in range(0, len(body), 2)]
        left, right = ord(pairs[0][0]) - ord("R"), ord(pairs[0][1]) - ord("R")
        lines, current = [], []
        for a, b in pairs[1:]:
            if (a, b) == (" ", "R"):
                if current:
                    lines.append(current)
                current = []
                continue
            current.append((ord(a) - ord("R"), BASELINE - (ord(b) - ord("R"))))
        if current:
            lines.append(current)
        out.append((left, right, lines))
    if len(out) < LAST - FIRST + 1:
        raise SystemExit(f"{path}: {len(out)} characters, {LAST - FIRST + 1} wanted")
    return out[: LAST - FIRST + 1]


def source(font_path):
    table = glyphs(font_path)
    points, starts, bounds = [], [], []
    for left, right, lines in table:
        starts.append(len(points))
        bounds.append((left, right))
        for k, line in enumerate(lines):
            if k > 0:
                points.append((PEN_UP, PEN_UP))
            points.extend(line)
    starts.append(len(points))

    def rows(items, per_row):
        text = []
        for i in range(0, len(items), per_row):
            text.append("    " + " ".join(items[i:i + per_row]))
        return "\n".join(text)

    lines = [
        "// The plotter's single-stroke characters, 0x20 to 0x7E: made by",
        "// tools/hershey-strokes.py from the Hershey simplex face (futural.jhf of",
        "// the Debian package hershey-fonts-data). Do not edit; run the script.",
        "//",
        ACKNOWLEDGEMENT,
        '#include "gfx/strokes/stroke_font.h"',
        "",
        "namespace morvane::strokes {",
        "",
        "// Points {x, y} in font units; {kPenUp, kPenUp} lifts the pen.",
        f"const std::int8_t kGlyphPoints[{len(points)}][2] = {{",
        rows([f"{{{x}, {y}}}," for x, y in points], 8),
        "};",
        "",
        "// Character c's points are kGlyphPoints[kGlyphStart[c - 0x20]] up to the next start.",
        f"const std::uint16_t kGlyphStart[{len(starts)}] = {{",
        rows([f"{s}," for s in starts], 12),
        "};",
        "",
        "// The left and right edges of each character's cell in the face.",
        f"const std::int8_t kGlyphBounds[{len(bounds)}][2] = {{",
        rows([f"{{{l}, {r}}}," for l, r in bounds], 8),
        "};",
        "",
        "}  // namespace morvane::strokes",
        "",
    ]
    return "\n".join(lines)


def main(argv):
    check = "--check" in argv
    args = [a for a in argv if a != "--check"]
    font = args[0] if len(args) > 0 else DEFAULT_FONT
    output = args[1] if len(args) > 1 else DEFAULT_OUTPUT
    text = source(font)
    if check:
        with open(output, "r", encoding="ascii") as f:
            if f.read() != text:
                print(f"{output} is not what {font} gives: run {sys.argv[0]}")
                return 1
        return 0
    with open(output, "w", encoding="ascii") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
