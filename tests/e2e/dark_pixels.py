#!/usr/bin/env python3
"""Counts the dark pixels of a rectangle in a binary PPM (P6, 8 or 16 bits).

usage: dark_pixels.py IMAGE.ppm X0 Y0 X1 Y1 [RRGGBB]
Prints the number of dark pixels in [X0,X1) x [Y0,Y1); a pixel is dark when
each of its channels is below 40% of full scale. With RRGGBB it counts the
pixels of that colour instead (each channel within 8 of it, on 0..255).
The rectangle is clipped to the image. Standard library only."""
import sys


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6":
        raise SystemExit(f"{path}: not a binary PPM")
    width, height, maxval = int(fields[1]), int(fields[2]), int(fields[3])
    return data[pos + 1:], width, height, maxval


def main():
    if len(sys.argv) not in (6, 7):
        raise SystemExit(__doc__)
    pixels, width, height, maxval = read_ppm(sys.argv[1])
    x0, y0, x1, y1 = (int(v) for v in sys.argv[2:6])
    x0, y0 = max(x0, 0), max(y0, 0)
    x1, y1 = min(x1, width), min(y1, height)
    size = 2 if maxval > 255 else 1
    limit = maxval * 0.4
    want = None
    if len(sys.argv) == 7:
        want = [int(sys.argv[6][i:i + 2], 16) * maxval / 255 for i in (0, 2, 4)]
    near = 8 * maxval / 255
    count = 0
    for y in range(y0, y1):
        row = (y * width) * 3 * size
        for x in range(x0, x1):
            at = row + x * 3 * size
            channels = [int.from_bytes(pixels[at + c * size:at + (c + 1) * size], "big")
                        for c in range(3)]
            if want is None:
                count += all(v < limit for v in channels)
            else:
                count += all(abs(v - w) <= near for v, w in zip(channels, want))
    print(count)


if __name__ == "__main__":
    main()
