#!/usr/bin/env python3
"""End-to-end tests of morvane's live window (--window) on a private X server.

Starts Xvfb (it picks a free display itself, so parallel runs never collide),
runs `morvane listen --tcp 0 --window` and `morvane render --window`, sends
bytes over TCP, drives the window from the keyboard and the mouse with
xdotool, closes it as a window manager would (WM_DELETE_WINDOW), and checks
screenshots, the PNG pages, the PDF and the exit status.

Usage: window_e2e.py MORVANE SOURCE_DIR [unittest options]
"""

import ctypes
import os
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

MORVANE = SOURCE_DIR = None
DISPLAY = None
XVFB = None
WINDOW_RECT = (0, 0, 0, 0)  # the window on the screen: x, y, width, height

MARGIN = 25   # the sheet's margins at 150 pixels and 600 dpi
LINE = 27     # Courier New at -24: the line height
CHAR = 14     # its character width
BAR = 17      # the head-position bar's width
IMAGE = 100   # columns of the test's bit image: a black block 8 rows high

ESC, CRLF, FF = b"\x1b", b"\r\n", b"\x0c"
BLOCK = ESC + b"K" + bytes([IMAGE, 0]) + b"\xff" * IMAGE


# --- the X server and the window ------------------------------------------------

def start_xvfb():
    global XVFB, DISPLAY
    r, w = os.pipe()
    XVFB = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    # The server writes the display's number and a newline; the pipe stays
    # open until then (a write into a closed pipe would end the server).
    text, deadline = b"", time.time() + 20
    while not text.endswith(b"\n") and time.time() < deadline:
        ready, _, _ = select.select([r], [], [], 1)
        chunk = os.read(r, 64) if ready else b""
        if ready and not chunk:
            break
        text += chunk
    os.close(r)
    number = text.decode().strip()
    if not number:
        XVFB.kill()
        raise RuntimeError("Xvfb did not start")
    DISPLAY = ":" + number


def window_env(**extra):
    env = dict(os.environ)
    env.update(DISPLAY=DISPLAY, GDK_BACKEND="x11", GSK_RENDERER="cairo", GTK_A11Y="none",
               NO_AT_BRIDGE="1", GSETTINGS_BACKEND="memory", ASAN_OPTIONS="detect_leaks=0")
    env.pop("WAYLAND_DISPLAY", None)
    env.update(extra)
    return env


def xdotool(*args, timeout=10):
    return subprocess.run(["xdotool", *args], env=window_env(), capture_output=True, text=True,
                          timeout=timeout).stdout


def find_window(timeout=15):
    deadline = time.time() + timeout
    while time.time() < deadline:
        ids = xdotool("search", "--onlyvisible", "--name", "^Morvane - ").split()
        if ids:
            global WINDOW_RECT
            geometry = xdotool("getwindowgeometry", ids[0])
            x, y = re.search(r"Position: (\d+),(\d+)", geometry).groups()
            w, h = re.search(r"Geometry: (\d+)x(\d+)", geometry).groups()
            WINDOW_RECT = (int(x), int(y), int(w), int(h))
            return int(ids[0])
        time.sleep(0.1)
    raise AssertionError("no Morvane window appeared")


def press(window, keys):
    xdotool("windowfocus", "--sync", str(window))
    xdotool("key", "--clearmodifiers", keys)


def close_window(window):
    """Asks the window to close, as a window manager's close box does."""
    x = ctypes.cdll.LoadLibrary("libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XInternAtom.restype = ctypes.c_ulong
    x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x.XFlush.argtypes = [ctypes.c_void_p]
    x.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]

    dpy = x.XOpenDisplay(DISPLAY.encode())
    ev = ClientMessage(type=33, window=window, format=32,
                       message_type=x.XInternAtom(dpy, b"WM_PROTOCOLS", 0))
    ev.data[0] = x.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
    x.XSendEvent(dpy, window, 0, 0, ctypes.byref(ev))
    x.XFlush(dpy)
    x.XCloseDisplay(dpy)


# --- pictures ---------------------------------------------------------------------

class Image:
    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, rgb

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def row(self, y):
        return self.rgb[y * self.width * 3:(y + 1) * self.width * 3]


