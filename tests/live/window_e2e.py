#!/usr/bin/env python3
"""End-to-end tests of morvane's live window (--window) on a private X server.

Starts Xvfb (it picks a free display itself, so parallel runs never collide),
runs `morvane listen --tcp 0 --window` and `morvane render --window`, sends
bytes over TCP, drives the window with xdotool (keys and the mouse), closes
it as a window manager would (WM_DELETE_WINDOW), and checks screenshots, the
PNG pages, the PDF and the exit status. Shares its helpers with cli_e2e.py.

Usage: window_e2e.py MORVANE SOURCE_DIR [unittest options]
"""

import ctypes
import os
import re
import signal
import socket
import subprocess
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cli"))
import cli_e2e  # noqa: E402
from cli_e2e import CRLF, Image, is_dark, read_png  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from xvfb import start_xvfb  # noqa: E402

DISPLAY = XVFB = None
WINDOW = (0, 0, 0, 0)  # the window on the screen: x, y, width, height

MARGIN, LINE, CHAR = cli_e2e.MARGIN, cli_e2e.LINE, cli_e2e.CHAR
BAR = 17     # the head-position bar's width
IMAGE = 100  # columns of the test's bit image: a black block 8 rows high
BLOCK = b"\x1bK" + bytes([IMAGE, 0]) + b"\xff" * IMAGE
GREY = (198, 195, 198)  # the marker's fill


def window_env():
    # X11, drawn as the program chooses (no renderer named); no accessibility
    # bus or settings daemon to look for; a GTK critical (a misuse) ends the
    # program. GTK's own caches live to the end: no leak check. No settings
    # file of the tester's: only one a test names.
    env = dict(os.environ, DISPLAY=DISPLAY, GDK_BACKEND="x11", GTK_A11Y="none",
               GSETTINGS_BACKEND="memory", G_DEBUG="fatal-criticals", ASAN_OPTIONS="detect_leaks=0",
               XDG_CONFIG_HOME="/nonexistent/morvane-window-e2e")
    for name in ("WAYLAND_DISPLAY", "GSK_RENDERER", "GDK_DEBUG"):
        env.pop(name, None)
    return env


def xdotool(*args):
    return subprocess.run(["xdotool", *args], env=window_env(), capture_output=True, text=True, timeout=10).stdout


def find_window(proc, timeout=20):
    global WINDOW
    deadline = time.time() + timeout
    while time.time() < deadline:
        if proc.poll() is not None:
            raise AssertionError("morvane ended (%d) before its window appeared: %s"
                                 % (proc.returncode, proc.stderr.read().decode()))
        ids = xdotool("search", "--onlyvisible", "--name", "^Morvane - ").split()
        if ids:
            g = xdotool("getwindowgeometry", ids[0])
            WINDOW = tuple(int(v) for v in re.search(r"Position: (\d+),(\d+).*Geometry: (\d+)x(\d+)", g, re.S).groups())
            return int(ids[0])
        time.sleep(0.1)
    raise AssertionError("no Morvane window appeared")


def xprop(window, *args):
    return subprocess.run(["xprop", "-id", str(window), *args], env=window_env(), capture_output=True, text=True,
                          timeout=10).stdout


def window_icons(window):
    """The window's icons as {size: [ARGB, ...]}, from _NET_WM_ICON."""
    text = xprop(window, "-notype", "-f", "_NET_WM_ICON", "32c", "_NET_WM_ICON")
    values = [int(v) for v in text.split("=", 1)[1].split(",")] if "=" in text else []
    icons, at = {}, 0
    while at + 2 <= len(values):
        w, h = values[at], values[at + 1]
        icons[(w, h)] = values[at + 2:at + 2 + w * h]
        at += 2 + w * h
    return icons


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
    x.XFlush.argtypes = x.XCloseDisplay.argtypes = [ctypes.c_void_p]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                    ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]

    dpy = x.XOpenDisplay(DISPLAY.encode())
    ev = ClientMessage(type=33, window=window, format=32, message_type=x.XInternAtom(dpy, b"WM_PROTOCOLS", 0))
    ev.data[0] = x.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
    x.XSendEvent(dpy, window, 0, 0, ctypes.byref(ev))
    x.XFlush(dpy)
    x.XCloseDisplay(dpy)


