#!/usr/bin/env python3
"""End-to-end tests of the morvane command-line program.

Runs the built program on the samples and on live channels and checks the
PDF (page count, text, pixels rendered at 100 dpi, one pixel per page unit),
the PNG pages, the reports and the exit status of every error path.

Usage: cli_e2e.py MORVANE SERIAL_PEER SOURCE_DIR [unittest options]
"""

import importlib.util
import os
import pty
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import unittest
import zlib

MORVANE = SERIAL_PEER = SOURCE_DIR = PY_PEER = None

ESC, SO, CRLF, FF = b"\x1b", b"\x0e", b"\r\n", b"\x0c"
MARGIN = 25        # 150 pixels at 600 dpi
LINE = 27          # Courier New at -24: tmHeight + tmExternalLeading
CHAR = 14          # its tmMaxCharWidth


def esc(cmd, *params):
    return ESC + cmd.encode("ascii") + bytes(params)


def load_samples_module():
    path = os.path.join(SOURCE_DIR, "samples", "make-samples.py")
    loader_info = importlib.util.spec_from_file_location("make_samples", path)
    module = importlib.util.module_from_spec(loader_info)
    loader_info.loader.exec_module(module)
    return module


# --- images -------------------------------------------------------------------

class Image:
    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def box(self, x0, y0, x1, y1):
        for y in range(max(0, y0), min(self.height, y1)):
            for x in range(max(0, x0), min(self.width, x1)):
                yield self.pixel(x, y)


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
    w, h = int(m.group(1)), int(m.group(2))
    return Image(w, h, data[m.end():m.end() + w * h * 3])


def read_png(path):
    """8-bit RGB or RGBA PNG, any filter, as cairo and our writer make them."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat, w = 8, b"", 0
    while pos < len(data):
        n = int.from_bytes(data[pos:pos + 4], "big")
        kind, body = data[pos + 4:pos + 8], data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            w, h, depth, colour = int.from_bytes(body[0:4], "big"), int.from_bytes(body[4:8], "big"), body[8], body[9]
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    assert depth == 8 and colour in (2, 6)
    bpp = 3 if colour == 2 else 4
    raw, stride = zlib.decompress(idat), w * bpp
    out, prev = bytearray(), bytearray(stride)
    for y in range(h):
        f, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b, c = prev[i], prev[i - bpp] if i >= bpp else 0
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        for x in range(w):
            out += line[x * bpp:x * bpp + 3]
        prev = line
    return Image(w, h, bytes(out))


def is_dark(p):
    return max(p) < 110


def is_white(p):
    return min(p) > 220


def colour_class(p):
    r, g, b = p
    if max(p) < 110:
        return "black"
    if b > r + 50 and b > g + 50:
        return "blue"
    if g > r + 50 and g > b + 50:
        return "green"
    if r > g + 50 and r > b + 50:
        return "red"
    return "other"


# --- running the program ---------------------------------------------------------

class Case(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="morvane-cli-")
        # The user's own settings file is the test's, never the tester's.
        self.config = os.path.join(self.dir, "config")
        os.environ["XDG_CONFIG_HOME"] = self.config
        # Letter unless a test says otherwise, whatever this system's paper is.
        os.environ["PAPERSIZE"] = "letter"

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def sample(self, name):
        return os.path.join(SOURCE_DIR, "samples", name)

    def run_morvane(self, *args, stdin=None, timeout=30, env=None):
        return subprocess.run([MORVANE, *args], cwd=self.dir, input=stdin, capture_output=True, timeout=timeout,
                              env=env)

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)
        return self.path(name)

    def user_settings(self, data):
        """The settings file morvane reads without --settings."""
        os.makedirs(os.path.join(self.config, "morvane"), exist_ok=True)
        path = os.path.join(self.config, "morvane", "Morvane.ini")
        with open(path, "wb") as f:
            f.write(data)
        return path

    def pdf_pages(self, pdf):
        out = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
        return int(re.search(r"Pages:\s+(\d+)", out).group(1))

    def pdf_text(self, pdf):
        return subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True, check=True).stdout

    def raster(self, pdf, page, dpi=100):
        prefix = self.path("r%d" % page)
        subprocess.run(["pdftoppm", "-r", str(dpi), "-f", str(page), "-l", str(page), "-singlefile", pdf, prefix], check=True)
        return read_ppm(prefix + ".ppm")

    def render(self, *inputs, extra=()):
        pdf = self.path("out.pdf")
        r = self.run_morvane("render", *inputs, "--pdf", pdf, *extra)
        self.assertEqual(r.returncode, 0, r.stderr.decode())
        return pdf

    def assert_failure(self, result, status, *words):
        err = result.stderr.decode()
        self.assertEqual(result.returncode, status, err)
        lines = [l for l in err.splitlines() if l.strip()]
        self.assertTrue(lines, "no message")
        self.assertTrue(lines[0].startswith("morvane: "), err)
        for w in words:
            self.assertIn(w, err)


def ink_profile(img):
    """The rows and the columns that hold ink: anything darker or more colourful
    than the sheet's light grey margin frame."""
    rows, cols = set(), set()
    for y in range(img.height):
        row = img.rgb[y * img.width * 3:(y + 1) * img.width * 3]
        for x in range(img.width):
            if min(row[3 * x:3 * x + 3]) < 150:
                rows.add(y)
                cols.add(x)
    return rows, cols


def unmatched(a, b, tolerance=3):
    """The positions of `a` with nothing of `b` within `tolerance`."""
    return sorted(p for p in a if not any(q in b for q in range(p - tolerance, p + tolerance + 1)))


def text_lines_with_ink(img, lines):
    """Which of the first `lines` text lines hold dark pixels."""
    inked = []
    for k in range(lines):
        top = MARGIN + k * LINE
        if any(is_dark(p) for p in img.box(MARGIN, top, 800, top + LINE)):
            inked.append(k)
    return inked


# --- samples -----------------------------------------------------------------------

