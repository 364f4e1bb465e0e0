#!/usr/bin/env python3
"""Fault injection for morvane's outputs: what it reports is what is stored.

Kills live sessions at random moments, fills the device, limits the file
size, runs two programs in one folder, starts from a read-only folder and
plants links where the program writes. Every PDF left behind is judged by
qpdf --check; every page reported printed must be in it. Shares its helpers
with cli_e2e.py.

Usage: output_e2e.py MORVANE SERIAL_PEER SOURCE_DIR [unittest options]
"""

import os
import random
import re
import resource
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cli_e2e  # noqa: E402
from cli_e2e import Case, Listener, read_png  # noqa: E402

FF = b"\x0c"
KILL_ROUNDS = int(os.environ.get("MORVANE_KILL_ROUNDS", "20"))


def page_bytes(k, lines=3):
    """Page k of a live stream: a marker line that names it, a few more lines, a form feed."""
    body = b"PAGE-%05d\r\n" % k + b"".join(b"line %d of page %d\r\n" % (i, k) for i in range(lines))
    return body + FF


def qpdf_check(path):
    """(passed, what qpdf said): passed only without errors or warnings."""
    r = subprocess.run(["qpdf", "--check", path], capture_output=True, text=True)
    return r.returncode == 0, r.stdout + r.stderr


def page_texts(path):
    """The text of every page, in order."""
    text = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True, check=True).stdout
    return text.split("\f")[:-1]


def printed_numbers(out):
    return [int(n) for n in re.findall(r"page (\d+) printed", out)]


def namespace_works():
    """Whether a private mount namespace can be made here (user namespaces)."""
    try:
        r = subprocess.run(["unshare", "-rm", "true"], capture_output=True, timeout=10)
    except (OSError, subprocess.TimeoutExpired):
        return False
    return r.returncode == 0


NAMESPACES = namespace_works()


def in_namespace(mounts, argv):
    """argv run where each (directory, tmpfs options) of `mounts` is a fresh
    tmpfs of its own, seen by that process only."""
    script = "".join('mount -t tmpfs -o %s tmpfs "%s" && ' % (opts, d) for d, opts in mounts)
    return ["unshare", "-rm", "sh", "-c", script + 'exec "$@"', "sh"] + list(argv)


