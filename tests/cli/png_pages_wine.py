#!/usr/bin/env python3
"""PNG pages of the Windows build of morvane, run under Wine.

Decodes the pages with Python's own zlib (not the imaging component that
wrote them), checks them against the dots the samples send and against an
ordinary deflate of the same rows, and checks that a page that cannot be
stored whole is not there at all, while the run says which and exits 1.

Usage: png_pages_wine.py WINE_RUN MORVANE_CLI_EXE SOURCE_DIR [unittest options]
"""

import importlib.util
import os
import resource
import signal
import subprocess
import sys
import unittest
import zlib

WINE_RUN = MORVANE = None
e2e = None  # cli_e2e.py: the native tests' image reader and banner dots


def load_e2e(source_dir):
    path = os.path.join(source_dir, "tests", "cli", "cli_e2e.py")
    found = importlib.util.spec_from_file_location("cli_e2e", path)
    module = importlib.util.module_from_spec(found)
    found.loader.exec_module(module)
    module.SOURCE_DIR = source_dir
    return module


def deflated_size(img):
    """The rows as libpng's default would store them, without filters."""
    stride = img.width * 3
    raw = b"".join(b"\0" + img.rgb[y * stride:(y + 1) * stride] for y in range(img.height))
    return len(zlib.compress(raw, 6))


def file_size_limit(limit):
    def apply():
        # Past the limit a write fails (EFBIG) instead of ending the process,
        # as a full disk makes it fail.
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, limit))
    return apply


def make_case():
    # Built once cli_e2e is loaded: its Case holds the folder helpers, its
    # Samples the banner's dots.
    class Case(e2e.Case):
        expected_banner_dots = e2e.Samples.expected_banner_dots
        check_dots = e2e.Samples.check_dots

        def run_morvane(self, *args, stdin=None, timeout=60, limit=None):
            return subprocess.run([WINE_RUN, MORVANE, *args], cwd=self.dir, input=stdin, capture_output=True,
                                  timeout=timeout, preexec_fn=file_size_limit(limit) if limit else None)

        def render_png(self, *inputs, stdin=None, limit=None):
            return self.run_morvane("render", *inputs, "--png", "pages", stdin=stdin, limit=limit)

        def pages(self):
            return sorted(os.listdir(self.path("pages")))

        def test_banner_pages_hold_the_dots_and_are_compressed(self):
            r = self.render_png(self.sample("banner.bin"))
            self.assertEqual(r.returncode, 0, r.stderr.decode())
            self.assertEqual(self.pages(), ["page-0001.png"])
            page = self.path("pages/page-0001.png")
            img = e2e.read_png(page)
            self.assertEqual((img.width, img.height), (850, 1100))
            self.check_dots(img, self.expected_banner_dots())
            self.assertLessEqual(os.path.getsize(page), 1.5 * deflated_size(img))

        def test_text_pages_whole_and_compressed(self):
            text = b"".join(b"%5d LISTING LINE OF THE PNG TEST\r\n" % n for n in range(100))
            r = self.render_png(self.write("text.bin", text))
            self.assertEqual(r.returncode, 0, r.stderr.decode())
            self.assertEqual(self.pages(), ["page-0001.png", "page-0002.png", "page-0003.png"])
            for name in self.pages():
                img = e2e.read_png(self.path("pages/" + name))
                self.assertTrue(any(e2e.is_dark(p) for p in img.box(0, 0, 850, 100)), name)
                self.assertLessEqual(os.path.getsize(self.path("pages/" + name)), 1.5 * deflated_size(img))

        def test_old_pages_are_replaced_whole(self):
            os.mkdir(self.path("pages"))
            self.write("pages/page-0001.png", b"an old page " * 100000)
            r = self.render_png(stdin=b"new page\r\n\x0c")
            self.assertEqual(r.returncode, 0, r.stderr.decode())
            self.assertEqual(self.pages(), ["page-0001.png"])
            self.assertEqual(e2e.read_png(self.path("pages/page-0001.png")).width, 850)

        def test_page_that_cannot_be_stored_is_absent(self):
            # The first page's name is a folder's: that page fails, the next is
            # written all the same, and the run ends with status 1.
            os.makedirs(self.path("pages/page-0001.png"))
            r = self.render_png(stdin=b"one\x0ctwo\x0c")
            self.assert_failure(r, 1, "page-0001.png")
            self.assertNotIn("page-0002.png", r.stderr.decode())
            self.assertEqual(self.pages(), ["page-0001.png", "page-0002.png"])
            self.assertTrue(os.path.isdir(self.path("pages/page-0001.png")))
            self.assertEqual(e2e.read_png(self.path("pages/page-0002.png")).height, 1100)

        def test_full_disk_leaves_no_part_of_a_page(self):
            # Each page of text is far above 40 kB; the input and spool are not.
            text = b"".join(b"%5d A FULL LINE OF TEXT FOR A PAGE THAT WILL NOT FIT\r\n" % n for n in range(60))
            r = self.render_png(self.write("text.bin", text), limit=40000)
            self.assert_failure(r, 1, "page-0001.png", "page-0002.png", "writing")
            self.assertEqual(self.pages(), [])

    return Case


def main():
    global WINE_RUN, MORVANE, e2e
    WINE_RUN, MORVANE, source_dir = (os.path.abspath(a) for a in sys.argv[1:4])
    e2e = load_e2e(source_dir)
    globals()["PngPagesUnderWine"] = make_case()
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=1)


if __name__ == "__main__":
    main()