class Samples(Case):
    def test_listing_pages_text_and_lines(self):
        pdf = self.render(self.sample("listing.bin"))
        self.assertEqual(self.pdf_pages(pdf), 2)
        text = self.pdf_text(pdf)
        for words in ("PRINT STYLES", "Emphasized and back to normal", "Underlined", "BASIC LISTING",
                      'PRINT #1:"PRINTED"'):
            self.assertIn(words, re.sub(r" +", " ", text))
        # Page 1: title, empty line, 11 style lines, empty line, two tab lines.
        self.assertEqual(text_lines_with_ink(self.raster(pdf, 1), 20), [0] + list(range(2, 13)) + [14, 15])
        # Page 2 (ended by the end of input): heading, empty line, ten program lines.
        page2 = self.raster(pdf, 2)
        self.assertEqual(text_lines_with_ink(page2, 20), [0] + list(range(2, 12)))
        # The statements start at the first tab stop, column 8.
        for k in range(2, 12):
            top = MARGIN + k * LINE
            self.assertTrue(any(is_dark(p) for p in page2.box(MARGIN + 8 * CHAR, top, MARGIN + 9 * CHAR, top + LINE)))
            self.assertFalse(any(is_dark(p) for p in page2.box(MARGIN + 4 * CHAR, top, MARGIN + 8 * CHAR, top + LINE)))

    def test_listing_tab_stops_on_paper(self):
        pdf = self.render(self.sample("listing.bin"))
        img = self.raster(pdf, 1)
        # "Stops:" line: the numbers begin at columns 12, 30 and 44.
        top = MARGIN + 15 * LINE
        for column in (12, 30, 44):
            x = MARGIN + column * CHAR
            self.assertTrue(any(is_dark(p) for p in img.box(x, top, x + CHAR, top + LINE)), column)
            self.assertFalse(any(is_dark(p) for p in img.box(x - 2 * CHAR, top, x, top + LINE)), column)

    def expected_banner_dots(self):
        """(x, y) -> dot for every column byte of the banner's bit images."""
        s = load_samples_module()
        dots = {}
        y = MARGIN + LINE  # line 1, below "Dot test strip:"
        for col, byte in enumerate(s.TEST_COLUMNS):
            for r in range(8):
                dots[(MARGIN + col, y + r)] = bool(byte & (0x80 >> r))
        y += 8 + LINE  # the short line feed after the strip, then the empty line
        for text in ("TI-99/4A", "MORVANE"):
            for cols in s.strips(s.banner_rows(text, 5)):
                for col, byte in enumerate(cols):
                    for r in range(8):
                        dots[(MARGIN + col, y + r)] = bool(byte & (0x80 >> r))
                y += 8
            y += LINE
        return dots

    def check_dots(self, img, dots):
        wrong = [(xy, want) for xy, want in dots.items()
                 if (not is_dark(img.pixel(*xy)) if want else not is_white(img.pixel(*xy)))]
        self.assertEqual(wrong[:10], [])

    def test_banner_dots_exact_in_pdf_and_png(self):
        png_dir = self.path("png")
        pdf = self.render(self.sample("banner.bin"), extra=("--png", png_dir))
        self.assertEqual(self.pdf_pages(pdf), 1)
        self.assertEqual(sorted(os.listdir(png_dir)), ["page-0001.png"])
        dots = self.expected_banner_dots()
        self.check_dots(self.raster(pdf, 1), dots)
        png = read_png(os.path.join(png_dir, "page-0001.png"))
        self.assertEqual((png.width, png.height), (850, 1100))
        self.check_dots(png, dots)

    def test_plotter_colours_and_labels(self):
        pdf = self.render(self.sample("plotter.bin"))
        self.assertEqual(self.pdf_pages(pdf), 1)
        img = self.raster(pdf, 1)
        page = lambda x, y: (MARGIN + x * 800 // 960, MARGIN + (30 - y) * 800 // 960)

        def colour_near(xy, want):
            x, y = xy
            return any(colour_class(p) == want for p in img.box(x - 1, y - 1, x + 2, y + 2))

        self.assertTrue(colour_near(page(300, 0), "black"))     # top edge of the square
        self.assertTrue(colour_near(page(800, -300), "black"))  # right edge
        self.assertTrue(colour_near(page(600, -600), "blue"))   # a diagonal
        self.assertTrue(colour_near(page(200, -400), "red"))    # the circle's leftmost point
        self.assertTrue(colour_near(page(250, -600), "green"))  # the triangle's base
        # The labels, each in its own pen and direction, beside their pen points.
        labels = {"red": (0, -900, CHAR, -LINE, 5 * CHAR, LINE),      # right, above the point
                  "blue": (850, -100, -LINE, 0, LINE + CHAR, 4 * CHAR),  # downwards
                  "green": (800, -960, -4 * CHAR, 0, 5 * CHAR, LINE),  # leftwards, upside down
                  "black": (930, -700, 0, -4 * CHAR, LINE, 4 * CHAR)}  # upwards
        for want, (sx, sy, dx, dy, w, h) in labels.items():
            x, y = page(sx, sy)
            found = sum(colour_class(p) == want for p in img.box(x + dx - 3, y + dy - 3, x + dx + w + 3, y + dy + h + 3))
            self.assertGreater(found, 20, want)
        # Text mode after the drawing: one word in each pen.
        text = self.pdf_text(pdf)
        self.assertIn("Pens: blue green red black", re.sub(r" +", " ", text))


# --- the dot face ------------------------------------------------------------------

class DotFace(Case):
    def pdf_fonts(self, pdf):
        out = subprocess.run(["pdffonts", pdf], capture_output=True, text=True, check=True).stdout
        return out.splitlines()[2:]

    def render_faces(self, *inputs):
        """The same input as TrueType text and as dots: (truetype PDF, dots PDF)."""
        pdfs = []
        for face in ("truetype", "dots"):
            pdf = self.path(face + ".pdf")
            r = self.run_morvane("render", *inputs, "--face", face, "--pdf", pdf)
            self.assertEqual(r.returncode, 0, r.stderr.decode())
            pdfs.append(pdf)
        return pdfs

    def line_starts(self, img, lines):
        """The column where each of the first `lines` text lines begins, None when blank."""
        starts = []
        for k in range(lines):
            top = MARGIN + k * LINE
            xs = (x for x in range(MARGIN, 850 - MARGIN) if any(is_dark(img.pixel(x, y)) for y in range(top, top + LINE)))
            first = next(xs, None)
            starts.append(None if first is None else (first - MARGIN) // CHAR)
        return starts

    def test_same_pages_lines_and_wrapping_as_truetype(self):
        # The listing's styles, and lines far longer than a line, wrapped.
        words = b" ".join(b"word%d" % i for i in range(40))
        long = self.write("long.bin", words + CRLF + esc("E") + words + esc("F") + CRLF + SO + words + FF)
        for inputs in ((self.sample("listing.bin"),), (long,)):
            truetype, dots = self.render_faces(*inputs)
            self.assertEqual(self.pdf_pages(dots), self.pdf_pages(truetype))
            self.assertTrue(self.pdf_fonts(truetype))
            self.assertEqual(self.pdf_fonts(dots), [])  # vector dots, no font
            for page in range(1, self.pdf_pages(dots) + 1):
                want, got = self.raster(truetype, page), self.raster(dots, page)
                self.assertEqual(text_lines_with_ink(got, 38), text_lines_with_ink(want, 38), (inputs, page))
                self.assertEqual(self.line_starts(got, 20), self.line_starts(want, 20), (inputs, page))

    def test_banner_dots_in_pdf_and_png(self):
        png_dir = self.path("png")
        pdf = self.render(self.sample("banner.bin"), extra=("--face", "dots", "--png", png_dir))
        dots = Samples.expected_banner_dots(self)
        # The PDF at 400 dpi, where a dot is several pixels: the middle pixel of
        # each page unit; the sheet at its own pixel per unit.
        pdf_img = self.raster(pdf, 1, dpi=400)
        png_img = read_png(os.path.join(png_dir, "page-0001.png"))
        for pixel in (lambda x, y: pdf_img.pixel(4 * x + 2, 4 * y + 2), png_img.pixel):
            wrong = []
            for (x, y), want in dots.items():
                if want and not is_dark(pixel(x, y)):
                    wrong.append((x, y))
                # Paper where no dot is, nor any beside it: round dots, not squares.
                alone = not any(dots.get((x + dx, y + dy)) for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1)))
                if not want and alone and not is_white(pixel(x, y)):
                    wrong.append((x, y))
            self.assertEqual(wrong[:10], [])

    def test_styles_sample_holds_only_dots(self):
        pdf = self.render(self.sample("styles.bin"), extra=("--face", "dots"))
        self.assertEqual(self.pdf_pages(pdf), 1)
        self.assertEqual(self.pdf_fonts(pdf), [])
        self.assertEqual(self.pdf_text(pdf).strip(), "")
        images = subprocess.run(["pdfimages", "-list", pdf], capture_output=True, text=True, check=True).stdout
        self.assertEqual(images.splitlines()[2:], [])
        img = self.raster(pdf, 1)
        # Ink on the title, the two character-set lines and the ten style lines.
        self.assertEqual(text_lines_with_ink(img, 16), [0, 2, 3] + list(range(5, 15)))

    def test_listen_prints_dots_too(self):
        l = Listener(self, "--tcp", "0", "--face", "dots", "--pdf", "out.pdf")
        port = int(l.wait_for(r"TCP 127\.0\.0\.1:(\d+)").group(1))
        with socket.create_connection(("127.0.0.1", port)) as c:
            c.sendall(b"live dots\r\n\x0c")
        l.wait_for("page 1 printed")
        status, out, err = l.stop()
        self.assertEqual(status, 0, err)
        self.assertEqual(self.pdf_fonts(self.path("out.pdf")), [])
        self.assertEqual(text_lines_with_ink(self.raster(self.path("out.pdf"), 1), 3), [0])

    def test_plotter_labels_keep_their_font(self):
        pdf = self.render(self.sample("plotter.bin"), extra=("--face", "dots"))
        self.assertIn("Pens: blue green red black", re.sub(r" +", " ", self.pdf_text(pdf)))
        self.assertTrue(any("LiberationMono" in f for f in self.pdf_fonts(pdf)))