class Run(Listener):
    """A program of the test, started with its own command line and environment."""

    def __init__(self, case, argv, env=None, preexec_fn=None):
        self.proc = subprocess.Popen(argv, cwd=case.dir, env=env, preexec_fn=preexec_fn,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.out, self.seen = b"", 0
        case.addCleanup(self.end)

    def tcp_port(self):
        return int(self.wait_for(r"TCP 127\.0\.0\.1:(\d+)").group(1))


class OutputCase(Case):
    def sender(self, port, pages, pause=0.0):
        """Sends pages over TCP in a thread until all are sent or the listener goes."""
        def run():
            try:
                with socket.create_connection(("127.0.0.1", port)) as c:
                    for k in range(1, pages + 1):
                        c.sendall(page_bytes(k))
                        if pause:
                            time.sleep(pause)
            except OSError:
                pass  # the listener was killed: that is the test
        t = threading.Thread(target=run, daemon=True)
        t.start()
        return t

    def listen_tcp(self, *args):
        l = Run(self, [cli_e2e.MORVANE, "listen", "--tcp", "0", *args])
        return l, l.tcp_port()

    def assert_valid_pdf_holding(self, path, reported):
        """The file passes qpdf and holds every reported page, each page its own."""
        ok, said = qpdf_check(path)
        self.assertTrue(ok, said)
        texts = page_texts(path)
        self.assertGreaterEqual(len(texts), reported)
        for k in range(1, reported + 1):
            self.assertIn("PAGE-%05d" % k, texts[k - 1], "page %d of %s" % (k, path))


class KilledSessions(OutputCase):
    """Property: whenever a live session dies, every page it reported printed
    is in a PDF that qpdf accepts, and an earlier file of that name stays
    whole until the session has a page to put there."""

    def test_kill_at_random_moments(self):
        rng = random.Random(os.environ.get("MORVANE_KILL_SEED", str(os.getpid())))
        earlier = self.write("out.pdf", b"%PDF-1.4 an earlier run's file\n")
        with open(earlier, "rb") as f:
            earlier_bytes = f.read()
        for rnd in range(KILL_ROUNDS):
            with self.subTest(round=rnd):
                l, port = self.listen_tcp("--pdf", "out.pdf")
                self.sender(port, 400)
                time.sleep(rng.uniform(0.0, 1.5))
                l.proc.kill()
                out, _ = l.proc.communicate(timeout=10)
                out = (l.out + out).decode()
                reported = max(printed_numbers(out), default=0)
                with open(self.path("out.pdf"), "rb") as f:
                    now = f.read()
                if reported == 0 and now == earlier_bytes:
                    continue  # killed before the first page: the earlier file is untouched
                self.assert_valid_pdf_holding(self.path("out.pdf"), reported)
                with open(self.path("out.pdf"), "rb") as f:
                    earlier_bytes = f.read()
                # Nothing of the session is left lying about in the folder.
                self.assertEqual(sorted(os.listdir(self.dir)), ["out.pdf"])

    def test_hangup_and_quit_end_like_terminate(self):
        for sig in (signal.SIGHUP, signal.SIGQUIT, signal.SIGTERM):
            with self.subTest(signal=sig.name):
                name = sig.name + ".pdf"
                l, port = self.listen_tcp("--pdf", name)
                with socket.create_connection(("127.0.0.1", port)) as c:
                    c.sendall(page_bytes(1) + b"PAGE-00002 unfinished\r\n")
                l.wait_for("page 1 printed")
                l.wait_for("connection closed")
                status, out, err = l.stop(sig)
                self.assertEqual(status, 0, err)
                self.assertIn("page 2 printed", out)
                self.assert_valid_pdf_holding(self.path(name), 2)


class FullDevices(OutputCase):
    def big_capture(self, pages=60):
        return self.write("big.bin", b"".join(page_bytes(k, lines=30) for k in range(1, pages + 1)))

    def assert_one_failure_line(self, r, *words):
        err = r.stderr.decode()
        self.assertEqual(r.returncode, 1, err)
        self.assertGreaterEqual(r.returncode, 0, "killed by a signal: " + err)
        lines = [l for l in err.splitlines() if l.startswith("morvane:")]
        self.assertTrue(lines, err)
        for w in words:
            self.assertIn(w, lines[0])

    def test_file_size_limit_is_reported_not_a_silent_kill(self):
        big = self.big_capture()
        limit = 48 * 1024
        r = subprocess.run([cli_e2e.MORVANE, "render", big, "--pdf", "out.pdf"], cwd=self.dir,
                           capture_output=True, timeout=60,
                           preexec_fn=lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit)))
        self.assert_one_failure_line(r, "out.pdf", "File too large")
        if os.path.exists(self.path("out.pdf")):
            ok, said = qpdf_check(self.path("out.pdf"))
            self.assertTrue(ok, said)

    @unittest.skipUnless(NAMESPACES, "no user namespaces for a private tmpfs")
    def test_full_device_under_a_live_session(self):
        os.mkdir(self.path("small"))
        argv = in_namespace([(self.path("small"), "size=64k")],
                            [cli_e2e.MORVANE, "listen", "--tcp", "0", "--pdf", "small/out.pdf"])
        l = Run(self, argv)
        port = l.tcp_port()
        self.sender(port, 200).join(timeout=30)
        l.wait_for("not printed", timeout=20)
        l.wait_for("connection closed", timeout=30)  # every page sent has ended
        # The file is inside the namespace's tmpfs: copy it out before the end.
        copy = self.path("copy.pdf")
        subprocess.run(["sh", "-c", 'cat "/proc/%d/cwd/small/out.pdf" > "%s"' % (l.proc.pid, copy)], check=True)
        status, out, err = l.stop()
        self.assertEqual(status, 1, err)
        said = [x for x in err.splitlines() if x.startswith("morvane:")]
        self.assertTrue(any("small/out.pdf" in x and "No space left on device" in x for x in said), err)
        self.assertLessEqual(len(said), 3, err)  # told once, not for every page
        reported = printed_numbers(out)
        self.assertEqual(reported, list(range(1, len(reported) + 1)), out)
        # A page that did not fit is missing, and a later one may fit again:
        # the file holds exactly the pages reported, in the order they came.
        ok, said = qpdf_check(copy)
        self.assertTrue(ok, said)
        marks = [int(re.search(r"PAGE-(\d+)", t).group(1)) for t in page_texts(copy)]
        self.assertEqual(len(marks), len(reported))
        self.assertEqual(marks, sorted(set(marks)))
        self.assertEqual(marks[:5], [1, 2, 3, 4, 5])
        self.assertNotRegex(out, r"printed \(0 bytes\)")

    @unittest.skipUnless(NAMESPACES, "no user namespaces for a private tmpfs")
    def test_spool_on_a_full_device(self):
        os.mkdir(self.path("tmp"))
        env = dict(os.environ, TMPDIR=self.path("tmp"))
        # Page 2 is 12 kB on one line (carriage returns only): more than the spool's device holds.
        data = page_bytes(1) + b"PAGE-00002 " + b"y\r" * 6000 + FF + page_bytes(3)
        argv = in_namespace([(self.path("tmp"), "size=8k")],
                            [cli_e2e.MORVANE, "listen", "--tcp", "0", "--pdf", "out.pdf"])
        l = Run(self, argv, env=env)
        port = l.tcp_port()
        with socket.create_connection(("127.0.0.1", port)) as c:
            c.sendall(data)
        l.wait_for("page 2 printed", timeout=20)
        status, out, err = l.stop()
        self.assertEqual(status, 1, err)
        self.assertIn("spool file", err)
        self.assertEqual(printed_numbers(out), [1, 2], out)  # the sheet of page 3 is the second
        texts = page_texts(self.path("out.pdf"))
        self.assertEqual(len(texts), 2)
        self.assertIn("PAGE-00003", texts[1])