def screenshot():
    xwd = subprocess.run(["xwd", "-root", "-silent", "-display", DISPLAY], capture_output=True, check=True).stdout
    ppm = subprocess.run(["xwdtopnm"], input=xwd, capture_output=True, check=True).stdout
    m = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", ppm)
    w, h, maxval = (int(v) for v in m.groups())
    data = ppm[m.end():][0::2] if maxval > 255 else ppm[m.end():]  # 16-bit samples: the high bytes
    return Image(w, h, data[:w * h * 3])


def find_block(img):
    """The top-left corner of the test's bit image at one pixel per dot: a
    black block IMAGE pixels long and 8 rows high with no ink above and
    below it, in the window."""
    x0, y0, w, h = WINDOW
    run = b"\0\0\0" * IMAGE
    for y in range(max(y0, 1), min(y0 + h, img.height) - 8):
        row = lambda r: img.rgb[(y + r) * img.width * 3:(y + r + 1) * img.width * 3]  # noqa: E731
        x = row(0).find(run, x0 * 3, (x0 + w) * 3)
        if x >= 0 and x % 3 == 0 and all(row(r)[x:x + len(run)] == run for r in range(8)) \
                and not is_dark(img.pixel(x // 3, y - 1)) and not is_dark(img.pixel(x // 3, y + 8)):
            return x // 3, y
    return None


def ink_in(img, x0, y0, x1, y1):
    return sum(1 for p in img.box(x0, y0, x1, y1) if is_dark(p))


def wait_for_picture(test, what, timeout=10):
    deadline = time.time() + timeout
    while True:
        img = screenshot()
        found = test(img)
        if found:
            return img, found
        if time.time() > deadline:
            raise AssertionError("the window never showed " + what)
        time.sleep(0.15)


class Morvane(cli_e2e.Listener):
    def __init__(self, case, *args):
        self.proc = subprocess.Popen([cli_e2e.MORVANE, *args], cwd=case.dir, env=window_env(),
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.out, self.seen = b"", 0
        case.addCleanup(lambda: self.proc.poll() is None and (self.proc.kill(), self.proc.communicate()))

    def finish(self):
        out, err = self.proc.communicate(timeout=20)
        self.out += out
        return self.proc.returncode, self.out.decode(), err.decode()


def send(port, data):
    with socket.create_connection(("127.0.0.1", port)) as c:
        c.sendall(data)


class LiveWindow(cli_e2e.Case):
    def listen(self, *args):
        m = Morvane(self, "listen", "--tcp", "0", "--window", *args)
        port = int(m.wait_for(r"TCP 127\.0\.0\.1:(\d+)").group(1))
        return m, port, find_window(m.proc)

    def test_sheet_shows_bytes_as_they_come_and_the_page_commands_act(self):
        # Original size: one screen pixel per sheet pixel.
        ini = self.write("test.ini", b"[Morvane]\nprinterview=1\n")
        m, port, window = self.listen("--settings", ini, "--font-height", "24", "--pdf", "out.pdf", "--png", "png")
        self.assertEqual(xdotool("getwindowname", str(window)).strip(),
                         "Morvane - tcp 127.0.0.1:%d Printer: Enabled" % port)

        send(port, b"HELLO WINDOW" + CRLF + BLOCK)
        shot, (bx, by) = wait_for_picture(find_block, "the bit image")
        ox, oy = bx - MARGIN, by - MARGIN - LINE  # the sheet's corner on the screen
        self.assertGreater(ink_in(shot, ox + MARGIN, oy + MARGIN, ox + MARGIN + 12 * CHAR, oy + MARGIN + LINE), 40)
        self.assertNotIn(b"page 1", m.out)  # shown before the page ended

        press(window, "alt+p")  # Print page now
        m.wait_for("page 1 printed")
        # The window showed exactly the sheet that was printed.
        page = read_png(os.path.join(self.path("png"), "page-0001.png"))
        differ = sum(1 for y in range(300) for x in range(500) if page.pixel(x, y) != shot.pixel(ox + x, oy + y))
        self.assertEqual(differ, 0, "screen and sheet differ in %d pixels" % differ)
        first_lines = lambda img: ink_in(img, ox + MARGIN, oy + MARGIN, ox + 300, oy + MARGIN + LINE)  # noqa: E731
        wait_for_picture(lambda img: find_block(img) is None and first_lines(img) == 0, "the page end's clean sheet")

        send(port, b"to be cleared")
        wait_for_picture(lambda img: first_lines(img) > 20, "the text to be cleared")
        press(window, "alt+c")  # Clear page
        wait_for_picture(lambda img: first_lines(img) == 0, "the cleared sheet")
        send(port, b"kept" + CRLF)
        wait_for_picture(lambda img: first_lines(img) > 10, "the text after the clear")

        close_window(window)
        status, out, err = m.finish()
        self.assertEqual((status, err), (0, ""))  # and GTK had nothing to say
        self.assertIn("page 2 printed", out)  # the page in progress is printed at the close
        pages = self.pdf_text(self.path("out.pdf")).split("\f")
        self.assertEqual(self.pdf_pages(self.path("out.pdf")), 2)
        self.assertIn("HELLO WINDOW", pages[0])
        self.assertIn("kept", pages[1])
        self.assertNotIn("cleared", pages[1])

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
        img = self.raster(self.path("out.pdf"), 1)
        inked = [p for p in img.box(MARGIN, MARGIN, MARGIN + 8 * CHAR, MARGIN + LINE) if min(p) < 200]
        self.assertTrue(inked, "no ink")
        self.assertTrue(all(cli_e2e.colour_class(p) == "red" for p in inked if min(p) < 120), "the text is not red")

    def test_fitted_view_and_the_print_line_marker(self):
        m, port, window = self.listen("--png", "png")  # fit to window, as the settings' default
        send(port, BLOCK)
        # Fitted, the image is smaller than one pixel per dot: no full-size block.
        wait_for_picture(lambda img: ink_in(img, BAR, 0, 400, 200) > 20, "the fitted image")
        self.assertIsNone(find_block(screenshot()))
        press(window, "alt+o")  # Original size
        _, (bx, by) = wait_for_picture(find_block, "the image at original size")
        ox, oy = bx - MARGIN, by - MARGIN
        # Drag the marker from the first line to the sixth: the next text
        # starts there. The bar's top is 10 pixels above the sheet's.
        x, top = str(WINDOW[0] + BAR // 2), oy - 10
        xdotool("mousemove", x, str(top + MARGIN + 10))
        xdotool("mousedown", "1")
        for line in range(1, 6):
            xdotool("mousemove", x, str(top + line * LINE + 3))
        xdotool("mouseup", "1")
        marker = top + MARGIN + 10 + 5 * LINE
        wait_for_picture(lambda img: img.pixel(WINDOW[0] + 3, marker) == GREY, "the marker on line 6")
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
        plain = self.render(self.sample("listing.bin"))
        m = Morvane(self, "render", self.sample("listing.bin"), "--window", "--pdf", "window.pdf")
        # Looked for once the program is connected: a busy X server (as a
        # search makes it) can turn a client's connection away.
        m.wait_for("end of input", timeout=30)
        window = find_window(m.proc)
        self.assertIn("listing.bin", xdotool("getwindowname", str(window)))
        wait_for_picture(lambda img: ink_in(img, BAR, 0, 500, 500) > 50, "the last page")
        close_window(window)
        status, out, err = m.finish()
        self.assertEqual(status, 0, err)
        self.assertEqual(self.pdf_pages(self.path("window.pdf")), self.pdf_pages(plain))

    def test_ctrl_q_and_ctrl_w_close_the_window_as_its_close_button_does(self):
        for key in ("ctrl+q", "ctrl+w"):
            with self.subTest(key=key):
                m, port, window = self.listen("--pdf", key + ".pdf")
                send(port, b"CLOSED BY " + key.upper().encode() + CRLF)
                m.wait_for("connection closed")
                press(window, key)
                status, out, err = m.finish()
                self.assertEqual((status, err), (0, ""))
                self.assertIn("page 1 printed", out)  # the page in progress is printed
                self.assertIn("CLOSED BY " + key.upper(), self.pdf_text(self.path(key + ".pdf")))

    def test_window_names_itself_and_shows_its_own_icon(self):
        m, port, window = self.listen()
        self.assertIn('WM_CLASS(STRING) = "morvane", "Morvane"', xprop(window, "WM_CLASS"))
        self.assertIn('"org.morvane.Morvane"', xprop(window, "_GTK_APPLICATION_ID"))
        # The icon is the program's own: its opaque pixels are those of the
        # icon that the packages install.
        icons = window_icons(window)
        self.assertIn((32, 32), icons)
        png = read_png(os.path.join(cli_e2e.SOURCE_DIR, "res", "icons", "hicolor", "32x32", "apps",
                                    "org.morvane.Morvane.png"))
        argb = icons[(32, 32)]
        opaque = [i for i, v in enumerate(argb) if v >> 24 == 255]
        self.assertGreater(len(opaque), 32 * 32 // 2)
        differ = [i for i in opaque if png.pixel(i % 32, i // 32) != ((argb[i] >> 16) & 255, (argb[i] >> 8) & 255,
                                                                         argb[i] & 255)]
        self.assertEqual(differ, [])
        close_window(window)
        self.assertEqual(m.finish()[0], 0)

    def test_narrow_window_wraps_its_command_row(self):
        m, port, window = self.listen()
        hints = xprop(window, "WM_NORMAL_HINTS")
        self.assertRegex(hints, r"minimum size: 360 by \d+")

        def bar_top(img):
            """The top of the yellow head-position bar: below the command row."""
            return next((y for y in range(WINDOW[1], WINDOW[1] + WINDOW[3])
                         if img.pixel(WINDOW[0] + 3, y) == (255, 255, 0)), None)

        _, wide = wait_for_picture(bar_top, "the head-position bar")
        xdotool("windowsize", "--sync", str(window), "360", str(WINDOW[3]))
        # Narrowed, the row takes more lines and every button stays usable.
        _, narrow = wait_for_picture(lambda img: (bar_top(img) or 0) > wide + 20 and bar_top(img), "a wrapped row")
        send(port, b"NARROW" + CRLF)
        m.wait_for("connection closed")
        press(window, "alt+o")  # Original size, the row's last choice
        press(window, "alt+p")
        m.wait_for("page 1 ended")
        close_window(window)
        self.assertEqual(m.finish()[0], 0)

    def test_a_click_leaves_no_button_for_space_or_enter_to_press(self):
        m, port, window = self.listen("--pdf", "out.pdf")
        send(port, b"FIRST" + CRLF)
        m.wait_for("connection closed")
        press(window, "space")  # at the start the focus is on no button
        press(window, "Return")
        # "Print page now" is the row's first button, at its top left.
        x0, y0 = WINDOW[0], WINDOW[1]
        xdotool("mousemove", str(x0 + 30), str(y0 + 18))
        xdotool("click", "1")
        m.wait_for("page 1 printed")
        send(port, b"SECOND" + CRLF)
        m.wait_for("connection closed")
        for key in ("space", "Return", "KP_Enter"):
            press(window, key)
        time.sleep(1)  # a key that pressed the button would have ended page 2 by now
        close_window(window)
        status, out, err = m.finish()
        self.assertEqual((status, err), (0, ""))
        self.assertEqual(re.findall(r"page (\d+) printed", out), ["1", "2"])
        self.assertEqual(self.pdf_pages(self.path("out.pdf")), 2)
        self.assertIn("SECOND", self.pdf_text(self.path("out.pdf")).split("\f")[1])

    def test_about_opens_over_the_window_and_goes_with_escape(self):
        m, port, window = self.listen()
        press(window, "alt+a")
        about = None
        deadline = time.time() + 10
        while about is None and time.time() < deadline:
            found = xdotool("search", "--onlyvisible", "--name", "^About Morvane$").split()
            about = int(found[0]) if found else time.sleep(0.1)
        self.assertIsNotNone(about, "no About window")
        self.assertIn("window id # %#x" % window, xprop(about, "WM_TRANSIENT_FOR"))
        press(about, "Escape")
        deadline = time.time() + 10
        while xdotool("search", "--onlyvisible", "--name", "^About Morvane$").strip() and time.time() < deadline:
            time.sleep(0.1)
        self.assertEqual(xdotool("search", "--onlyvisible", "--name", "^About Morvane$").strip(), "")
        close_window(window)
        status, out, err = m.finish()
        self.assertEqual((status, err), (0, ""))  # no icon or resource that GTK missed

    def test_no_display_is_an_error(self):
        env = window_env()
        env.pop("DISPLAY")
        r = subprocess.run([cli_e2e.MORVANE, "listen", "--tcp", "0", "--window"], cwd=self.dir, env=env,
                           capture_output=True, timeout=20)
        self.assertEqual(r.returncode, 1)
        self.assertTrue(r.stderr.startswith(b"morvane: cannot open the window"), r.stderr)
        self.assertEqual(r.stdout, b"")  # said before anything was started


def main():
    cli_e2e.MORVANE, cli_e2e.SOURCE_DIR = (os.path.abspath(a) for a in sys.argv[1:3])
    global XVFB, DISPLAY
    XVFB, DISPLAY = start_xvfb()
    try:
        result = unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=1, exit=False).result
    finally:
        XVFB.send_signal(signal.SIGTERM)
        XVFB.wait()
    sys.exit(0 if result.wasSuccessful() else 1)


if __name__ == "__main__":
    main()
