#!/usr/bin/env python3
"""The feed-loop benchmarks of both builds in one run, side by side.

Runs bench_feed and bench_plotter of the native build (cairo sheet) and of
the Windows build under Wine (GDI sheet, bench/wine-bench.sh) one after the
other, with the spool files of both in one private folder (in /dev/shm when
there is one, so the disk's own pauses stay out of the figures), and prints a
Markdown table: rates per second of processor time, as Google Benchmark
gives them, and each as a multiple of the serial line's 25.6 kB/s.

Usage: bench/feed-both.py [NATIVE_BENCH_DIR [WINDOWS_BENCH_DIR]]
(defaults build/native/bench and build/windows/bench)
"""

import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SERIAL_LINE = 25600  # bytes per second: 256 bytes every 10 ms
PROGRAMS = ("bench_feed", "bench_plotter")
LINE = re.compile(r"^(BM_\w+)\s.*?(bytes|items)_per_second=([\d.eE+-]+)Mi?/s", re.M)


def native_rates(folder, spool):
    rates = {}
    for name in PROGRAMS:
        out = subprocess.run([os.path.join(folder, name), "--benchmark_format=json"], check=True,
                             capture_output=True, text=True, env=dict(os.environ, MORVANE_BENCH_DIR=spool)).stdout
        for b in json.loads(out)["benchmarks"]:
            if "bytes_per_second" in b:
                rates[b["name"]] = ("bytes", b["bytes_per_second"])
            elif "items_per_second" in b:
                rates[b["name"]] = ("items", b["items_per_second"])
    return rates


def wine_rates(folder, spool):
    # The Windows program sees the same folder on Wine's drive Z:.
    env = dict(os.environ, MORVANE_BENCH_DIR="Z:" + spool)
    out = subprocess.run(["bash", os.path.join(ROOT, "bench", "wine-bench.sh"), folder], check=True,
                         capture_output=True, text=True, env=env).stdout
    rates = {}
    for m in LINE.finditer(out):
        scale = 1048576 if m.group(2) == "bytes" else 1e6
        rates[m.group(1)] = (m.group(2), float(m.group(3)) * scale)
    return rates


def cell(rate):
    if rate is None:
        return "-"
    kind, value = rate
    if kind == "items":
        return "%.0f k chars/s" % (value / 1000)
    return "%.0f kB/s (%.0fx)" % (value / 1000, value / SERIAL_LINE)


def main():
    native = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "native", "bench")
    windows = sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, "build", "windows", "bench")
    spool = tempfile.mkdtemp(prefix="morvane-bench-", dir="/dev/shm" if os.path.isdir("/dev/shm") else None)
    try:
        cairo = native_rates(native, spool)
        gdi = wine_rates(windows, spool)
    finally:
        shutil.rmtree(spool, ignore_errors=True)
    print("| benchmark | cairo sheet (Linux) | GDI sheet (Wine) |")
    print("|---|---|---|")
    for name in list(cairo) + [n for n in gdi if n not in cairo]:
        print("| %s | %s | %s |" % (name[3:], cell(cairo.get(name)), cell(gdi.get(name))))


if __name__ == "__main__":
    main()