class Neighbours(OutputCase):
    """Other programs in the same folder, and names planted where the program writes."""

    def test_two_runs_in_one_folder_keep_their_pages_apart(self):
        l, port = self.listen_tcp("--pdf", "live.pdf")
        sending = self.sender(port, 120, pause=0.005)
        lines = b"".join(b"RENDERED line %d\r\n" % i for i in range(1500))
        r = self.run_morvane("render", "--pdf", "rendered.pdf", stdin=lines, timeout=60)
        self.assertEqual(r.returncode, 0, r.stderr.decode())
        sending.join(timeout=30)
        status, out, err = l.stop()
        self.assertEqual(status, 0, err)
        live, rendered = page_texts(self.path("live.pdf")), page_texts(self.path("rendered.pdf"))
        self.assertFalse([t for t in live if "RENDERED" in t])
        self.assertFalse([t for t in rendered if "PAGE-" in t or "line 0 of" in t])
        self.assertEqual(sum(t.count("RENDERED line") for t in rendered), 1500)

    def test_nothing_is_written_into_the_working_folder_unasked(self):
        r = self.run_morvane("render", "--pdf", "out.pdf", stdin=page_bytes(1) + b"unfinished")
        self.assertEqual(r.returncode, 0, r.stderr.decode())
        self.assertEqual(sorted(os.listdir(self.dir)), ["out.pdf"])

    @unittest.skipUnless(NAMESPACES or os.geteuid() != 0, "a read-only folder needs a namespace as root")
    def test_read_only_working_folder(self):
        os.mkdir(self.path("ro"))
        out = tempfile.mktemp(prefix="morvane-ro-", suffix=".pdf")
        self.addCleanup(lambda: os.path.exists(out) and os.unlink(out))
        argv = [cli_e2e.MORVANE, "render", "--pdf", out]
        if NAMESPACES:
            argv = in_namespace([(self.path("ro"), "ro,size=16k")], argv)
        else:
            os.chmod(self.path("ro"), 0o555)
        r = subprocess.run(argv, cwd=self.path("ro"), input=page_bytes(1), capture_output=True, timeout=30)
        self.assertEqual(r.returncode, 0, r.stderr.decode())
        self.assert_valid_pdf_holding(out, 1)

    def test_planted_links_are_never_written_through(self):
        victim = self.write("victim", b"precious")
        os.symlink(victim, self.path("Morvane.$$$"))
        os.symlink(victim, self.path("linked.pdf"))
        r = self.run_morvane("render", "--pdf", "linked.pdf", stdin=page_bytes(1))
        self.assert_failure(r, 1, "linked.pdf")
        r = self.run_morvane("render", "--pdf", "out.pdf", stdin=page_bytes(1))
        self.assertEqual(r.returncode, 0, r.stderr.decode())
        with open(victim, "rb") as f:
            self.assertEqual(f.read(), b"precious")
        self.assertTrue(os.path.islink(self.path("linked.pdf")))
        self.assert_valid_pdf_holding(self.path("out.pdf"), 1)