# --- the plotter's pen face ------------------------------------------------------------

class PlotterStrokes(Case):
    def pdf_fonts(self, pdf):
        out = subprocess.run(["pdffonts", pdf], capture_output=True, text=True, check=True).stdout
        return out.splitlines()[2:]

    def test_labels_sample_is_paths_and_paper_shows_the_sheet(self):
        png_dir = self.path("png")
        pdf = self.render(self.sample("labels.bin"), extra=("--emulation", "plotter", "--plotter-face", "strokes",
                                                             "--png", png_dir))
        self.assertEqual(self.pdf_pages(pdf), 1)
        self.assertEqual(self.pdf_fonts(pdf), [])  # every character a path of the pen
        self.assertEqual(self.pdf_text(pdf).strip(), "")
        screen = ink_profile(read_png(os.path.join(png_dir, "page-0001.png")))
        paper = ink_profile(self.raster(pdf, 1))
        for axis in (0, 1):
            self.assertEqual(unmatched(screen[axis], paper[axis], 1), [], axis)
            self.assertEqual(unmatched(paper[axis], screen[axis], 1), [], axis)

    def test_default_face_unchanged(self):
        pages = []
        for extra in ((), ("--plotter-face", "truetype")):
            png_dir = self.path("png%d" % len(pages))
            r = self.run_morvane("render", self.sample("plotter.bin"), self.sample("labels.bin"),
                                 "--emulation", "plotter", "--png", png_dir, *extra)
            self.assertEqual(r.returncode, 0, r.stderr.decode())
            page = []
            for name in sorted(os.listdir(png_dir)):
                with open(os.path.join(png_dir, name), "rb") as f:
                    page.append(f.read())
            pages.append(page)
        self.assertEqual(len(pages[0]), 2)
        self.assertEqual(pages[0], pages[1])

    def test_combines_with_the_dot_face(self):
        # Dot-matrix text, then the plotter by ESC #: dots, then pen strokes; no font anywhere.
        stream = self.write("both.bin", b"DOTS FIRST" + CRLF + ESC + b"#M100,-100\r\nPPEN\r\nA\r\nTEXT\r\n" + FF)
        pdf = self.render(stream, extra=("--face", "dots", "--plotter-face", "strokes"))
        self.assertEqual(self.pdf_fonts(pdf), [])
        img = self.raster(pdf, 1)
        self.assertIn(0, text_lines_with_ink(img, 2))  # the dotted line
        # The label stands on the pen's line, 100 steps right of and below the origin.
        origin_y = MARGIN + (MARGIN + LINE) * 960 // 800 * 800 // 960
        x, y = MARGIN + 100 * 800 // 960, origin_y + 100 * 800 // 960
        self.assertTrue(any(is_dark(p) for p in img.box(x, y - 12, x + 40, y + 2)))


# --- info and settings -----------------------------------------------------------------

def face_drawn_for(name):
    """The family fontconfig draws `name` in (installed, or set up to stand for it)."""
    return subprocess.run(["fc-match", "-f", "%{family[0]}", name], capture_output=True, text=True,
                          check=True).stdout


