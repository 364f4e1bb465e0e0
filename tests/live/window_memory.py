#!/usr/bin/env python3
"""The live window's memory does not grow with the pages it shows: 1,000
pages through `morvane listen --tcp 0 --window --pdf` on a private Xvfb
(bench/live_soak.py), resident memory taken at pages 100 and 1,000.

Usage: window_memory.py MORVANE SOURCE_DIR
"""

import os
import sys
import unittest

MORVANE = SOURCE_DIR = None

# What a page may leave behind, all pages together: allocator slack, not a
# page's sheet, tiles or textures (a tile is 64 kB, a sheet 3.7 MB).
MAX_GROWTH_MB = 4.0
# GTK's OpenGL stack alone is over 100 MB; the window draws without it.
MAX_RESIDENT_MB = 100.0


class WindowMemory(unittest.TestCase):
    def test_a_thousand_pages_leave_memory_flat(self):
        sys.path.insert(0, os.path.join(SOURCE_DIR, "bench"))
        import live_soak
        xvfb = live_soak.Xvfb()
        try:
            figures, _ = live_soak.soak(MORVANE, 1000, (100, 1000), display=xvfb.display)
        finally:
            xvfb.close()
        growth = figures[1000] - figures[100]
        report = "resident %.1f MB at the start, %.1f MB at page 100, %.1f MB at page 1000" % (
            figures["start"], figures[100], figures[1000])
        self.assertLessEqual(growth, MAX_GROWTH_MB, report)
        self.assertLess(figures[100], MAX_RESIDENT_MB, report)


if __name__ == "__main__":
    MORVANE, SOURCE_DIR = (os.path.abspath(a) for a in sys.argv[1:3])
    unittest.main(argv=[sys.argv[0]] + sys.argv[3:], verbosity=1)