class HonestReports(OutputCase):
    def test_counts_are_printed_sheets(self):
        # A leading form feed ends a page with nothing on it: no sheet, no count.
        l, port = self.listen_tcp("--pdf", "out.pdf")
        with socket.create_connection(("127.0.0.1", port)) as c:
            c.sendall(FF + page_bytes(1) + page_bytes(2))
        l.wait_for("page 2 printed")
        status, out, err = l.stop()
        self.assertEqual(status, 0, err)
        self.assertEqual(printed_numbers(out), [1, 2], out)
        self.assertIn("stopped after 2 pages", out)
        self.assertEqual(len(page_texts(self.path("out.pdf"))), 2)

    def test_png_folder_holds_only_this_runs_pages(self):
        os.mkdir(self.path("png"))
        for k in range(1, 6):
            self.write("png/page-%04d.png" % k, b"an earlier run's page")
        self.write("png/notes.txt", b"the user's own")
        os.mkdir(self.path("png/page-0009.png"))  # a folder is never a page of ours
        r = self.run_morvane("render", "--png", "png", stdin=page_bytes(1) + page_bytes(2))
        self.assertEqual(r.returncode, 0, r.stderr.decode())
        self.assertEqual(sorted(os.listdir(self.path("png"))),
                         ["notes.txt", "page-0001.png", "page-0002.png", "page-0009.png"])
        for k in (1, 2):
            self.assertEqual(read_png(self.path("png/page-%04d.png" % k)).width, 850)

    def test_input_that_prints_nothing_leaves_no_earlier_pdf(self):
        self.write("out.pdf", b"%PDF-1.4 an earlier run's file\n")
        r = self.run_morvane("render", "--pdf", "out.pdf", stdin=b"")
        self.assertEqual(r.returncode, 0, r.stderr.decode())
        self.assertIn("no sheet was printed", r.stderr.decode())
        self.assertFalse(os.path.exists(self.path("out.pdf")))


def main():
    cli_e2e.MORVANE, cli_e2e.SERIAL_PEER, cli_e2e.SOURCE_DIR = (os.path.abspath(a) for a in sys.argv[1:4])
    for tool in ("qpdf", "pdftotext"):
        if shutil.which(tool) is None:
            print("output_e2e: %s is missing (scripts/setup installs it)" % tool)
            sys.exit(77)
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=1)


if __name__ == "__main__":
    main()