def font_line(size, name="Courier New"):
    face = face_drawn_for(name)
    return "%s %d units" % (face, size) + ("" if face == name else ' (for "%s")' % name)


LETTER_INFO = """Selected printer: Morvane PDF
Selected font: %s
Printer horz. res.: 600 dpi
Printer vert. res.: 600 dpi
Paper width: 8.50 inch
Paper height: 11.00 inch
Left margin: 0.25 inch
Right margin: 0.25 inch
Top margin: 0.25 inch
Bottom margin: 0.25 inch
Line spacing: 0.27 inch
Character spacing: 0.14 inch
Lines per page: 38
Characters per line: 57
Settings file: none (built-in values)
"""


def info_value(text, label):
    return re.search("^" + re.escape(label) + r": (.*)$", text, re.M).group(1)


class InfoAndSettings(Case):
    def info(self, *args):
        r = self.run_morvane("info", *args)
        self.assertEqual(r.returncode, 0, r.stderr.decode())
        return r.stdout.decode()

    def test_letter(self):
        self.assertEqual(self.info(), LETTER_INFO % font_line(24))

    def test_a4_and_resolution(self):
        out = self.info("--paper", "a4")
        self.assertEqual(info_value(out, "Paper width"), "8.27 inch")
        self.assertEqual(info_value(out, "Paper height"), "11.69 inch")
        self.assertEqual(info_value(out, "Lines per page"), "41")       # 1119 / 27
        self.assertEqual(info_value(out, "Characters per line"), "55")  # 776 / 14
        out = self.info("--dpi", "300", "--offset", "30")
        self.assertEqual(info_value(out, "Printer horz. res."), "300 dpi")
        self.assertEqual(info_value(out, "Left margin"), "0.10 inch")
        self.assertEqual(info_value(out, "Lines per page"), "40")       # 1080 / 27

    def test_paper_follows_the_system_unless_given(self):
        conf = self.write("papersize", b"# the system's paper\na4\n")
        cases = [
            # (PAPERSIZE, PAPERCONF, arguments, paper width, the size replaced and said so)
            ("a4", None, [], "8.27", False),
            ("A4", None, [], "8.27", False),
            ("letter", None, [], "8.50", False),
            ("a4", None, ["--paper", "letter"], "8.50", False),
            ("letter", None, ["--paper=a4"], "8.27", False),
            ("a5", None, [], "8.27", True),
            ("legal", None, [], "8.50", True),
            ("legal", None, ["--paper", "a4"], "8.27", False),
            (None, conf, [], "8.27", False),
        ]
        for size, paperconf, args, width, replaced in cases:
            with self.subTest(PAPERSIZE=size, PAPERCONF=paperconf, args=args):
                env = dict(os.environ)
                env.pop("PAPERSIZE")
                if size is not None:
                    env["PAPERSIZE"] = size
                if paperconf is not None:
                    env["PAPERCONF"] = paperconf
                r = self.run_morvane("info", *args, env=env)
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertEqual(info_value(r.stdout.decode(), "Paper width"), width + " inch")
                said = "the system's paper size \"%s\" is not one of letter and a4" % size
                self.assertEqual(said in r.stderr.decode(), replaced, r.stderr)

    def test_where_the_settings_come_from(self):
        # Each file gives the font another height, so the one read shows.
        user, folder, named = b"[font]\r\nheight=-16\r\n", b"[font]\r\nheight=-18\r\n", b"[font]\r\nheight=-20\r\n"
        user_path = os.path.join(self.config, "morvane", "Morvane.ini")
        cases = [
            # (user file, file in the working folder, arguments, height, file read, folder file pointed out)
            (None, None, [], 24, None, False),
            (None, folder, [], 24, None, True),
            (user, None, [], 16, user_path, False),
            (user, folder, [], 16, user_path, True),
            (user, folder, ["--settings", "other.ini"], 20, "other.ini", True),
            (user, folder, ["--settings", "Morvane.ini"], 18, "Morvane.ini", False),
            (user, folder, ["--font-height", "30"], 30, user_path, True),
            (user, folder, ["-q"], 16, user_path, True),
        ]
        self.write("other.ini", named)
        for user_file, folder_file, args, height, read, pointed_out in cases:
            with self.subTest(user=user_file is not None, folder=folder_file is not None, args=args):
                for path, data in ((user_path, user_file), (self.path("Morvane.ini"), folder_file)):
                    if data is None:
                        if os.path.exists(path):
                            os.remove(path)
                    elif path == user_path:
                        self.user_settings(data)
                    else:
                        self.write("Morvane.ini", data)
                r = self.run_morvane("info", *args)
                self.assertEqual(r.returncode, 0, r.stderr)
                out, err = r.stdout.decode(), r.stderr.decode()
                self.assertEqual(info_value(out, "Selected font"), font_line(height))
                self.assertEqual(info_value(out, "Settings file"), read or "none (built-in values)")
                self.assertEqual("Morvane.ini is not read" in err, pointed_out, err)

    def test_a_run_says_which_settings_it_reads(self):
        path = self.user_settings(b"[font]\r\nheight=-16\r\n")
        r = self.run_morvane("render", "--png", "png", stdin=b"x\x0c")
        self.assertEqual(r.stdout.decode(), "settings read from %s\n" % path)
        r = self.run_morvane("render", "-q", "--png", "png", stdin=b"x\x0c")
        self.assertEqual(r.stdout, b"")

    def test_printertype_of_the_settings_and_emulation_option(self):
        self.user_settings(b"[Morvane]\r\nprintertype=1\r\n")
        # The plotter emulation from "printertype": ESC C 1 selects the blue pen.
        stream = self.write("pen.bin", b"\x1bC1\r\nBLUE\r\n\x0c")
        img = self.raster(self.render(stream), 1)
        classes = {colour_class(p) for p in img.box(MARGIN, MARGIN, MARGIN + 4 * CHAR, MARGIN + LINE)}
        self.assertIn("blue", classes)
        img = self.raster(self.render(stream, extra=("--emulation", "dot-matrix")), 1)
        classes = {colour_class(p) for p in img.box(MARGIN, MARGIN, MARGIN + 6 * CHAR, MARGIN + LINE)}
        self.assertNotIn("blue", classes)
        self.assertIn("black", classes)

    def test_output_options_win_over_the_settings(self):
        # "printerenable=0" in the user's settings or in the working folder (not
        # read), "printertype=1" there: --pdf still prints, in the dot-matrix
        # emulation unless the file read says otherwise.
        disabled = b"[Morvane]\r\nprinterenable=0\r\nprintertype=1\r\n"
        for where in ("user", "folder"):
            with self.subTest(where=where):
                if where == "user":
                    self.user_settings(b"[Morvane]\r\nprinterenable=0\r\n")
                else:
                    os.remove(os.path.join(self.config, "morvane", "Morvane.ini"))
                    self.write("Morvane.ini", disabled)
                r = self.run_morvane("render", "--pdf", "out.pdf", "--png", "png", stdin=b"\x1bC1\r\npage\r\n\x0c")
                self.assertEqual(r.returncode, 0, r.stderr)
                self.assertNotIn(b"printerenable", r.stderr)
                self.assertEqual(self.pdf_pages(self.path("out.pdf")), 1)
                self.assertIn("page", self.pdf_text(self.path("out.pdf")))  # ESC C 1 was no pen command
                self.assertEqual(os.listdir(self.path("png")), ["page-0001.png"])

    def test_a_face_not_installed_is_drawn_fixed_pitch_and_named(self):
        r = self.run_morvane("info", "--font", "Lucida Consolx")
        self.assertEqual(r.returncode, 0, r.stderr)
        err = r.stderr.decode()
        face = info_value(r.stdout.decode(), "Selected font")
        m = re.match(r'(.+) 24 units \(for "Lucida Consolx"\)$', face)
        self.assertTrue(m, face)
        self.assertIn('font "Lucida Consolx" is not installed: the text is drawn in "%s"' % m.group(1), err)
        # The columns are those of a fixed-pitch face at that height.
        self.assertEqual(info_value(r.stdout.decode(), "Character spacing"), "0.14 inch")
        pdf = self.render(self.write("cols.bin", b"iiiiiiiiii\r\nWWWWWWWWWW\r\n\x0c"), extra=("--font", "Lucida Consolx"))
        img = self.raster(pdf, 1)
        ends = []
        for top in (MARGIN, MARGIN + LINE):
            ends.append(max(x for x in range(img.width) for y in range(top, top + LINE) if min(img.pixel(x, y)) < 150))
        self.assertLess(abs(ends[0] - ends[1]), CHAR, "the lines of i and W end %s apart" % (ends,))

    def test_standard_input_and_several_files(self):
        a = self.write("a.bin", b"first\x0c")
        b = self.write("b.bin", b"second\x0c")
        r = self.run_morvane("render", a, "-", b, "--pdf", "out.pdf", "-q", stdin=b"middle\x0c")
        self.assertEqual(r.returncode, 0, r.stderr)
        text = self.pdf_text(self.path("out.pdf"))
        self.assertLess(text.index("first"), text.index("middle"))
        self.assertLess(text.index("middle"), text.index("second"))
        # The spool file is private to the run: nothing is left in the working folder.
        self.assertEqual(sorted(os.listdir(self.dir)), ["a.bin", "b.bin", "out.pdf"])

    def test_unfinished_command_at_end_of_input_still_prints(self):
        # A bit image promised 100 columns over a line of text and sent 3: the
        # page is still printed, the dots that came are on it, and the text
        # under the columns that never came is untouched.
        pdf = self.render(self.write("cut.bin", b"ABCDEFGH\r\x1bK\x64\x00\xff\xff\xff"))
        self.assertEqual(self.pdf_pages(pdf), 1)
        img = self.raster(pdf, 1)
        self.assertTrue(all(is_dark(img.pixel(MARGIN + c, MARGIN + r)) for c in range(3) for r in range(8)))
        for k in range(1, 6):  # B to F, below the image's first 3 columns
            cell = img.box(MARGIN + k * CHAR, MARGIN, MARGIN + (k + 1) * CHAR, MARGIN + 8)
            self.assertTrue(any(is_dark(p) for p in cell), "letter %d wiped" % k)

    def test_paper_matches_screen(self):
        # Every page of the PDF, rendered at one pixel per page unit, has its ink
        # on the same rows and columns as the PNG of the screen sheet.
        styled = (b"\x0fCONDENSED TO THE PAGE END\r\n\x0cSTILL CONDENSED\x12 NORMAL\r\n"
                  b"\x1bW\x01WIDE\x0c\x1bW\x00A\nB\x1bK\x08\x00" + b"\xff" * 8 + b"\x0cC\nD\r\n"
                  b"\x1bS\x00SUPER\x0c\x1bTTEXT\r\n\x1b#M100,-100\r\nQ1\r\nPDOWN\r\nA\r\nAFTER\x0c")
        streams = [self.sample("listing.bin"), self.sample("banner.bin"), self.sample("plotter.bin"),
                   self.write("styled.bin", styled)]
        for stream in streams:
            with self.subTest(stream=os.path.basename(stream)):
                png_dir = self.path("png-" + os.path.basename(stream))
                pdf = self.path(os.path.basename(stream) + ".pdf")
                r = self.run_morvane("render", stream, "--pdf", pdf, "--png", png_dir)
                self.assertEqual(r.returncode, 0, r.stderr.decode())
                pngs = sorted(os.listdir(png_dir))
                self.assertEqual(self.pdf_pages(pdf), len(pngs))
                for page, name in enumerate(pngs, 1):
                    screen = ink_profile(read_png(os.path.join(png_dir, name)))
                    paper = ink_profile(self.raster(pdf, page))
                    for axis in (0, 1):
                        self.assertTrue(screen[axis], "page %d has no ink" % page)
                        self.assertEqual(unmatched(screen[axis], paper[axis]), [], "page %d axis %d" % (page, axis))
                        self.assertEqual(unmatched(paper[axis], screen[axis]), [], "page %d axis %d" % (page, axis))