def screenshot():
    xwd = subprocess.run(["xwd", "-root", "-silent", "-display", DISPLAY], capture_output=True, check=True).stdout
    ppm = subprocess.run(["xwdtopnm"], input=xwd, capture_output=True, check=True).stdout
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", ppm)
    w, h, maxval = int(m.group(1)), int(m.group(2)), int(m.group(3))
    data = ppm[m.end():]
    if maxval > 255:  # two bytes a sample, most significant first
        data = data[0::2]
    return Image(w, h, data[:w * h * 3])


def read_png(path):
    ppm = subprocess.run(["pngtopnm", path], capture_output=True, check=True).stdout
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
    w, h = int(m.group(1)), int(m.group(2))
    return Image(w, h, ppm[m.end():m.end() + w * h * 3])


def find_block(img, width=IMAGE):
    """The top-left corner of the first black block `width` pixels long and
    8 rows high with no ink above and below it: the test's bit image at one
    pixel per dot. Searched in the window only."""
    x0, y0, w, h = WINDOW_RECT
    run = b"\x00\x00\x00" * width
    for y in range(max(y0, 1), min(y0 + h, img.height) - 8):
        row = img.row(y)
        x = row.find(run, x0 * 3, (x0 + w) * 3)
        if x < 0 or x % 3 != 0:
            continue
        block = all(img.row(y + r)[x:x + len(run)] == run for r in range(8))
        if block and not is_dark(img.pixel(x // 3, y - 1)) and not is_dark(img.pixel(x // 3, y + 8)):
            return x // 3, y
    return None


def is_dark(p):
    return max(p) < 110


def is_white(p):
    return min(p) > 220


def ink_in(img, x0, y0, x1, y1):
    return sum(1 for y in range(max(y0, 0), min(y1, img.height)) for x in range(max(x0, 0), min(x1, img.width))
               if is_dark(img.pixel(x, y)))


def wait_for_picture(test, what, timeout=8):
    deadline = time.time() + timeout
    while True:
        img = screenshot()
        found = test(img)
        if found or time.time() > deadline:
            if not found:
                raise AssertionError("the window never showed " + what)
            return img, found
        time.sleep(0.15)


# --- the program ------------------------------------------------------------------

class Morvane:
    def __init__(self, case, *args, env=None):
        self.proc = subprocess.Popen([MORVANE, *args], cwd=case.dir, env=env or window_env(),
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.out = b""
        self.seen = 0

    def wait_for(self, pattern, timeout=10.0):
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
        raise AssertionError("no %r in %r (stderr %r)" % (pattern, self.out, self.proc.stderr.read()))

    def finish(self, timeout=15):
        out, err = self.proc.communicate(timeout=timeout)
        self.out += out
        return self.proc.returncode, self.out.decode(), err.decode()

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.communicate()


class Case(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="morvane-window-")
        self.running = []

    def tearDown(self):
        for m in self.running:
            m.kill()
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def settings(self, **values):
        with open(self.path("test.ini"), "w") as f:
            f.write("[Morvane]\n" + "".join("%s=%s\n" % kv for kv in values.items()))
        return self.path("test.ini")

    def listen(self, *args):
        m = Morvane(self, "listen", "--tcp", "0", "--window", *args)
        self.running.append(m)
        port = int(m.wait_for(r"TCP 127\.0\.0\.1:(\d+)").group(1))
        return m, port, find_window()

    def pdf_pages(self, pdf):
        out = subprocess.run(["pdfinfo", pdf], capture_output=True, text=True, check=True).stdout
        return int(re.search(r"Pages:\s+(\d+)", out).group(1))

    def pdf_text(self, pdf, page=None):
        pages = ["-f", str(page), "-l", str(page)] if page else []
        return subprocess.run(["pdftotext", *pages, "-layout", pdf, "-"], capture_output=True, text=True,
                              check=True).stdout

    def pdf_raster(self, pdf, page):
        prefix = self.path("r%d" % page)
        subprocess.run(["pdftoppm", "-r", "100", "-f", str(page), "-l", str(page), "-singlefile", pdf, prefix],
                       check=True)
        with open(prefix + ".ppm", "rb") as f:
            data = f.read()
        m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        w, h = int(m.group(1)), int(m.group(2))
        return Image(w, h, data[m.end():])


def send(port, data):
    with socket.create_connection(("127.0.0.1", port)) as c:
        c.sendall(data)


class LiveWindow(Case):
    def test_sheet_shows_bytes_as_they_come_and_the_page_commands_act(self):
        ini = self.settings(printerview=1)  # original size: one screen pixel per sheet pixel
        m, port, window = self.listen("--settings", ini, "--font-height", "24", "--pdf", "out.pdf", "--png", "png")
        title = xdotool("getwindowname", str(window)).strip()
        self.assertEqual(title, "Morvane - tcp 127.0.0.1:%d Printer: Enabled" % port)

        send(port, b"HELLO WINDOW" + CRLF + BLOCK)
        shot, (bx, by) = wait_for_picture(find_block, "the bit image")
        ox, oy = bx - MARGIN, by - MARGIN - LINE  # the sheet's corner on the screen
        self.assertGreater(ink_in(shot, ox + MARGIN, oy + MARGIN, ox + MARGIN + 12 * CHAR, oy + MARGIN + LINE), 40)
        self.assertNotIn(b"page 1", m.out)  # shown before the page ended

        press(window, "alt+p")  # Print page now
        m.wait_for("page 1 printed")
        # The window showed exactly the sheet that was printed.
        page = read_png(os.path.join(self.path("png"), "page-0001.png"))
        w, h = 500, 300  # within the view of a window of the settings' default size
        differ = sum(1 for y in range(h) for x in range(w) if page.pixel(x, y) != shot.pixel(ox + x, oy + y))
        self.assertEqual(differ, 0, "screen and sheet differ in %d pixels" % differ)
        after, _ = wait_for_picture(lambda img: find_block(img) is None, "the sheet cleared by the page end")
        self.assertEqual(ink_in(after, ox + MARGIN, oy + MARGIN, ox + 400, oy + MARGIN + 2 * LINE), 0)

        send(port, b"to be cleared")
        wait_for_picture(lambda img: ink_in(img, ox + MARGIN, oy + MARGIN, ox + 300, oy + MARGIN + LINE) > 20,
                         "the text to be cleared")
        press(window, "alt+c")  # Clear page
        wait_for_picture(lambda img: ink_in(img, ox + MARGIN, oy + MARGIN, ox + 300, oy + MARGIN + LINE) == 0,
                         "the cleared sheet")
        send(port, b"kept" + CRLF)
        wait_for_picture(lambda img: ink_in(img, ox + MARGIN, oy + MARGIN, ox + 300, oy + MARGIN + LINE) > 10,
                         "the text after the clear")

        close_window(window)
        status, out, err = m.finish()
        self.assertEqual(status, 0, err)
        self.assertIn("page 2 printed", out)  # the page in progress is printed at the close
        pdf = self.path("out.pdf")
        self.assertEqual(self.pdf_pages(pdf), 2)
        self.assertIn("HELLO WINDOW", self.pdf_text(pdf, 1))
        self.assertIn("kept", self.pdf_text(pdf, 2))
        self.assertNotIn("cleared", self.pdf_text(pdf))

    def test_emulation_and_pen_buttons(self):
        m, port, window = self.listen("--pdf", "out.pdf")
        press(window, "alt+r")  # the pens are the plotter's: greyed for the dot-matrix printer
        press(window, "alt+s")  # Sony PRN-C41
        press(window, "alt+r")  # red pen
        time.sleep(1)  # the keys are taken before the next bytes
        send(port, b"IN RED" + CRLF)
        m.wait_for("connection closed")
        press(window, "alt+b")  # Brother M1009 again
        press(window, "alt+p")
        m.wait_for("page 1 printed")
        close_window(window)
        status, out, err = m.finish()
        self.assertEqual(status, 0, err)
        img = self.pdf_raster(self.path("out.pdf"), 1)
        reds = [img.pixel(x, y) for y in range(MARGIN, MARGIN + LINE) for x in range(MARGIN, MARGIN + 8 * CHAR)]
        inked = [p for p in reds if max(p) - min(p) > 60 or max(p) < 110]
        self.assertTrue(inked, "no ink")
        self.assertTrue(all(p[0] > p[1] + 50 and p[0] > p[2] + 50 for p in inked if max(p) > 60),
                        "the text is not red")

    def test_fitted_view_and_the_print_line_marker(self):
        m, port, window = self.listen("--png", "png")  # fit to window, as the settings' default
        send(port, BLOCK)
        # Fitted, the image is smaller than one pixel per dot: no full-size block.
        wait_for_picture(lambda img: ink_in(img, BAR, 0, 400, 200) > 20, "the fitted image")
        self.assertIsNone(find_block(screenshot()))
        press(window, "alt+o")  # Original size
        shot, (bx, by) = wait_for_picture(find_block, "the image at original size")
        ox, oy = bx - MARGIN, by - MARGIN
        # Drag the marker from the first line down to the sixth: the next
        # text starts there. The bar's top is 10 pixels above the sheet's.
        wx = WINDOW_RECT[0]
        top = oy - 10
        xdotool("mousemove", str(wx + BAR // 2), str(top + MARGIN + 10))  # the marker of the first line
        xdotool("mousedown", "1")
        for step in range(1, 6):
            xdotool("mousemove", str(wx + BAR // 2), str(top + LINE + step * LINE))
        xdotool("mousemove", str(wx + BAR // 2), str(top + 5 * LINE + 3))
        xdotool("mouseup", "1")
        # The marker stands at the sixth line: its grey block at the bar's left.
        marker = top + MARGIN + 10 + 5 * LINE
        wait_for_picture(lambda img: img.pixel(wx + 3, marker) == (198, 195, 198), "the marker on line 6")
        send(port, b"SIXTH LINE")
        y6 = oy + MARGIN + 5 * LINE
        wait_for_picture(lambda img: ink_in(img, ox + MARGIN, y6, ox + 300, y6 + LINE) > 20, "text on line 6")
        close_window(window)
        status, out, err = m.finish()
        self.assertEqual(status, 0, err)
        page = read_png(os.path.join(self.path("png"), "page-0001.png"))
        self.assertGreater(ink_in(page, MARGIN, MARGIN + 5 * LINE, 300, MARGIN + 6 * LINE), 20)

    def test_closing_discards_the_partial_page_when_asked(self):
        m, port, window = self.listen("--discard-partial", "--pdf", "out.pdf")
        send(port, b"never printed")
        m.wait_for("connection closed")
        close_window(window)
        status, out, err = m.finish()
        self.assertEqual(status, 0, err)
        self.assertIn("discarded", err)
        self.assertFalse(os.path.exists(self.path("out.pdf")))
        self.assertFalse(os.path.exists(self.path("Morvane.$$$")))

    def test_render_shows_the_input_and_waits(self):
        sample = os.path.join(SOURCE_DIR, "samples", "listing.bin")
        plain = subprocess.run([MORVANE, "render", "-q", sample, "--pdf", "plain.pdf"], cwd=self.dir)
        self.assertEqual(plain.returncode, 0)
        m = Morvane(self, "render", sample, "--window", "--pdf", "out.pdf")
        self.running.append(m)
        window = find_window()
        self.assertIn("listing.bin", xdotool("getwindowname", str(window)))
        m.wait_for("end of input", timeout=30)
        wait_for_picture(lambda img: ink_in(img, BAR, 0, 500, 500) > 50, "the last page")
        close_window(window)
        status, out, err = m.finish()
        self.assertEqual(status, 0, err)
        self.assertEqual(self.pdf_pages(self.path("out.pdf")), self.pdf_pages(self.path("plain.pdf")))

    def test_no_display_is_an_error(self):
        env = window_env()
        env.pop("DISPLAY")
        r = subprocess.run([MORVANE, "listen", "--tcp", "0", "--window"], cwd=self.dir, env=env,
                           capture_output=True, timeout=20)
        self.assertEqual(r.returncode, 1)
        self.assertIn(b"morvane: cannot open the window", r.stderr)


def main():
    global MORVANE, SOURCE_DIR
    MORVANE, SOURCE_DIR = (os.path.abspath(a) for a in sys.argv[1:3])
    start_xvfb()
    try:
        result = unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=1, exit=False).result
    finally:
        XVFB.send_signal(signal.SIGTERM)
        XVFB.wait()
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
