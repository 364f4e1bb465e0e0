#!/usr/bin/env python3
"""Soak of the live window: `morvane listen --tcp 0 --window --pdf` on a
private Xvfb, fed PAGES pages over TCP (lines of text, a bit-image line and
a form feed each, so that every page end renews the whole view), reporting
the program's resident memory once its window is up and at the marks.

    bench/live_soak.py [--pages 1000] [--marks 100,1000] [--view fit|original]
                       [--renderer NAME] [MORVANE]

MORVANE defaults to build/native/src/cli/morvane. The window runs with the
program's own choice of GTK renderer unless --renderer names one
(GSK_RENDERER). Needs Xvfb; Linux only (/proc). Not a test: the figures
depend on the machine. tests/live/window_memory.py runs it with a bound on
the growth.
"""

import argparse
import os
import re
import select
import socket
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))
from xvfb import start_xvfb  # noqa: E402


def page_bytes(n):
    """One page: four text lines, a bit-image line of 400 columns, a form feed."""
    text = b"".join(b"SOAK PAGE %06d LINE %d: THE QUICK BROWN FOX JUMPS OVER THE LAZY DOG\r\n" % (n, i)
                    for i in range(4))
    image = b"\x1bL" + bytes([400 & 0xFF, 400 >> 8]) + bytes(((x * 7 + n * 13) & 0xFF) for x in range(400))
    return text + image + b"\r\n\x0c"


class Xvfb:
    """A private X server on a display number of its own choosing."""

    def __init__(self):
        self.proc, self.display = start_xvfb()

    def close(self):
        self.proc.terminate()
        self.proc.wait()


def resident_mb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024.0
    raise RuntimeError("no VmRSS for process %d" % pid)


def soak(morvane, pages, marks, view="fit", renderer=None, display=None, timeout=600):
    """Runs the soak; returns {"start": MB, mark: MB, ...} and the seconds it took.
    Raises RuntimeError when the program fails or stalls."""
    env = dict(os.environ, GDK_BACKEND="x11", GTK_A11Y="none", GSETTINGS_BACKEND="memory",
               DISPLAY=display or os.environ.get("DISPLAY", ""))
    env.pop("WAYLAND_DISPLAY", None)
    env.pop("GSK_RENDERER", None)
    if renderer:
        env["GSK_RENDERER"] = renderer
    with tempfile.TemporaryDirectory(prefix="morvane-soak-") as work:
        with open(os.path.join(work, "soak.ini"), "w") as f:
            f.write("[Morvane]\nprinterview=%d\n" % (1 if view == "original" else 0))
        proc = subprocess.Popen([morvane, "listen", "--tcp", "0", "--window", "--settings", "soak.ini",
                                 "--pdf", "soak.pdf"], cwd=work, env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        try:
            return _drive(proc, pages, marks, time.time() + timeout)
        finally:
            if proc.poll() is None:
                proc.kill()
            proc.communicate()


def _lines(proc, deadline):
    """The program's report lines as they come."""
    buf = b""
    while True:
        if time.time() > deadline:
            raise RuntimeError("morvane stalled")
        if not select.select([proc.stdout], [], [], 1)[0]:
            continue
        chunk = os.read(proc.stdout.fileno(), 4096)
        if not chunk:
            raise RuntimeError("morvane ended (%s): %s" % (proc.wait(), proc.stderr.read().decode()))
        buf += chunk
        while b"\n" in buf:
            line, buf = buf.split(b"\n", 1)
            yield line.decode()


def _drive(proc, pages, marks, deadline):
    lines = _lines(proc, deadline)
    port = None
    for line in lines:
        m = re.search(r"TCP 127\.0\.0\.1:(\d+)", line)
        if m:
            port = int(m.group(1))
            break
    time.sleep(1)  # the window comes up and draws its first frame
    figures = {"start": resident_mb(proc.pid)}
    started = time.time()
    conn = socket.create_connection(("127.0.0.1", port))
    # The program reads at its own pace; the sender keeps its queue full.
    sender = threading.Thread(target=lambda: conn.sendall(b"".join(page_bytes(n) for n in range(pages))),
                              daemon=True)
    sender.start()
    done = 0
    for line in lines:
        m = re.match(r"page (\d+) ", line)
        if not m:
            continue
        done = int(m.group(1))
        if done in marks:
            figures[done] = resident_mb(proc.pid)
        if done >= pages:
            break
    seconds = time.time() - started
    sender.join(timeout=10)
    conn.close()
    proc.terminate()
    return figures, seconds


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("morvane", nargs="?", default=os.path.join(HERE, "..", "build", "native", "src", "cli", "morvane"))
    ap.add_argument("--pages", type=int, default=1000)
    ap.add_argument("--marks", default="100,1000")
    ap.add_argument("--view", choices=("fit", "original"), default="fit")
    ap.add_argument("--renderer", help="GSK_RENDERER for the window (default: the program's choice)")
    args = ap.parse_args()
    marks = sorted(int(v) for v in args.marks.split(","))
    xvfb = Xvfb()
    try:
        figures, seconds = soak(os.path.abspath(args.morvane), args.pages, marks, args.view, args.renderer,
                                xvfb.display)
    finally:
        xvfb.close()
    print("live window, %s view, renderer %s: %d pages in %.1f s" %
          (args.view, args.renderer or "(the program's choice)", args.pages, seconds))
    print("  resident at the start: %6.1f MB" % figures["start"])
    for mark in marks:
        if mark in figures:
            print("  resident at page %4d: %6.1f MB" % (mark, figures[mark]))
    if len(marks) >= 2 and marks[0] in figures and marks[-1] in figures:
        print("  growth from page %d to %d: %+.1f MB" % (marks[0], marks[-1], figures[marks[-1]] - figures[marks[0]]))


if __name__ == "__main__":
    sys.exit(main())