class Printing(Case):
    """--print with a stand-in for lp that records what it is given."""

    def fake_lp(self, status=0):
        bin_dir = self.path("bin")
        os.makedirs(bin_dir)
        script = os.path.join(bin_dir, "lp")
        with open(script, "w") as f:
            # Jobs may run at the same time: each takes its process id as name.
            f.write("#!/bin/sh\n"
                    "mkdir -p %s/jobs\n"
                    "for last; do :; done\n"
                    "echo \"$@\" > %s/jobs/$$.args\n"
                    "cp \"$last\" %s/jobs/$$.pdf\n"
                    "exit %d\n" % (self.dir, self.dir, self.dir, status))
        os.chmod(script, 0o755)
        return dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"])

    def run_env(self, env, *args, stdin=None):
        return subprocess.run([MORVANE, *args], cwd=self.dir, input=stdin, capture_output=True, env=env, timeout=30)

    def jobs(self):
        """(arguments, PDF path) of every job, in the order of the documents."""
        d = self.path("jobs")
        names = sorted(os.listdir(d)) if os.path.isdir(d) else []
        jobs = []
        for n in names:
            if n.endswith(".args"):
                with open(os.path.join(d, n)) as f:
                    jobs.append((f.read().strip(), os.path.join(d, n[:-5] + ".pdf")))
        return sorted(jobs, key=lambda j: self.pdf_text(j[1]).strip())

    def test_each_document_to_the_queue(self):
        env = self.fake_lp()
        r = self.run_env(env, "render", "--print=office", stdin=b"one\x0ctwo\x0c")
        self.assertEqual(r.returncode, 0, r.stderr)
        jobs = self.jobs()
        self.assertEqual([self.pdf_text(p).strip() for _, p in jobs], ["one", "two"])
        for args, pdf in jobs:
            self.assertTrue(args.startswith("-d office "), args)
            self.assertEqual(self.pdf_pages(pdf), 1)
        # The documents' own files are gone once the queue has them.
        self.assertFalse(os.path.exists(jobs[0][0].split()[-1]))

    def test_run_pdf_printed_once_complete(self):
        env = self.fake_lp()
        r = self.run_env(env, "render", "--print", "--pdf", "run.pdf", stdin=b"one\x0ctwo\x0c")
        self.assertEqual(r.returncode, 0, r.stderr)
        jobs = self.jobs()
        self.assertEqual(len(jobs), 1)
        self.assertEqual(jobs[0][0], "run.pdf")
        self.assertEqual(self.pdf_pages(jobs[0][1]), 2)

    def test_print_without_lp(self):
        # A PATH that holds everything but lp: nothing is laid out, nothing
        # written, and the message says what is missing.
        bin_dir = self.path("no-lp")
        os.makedirs(bin_dir)
        env = dict(os.environ, PATH=bin_dir)
        for args in (["--print"], ["--print=office", "--pdf", "out.pdf"]):
            with self.subTest(args=args):
                r = self.run_env(env, "render", *args, stdin=b"one\x0c")
                self.assert_failure(r, 1, '"lp" is not installed', "cups-client")
                self.assertFalse(os.path.exists(self.path("out.pdf")))

    def test_failing_print_command(self):
        env = self.fake_lp(status=1)
        r = self.run_env(env, "render", "--print", stdin=b"one\x0c")
        self.assert_failure(r, 1, "lp", "failed")


# --- listen -------------------------------------------------------------------------------

class Listener:
    def __init__(self, case, *args):
        self.proc = subprocess.Popen([MORVANE, "listen", *args], cwd=case.dir,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.out = b""
        self.seen = 0  # output before this was matched already
        case.addCleanup(self.end)

    def end(self):
        """Never leaves the program running after its test, passed or failed."""
        if self.proc.poll() is None:
            self.proc.kill()
        self.proc.communicate()

    def wait_for(self, pattern, timeout=5.0):
        """Waits for output after the last match."""
        deadline = time.time() + timeout
        fd = self.proc.stdout.fileno()
        os.set_blocking(fd, False)
        while time.time() < deadline:
            try:
                chunk = os.read(fd, 4096)
            except BlockingIOError:
                chunk = None
            if chunk:
                self.out += chunk
            m = re.compile(pattern.encode()).search(self.out, self.seen)
            if m:
                self.seen = m.end()
                return m
            if chunk == b"" or self.proc.poll() is not None:
                break
            time.sleep(0.02)
        self.proc.kill()  # its standard error ends only with it
        _, err = self.proc.communicate()
        raise AssertionError("no %r in %r (stderr %r)" % (pattern, self.out, err))

    def stop(self, sig=signal.SIGTERM):
        self.proc.send_signal(sig)
        out, err = self.proc.communicate(timeout=10)
        self.out += out
        return self.proc.returncode, self.out.decode(), err.decode()


def block_path(n):
    return "/dev/shm/NH_SCOM%02d" % n


def unlink_line(n):
    try:
        os.unlink(block_path(n))
    except FileNotFoundError:
        pass


def unique_line(k):
    """A line number that no other test run uses at the same time: made from
    our process id, and above every number the unit tests take."""
    return 10_000_000 + os.getpid() * 10 + k


def in_use_word(n, half):
    with open(block_path(n), "rb") as f:
        f.seek(276 * half)
        return int.from_bytes(f.read(4), "little", signed=True)


def wait_until(condition, timeout=5.0):
    deadline = time.time() + timeout
    while not condition():
        if time.time() > deadline:
            raise AssertionError("condition not met in %.1f s" % timeout)
        time.sleep(0.02)


class LineCase(Case):
    def use_line(self, k):
        """A fresh line of this test's own, named in the settings Morvane reads."""
        n = unique_line(k)
        unlink_line(n)
        self.addCleanup(unlink_line, n)
        self.user_settings(b"[Morvane]\r\nlyn=%d\r\n" % n)
        return n

    def start(self, args, **kw):
        p = subprocess.Popen(args, cwd=self.dir, **kw)
        self.addCleanup(self.finish, p)
        return p

    @staticmethod
    def finish(p):
        if p.poll() is None:
            p.kill()
        p.wait()
        for stream in (p.stdin, p.stdout, p.stderr):
            if stream:
                stream.close()

    def python_peer(self, *args, **kw):
        return self.start([sys.executable, PY_PEER, *args], stderr=subprocess.PIPE, **kw)

    @staticmethod
    def first_line(stream, timeout=10.0):
        """The first line a peer writes, never waiting for ever."""
        line, deadline = b"", time.time() + timeout
        while not line.endswith(b"\n") and time.time() < deadline:
            ready, _, _ = select.select([stream], [], [], 0.1)
            if ready:
                byte = os.read(stream.fileno(), 1)
                if not byte:
                    break
                line += byte
        return line


class Listen(LineCase):
    def test_serial_line_with_peer(self):
        self.use_line(1)
        l = Listener(self, "--pdf", "out.pdf")
        l.wait_for("half A")
        peer = subprocess.run([SERIAL_PEER, "--line", str(unique_line(1)), "--drain", "--timeout", "5"],
                              input=b"over the line\r\n\x0cpage two, unfinished", capture_output=True, timeout=20)
        self.assertEqual(peer.returncode, 0, peer.stderr)
        l.wait_for("page 1 printed")
        status, out, err = l.stop()
        self.assertEqual(status, 0, err)
        self.assertIn("page 2 printed", out)  # the page in progress is printed at the stop
        self.assertEqual(self.pdf_pages(self.path("out.pdf")), 2)
        self.assertIn("page two, unfinished", self.pdf_text(self.path("out.pdf")))

    def test_serial_line_without_free_half(self):
        n = self.use_line(2)
        for _ in range(2):  # two writers take both halves and wait for a reader
            self.start([SERIAL_PEER, "--line", str(n), "--timeout", "20"],
                       stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_until(lambda: os.path.exists(block_path(n)) and in_use_word(n, 0) == 1 and in_use_word(n, 1) == 1)
        r = self.run_morvane("listen")
        # The user learns which programs hold the line.
        self.assert_failure(r, 1, "NH_SCOM%d" % n, "no free half", "serial-peer")

    def test_lyn_zero_names_the_line_it_opens(self):
        existed = os.path.exists(block_path(1))
        if not existed:
            self.addCleanup(unlink_line, 1)
        self.user_settings(b"[Morvane]\r\nlyn=0\r\n")
        l = Listener(self)
        m = l.wait_for(r"serial line (\d+) \((NH_SCOM\d+)\)")
        # Line 1 may be busy with another run; what matters is that the report names it.
        self.assertEqual((m.group(1), m.group(2)), (b"1", b"NH_SCOM01"))
        if l.proc.poll() is None:
            with open("/proc/%d/maps" % l.proc.pid) as maps:
                self.assertIn("/dev/shm/NH_SCOM01", maps.read())
        l.stop()

    def test_block_shrunk_while_listening_ends_with_status_1(self):
        n = self.use_line(3)
        l = Listener(self, "--pdf", "out.pdf")
        l.wait_for("half A")
        peer = subprocess.run([SERIAL_PEER, "--line", str(n), "--drain", "--timeout", "5"],
                              input=b"before the cut", capture_output=True, timeout=20)
        self.assertEqual(peer.returncode, 0, peer.stderr)
        os.truncate(block_path(n), 0)
        out, err = l.proc.communicate(timeout=10)
        self.assertEqual(l.proc.returncode, 1, err)  # not a signal
        self.assertEqual(err.decode().count("shrank the block to 0 bytes"), 1, err)
        self.assertIn("before the cut", self.pdf_text(self.path("out.pdf")))  # what came is printed

    def test_tcp_one_connection_at_a_time(self):
        l = Listener(self, "--tcp", "0", "--pdf", "out.pdf")
        port = int(l.wait_for(r"TCP 127\.0\.0\.1:(\d+)").group(1))
        with socket.create_connection(("127.0.0.1", port)) as c:
            c.sendall(b"first client, ")
            l.wait_for("connection from")
        l.wait_for("connection closed")
        with socket.create_connection(("127.0.0.1", port)) as c:
            c.sendall(b"second client\r\n")
        l.wait_for("connection closed")
        # Closing a connection does not end the page: it is printed at the stop.
        self.assertNotIn(b"page 1", l.out)
        status, out, err = l.stop(signal.SIGINT)
        self.assertEqual(status, 0, err)
        self.assertIn("page 1 printed", out)
        self.assertIn("first client, second client", self.pdf_text(self.path("out.pdf")))

    def test_tcp_port_taken(self):
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            s.listen(1)
            port = s.getsockname()[1]
            r = self.run_morvane("listen", "--tcp", "127.0.0.1:%d" % port)
            self.assert_failure(r, 1, "TCP 127.0.0.1:%d" % port, "in use")

    def test_serial_port_on_pty(self):
        master, slave = pty.openpty()
        name = os.ttyname(slave)
        try:
            l = Listener(self, "--port", name, "--baud", "19200", "--pdf", "out.pdf")
            l.wait_for("serial port " + re.escape(name))
            busy = self.run_morvane("listen", "--port", name)
            self.assert_failure(busy, 1, "Can't open serial port <%s>" % name, "in use by process %d" % l.proc.pid)
            os.write(master, b"through the port\r\n\x0c")
            l.wait_for("page 1 printed")
            status, out, err = l.stop()
            self.assertEqual(status, 0, err)
            self.assertIn("through the port", self.pdf_text(self.path("out.pdf")))
            # This test holds the device open too, as a reader without locks would.
            self.assertIn("also open in process %d" % os.getpid(), err)
        finally:
            os.close(master)
            os.close(slave)

    def test_missing_device(self):
        r = self.run_morvane("listen", "--port", "/dev/no-such-tty")
        self.assert_failure(r, 1, "/dev/no-such-tty", "No such file")

    def test_idle_eject_abandons_unfinished_command(self):
        l = Listener(self, "--tcp", "0", "--idle-eject", "0.3", "--pdf", "out.pdf", "--png", "png")
        port = int(l.wait_for(r"TCP 127\.0\.0\.1:(\d+)").group(1))
        with socket.create_connection(("127.0.0.1", port)) as c:
            c.sendall(b"job one \x1bK\xc8\x00\xff\xff")  # 200 columns promised, 2 sent
            l.wait_for("page 1 printed", timeout=5)
            c.sendall(b"job two\r\n")
            time.sleep(0.1)
        status, out, err = l.stop()
        self.assertEqual(status, 0, err)
        self.assertEqual(self.pdf_pages(self.path("out.pdf")), 2)
        # The second job starts clean: its text is text, not image columns.
        text = self.pdf_text(self.path("out.pdf"))
        self.assertIn("job two", text)
        img = read_png(os.path.join(self.path("png"), "page-0001.png"))
        x = MARGIN + 8 * CHAR
        self.assertTrue(all(is_dark(img.pixel(x + c, MARGIN + r)) for c in range(2) for r in range(8)))

    def test_discard_partial(self):
        l = Listener(self, "--tcp", "0", "--discard-partial", "--pdf", "out.pdf")
        port = int(l.wait_for(r"TCP 127\.0\.0\.1:(\d+)").group(1))
        with socket.create_connection(("127.0.0.1", port)) as c:
            c.sendall(b"never printed")
        l.wait_for("connection closed")
        status, out, err = l.stop()
        self.assertEqual(status, 0, err)
        self.assertIn("discarded", err)
        self.assertFalse(os.path.exists(self.path("out.pdf")))
        self.assertFalse(os.path.exists(self.path("Morvane.$$$")))


class LockLessPeers(LineCase):
    """The minimal Python peer of docs/serial-line.md, which knows only that page."""

    def sender(self, n, data):
        py = self.python_peer("send", str(n), stdin=subprocess.PIPE)
        py.stdin.write(data)
        py.stdin.close()
        return py

    def test_python_sender_attached_first(self):
        n = self.use_line(4)
        py = self.sender(n, b"stored before Morvane came\r\n\x0c")
        self.assertEqual(self.first_line(py.stderr), b"half A\n")
        l = Listener(self, "--pdf", "out.pdf")
        l.wait_for(r"half B \(half A is taken\)")
        l.wait_for("page 1 printed")
        self.assertEqual(py.wait(timeout=10), 0)  # everything was read
        status, out, err = l.stop()
        self.assertEqual(status, 0, err)
        self.assertIn("stored before Morvane came", self.pdf_text(self.path("out.pdf")))
        self.assertEqual((in_use_word(n, 0), in_use_word(n, 1)), (0, 0))  # both gave their halves back

    def test_python_sender_attached_second(self):
        n = self.use_line(5)
        l = Listener(self, "--pdf", "out.pdf")
        l.wait_for("half A")
        py = self.sender(n, b"sent to the first\r\n\x0c")
        self.assertEqual(self.first_line(py.stderr), b"half B\n")
        l.wait_for("page 1 printed")
        self.assertEqual(py.wait(timeout=10), 0)
        status, out, err = l.stop()
        self.assertEqual(status, 0, err)
        self.assertIn("sent to the first", self.pdf_text(self.path("out.pdf")))

    def test_python_receiver_with_serial_peer_in_both_orders(self):
        data = bytes(range(256)) * 3  # more than one ring's worth
        for k, receiver_first in ((6, True), (7, False)):
            n = self.use_line(k)
            if receiver_first:
                py = self.python_peer("receive", str(n), "--count", str(len(data)), "--idle", "10",
                                      stdout=subprocess.PIPE)
                self.assertEqual(self.first_line(py.stderr), b"half A\n")
            peer = self.start([SERIAL_PEER, "--line", str(n), "--drain", "--timeout", "10"],
                              stdin=subprocess.PIPE, stderr=subprocess.PIPE)
            peer.stdin.write(data)
            peer.stdin.close()
            if not receiver_first:
                wait_until(lambda: os.path.exists(block_path(n)) and in_use_word(n, 0) == 1)
                py = self.python_peer("receive", str(n), "--count", str(len(data)), "--idle", "10",
                                      stdout=subprocess.PIPE)
                self.assertEqual(self.first_line(py.stderr), b"half B\n")
            out, _ = py.communicate(timeout=20)
            self.assertEqual(py.returncode, 0)
            self.assertEqual(out, data, "receiver first" if receiver_first else "sender first")
            self.assertEqual(peer.wait(timeout=10), 0, peer.stderr.read())


# --- errors -------------------------------------------------------------------------------------

class Errors(Case):
    def test_usage_errors_exit_2_with_hint(self):
        for args in ([], ["frobnicate"], ["render", "--dpi", "0"], ["render", "--paper", "b5"], ["render", "--face", "bitmap"],
                     ["render", "--tcp", "80"], ["info", "extra"], ["listen", "--baud", "1234"],
                     ["render", "--offset", "9000"], ["render", "--pdf"], ["listen", "--tcp", "host:"]):
            r = self.run_morvane(*args)
            self.assertEqual(r.returncode, 2, args)
            self.assertIn(b"morvane --help", r.stderr, args)

    def test_help_and_version(self):
        r = self.run_morvane("--help")
        self.assertEqual(r.returncode, 0)
        self.assertIn(b"render", r.stdout)
        self.assertEqual(self.run_morvane("--version").returncode, 0)

    def test_unreadable_input(self):
        r = self.run_morvane("render", "missing.bin", "--pdf", "out.pdf")
        self.assert_failure(r, 1, "missing.bin", "No such file")
        self.assertFalse(os.path.exists(self.path("out.pdf")))

    def test_unwritable_outputs(self):
        self.write("plain", b"")
        r = self.run_morvane("render", "--pdf", "no/such/dir/out.pdf", stdin=b"x\x0c")
        self.assert_failure(r, 1, "no/such/dir/out.pdf")
        r = self.run_morvane("render", "--png", "plain", stdin=b"x\x0c")
        self.assert_failure(r, 1, "plain")

    def test_unwritable_spool_file(self):
        # A page that cannot be spooled is not printed, and the run says so once.
        # The spool lives in a private folder under TMPDIR: a tmpfs too small
        # for a page of 12 kB (where a namespace can have one), else a TMPDIR
        # where no folder can be made at all.
        tmp = self.path("tmp")
        data = b"y\r" * 6000 + b"\x0c" + b"z\r" * 6000 + b"\x0c"
        argv = [MORVANE, "render", "--pdf", "out.pdf"]
        if subprocess.run(["unshare", "-rm", "true"], capture_output=True).returncode == 0:
            os.mkdir(tmp)
            argv = ["unshare", "-rm", "sh", "-c", 'mount -t tmpfs -o size=8k tmpfs "$0" && exec "$@"', tmp] + argv
        else:
            self.write("tmp", b"a file, not a folder")
        r = subprocess.run(argv, cwd=self.dir, input=data, capture_output=True, timeout=30,
                           env=dict(os.environ, TMPDIR=tmp))
        self.assert_failure(r, 1, "spool file")
        said = [l for l in r.stderr.decode().splitlines() if l.startswith("morvane:")]
        self.assertEqual(len(said), 1, r.stderr.decode())
        self.assertFalse(os.path.exists(self.path("out.pdf")))

    def test_settings_file_missing(self):
        r = self.run_morvane("info", "--settings", "nowhere.ini")
        self.assert_failure(r, 1, "nowhere.ini")


def main():
    global MORVANE, SERIAL_PEER, SOURCE_DIR, PY_PEER
    MORVANE, SERIAL_PEER, SOURCE_DIR = (os.path.abspath(a) for a in sys.argv[1:4])
    PY_PEER = os.path.join(SOURCE_DIR, "docs", "serial_peer.py")
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=1)


if __name__ == "__main__":
    main()
