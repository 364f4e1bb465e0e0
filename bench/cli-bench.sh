#!/bin/sh
# Speed and memory of `morvane render` to PDF on generated streams, in the
# TrueType face and in dots: a 100-page plain-text listing and a 20-page
# bit-image stream; and a large capture, a 1,000-page listing, in TrueType.
# Usage: bench/cli-bench.sh [MORVANE]   (default: build/native/src/cli/morvane)
# Needs /usr/bin/time (Debian package "time"), python3 and pdfinfo.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
morvane=${1:-$root/build/native/src/cli/morvane}
[ -x "$morvane" ] || { echo "cli-bench: no program at $morvane (build first)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import sys
out = sys.argv[1]
# Letter with Courier New 24 holds 38 lines of 57 characters; the 38th line
# feed ends a page by itself.
text = ("LISTING LINE OF THE BENCHMARK " * 2)[:50]
with open(out + "/text.bin", "wb") as f:
    for n in range(100 * 38):
        f.write(("%5d %s" % (n, text)).encode() + b"\r\n")
with open(out + "/large.bin", "wb") as f:
    for n in range(1000 * 38):
        f.write(("%5d %s" % (n, text)).encode() + b"\r\n")
# 20 pages of 38 strips of 8 dots, 780 columns each.
with open(out + "/image.bin", "wb") as f:
    for n in range(20 * 38):
        cols = bytes(((x * 7 + n * 13) & 0xFF) for x in range(780))
        f.write(b"\x1bL" + bytes([780 & 0xFF, 780 >> 8]) + cols + b"\r\n")
PY

run() {
  name=$1
  face=$2
  cd "$work"
  /usr/bin/time -v "$morvane" render -q "$name.bin" --face "$face" --pdf "$name.pdf" 2> "$name.time"
  pages=$(pdfinfo "$name.pdf" | sed -n 's/^Pages: *//p')
  secs=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$name.time" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
  kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$name.time")
  cpu=$(awk -F': ' '/User time|System time/ { s += $2 } END { print s }' "$name.time")
  bytes=$(wc -c < "$name.pdf")
  awk -v n="$name $face" -v p="$pages" -v s="$secs" -v c="$cpu" -v kb="$kb" -v b="$bytes" 'BEGIN {
    printf "%-13s %4d pages  %5.2f s wall %6.1f pages/s  %5.2f s CPU %6.1f pages/s  peak %5.1f MB  PDF %6.1f kB (%.1f kB/page)\n",
           n, p, s, (s > 0 ? p / s : 0), c, (c > 0 ? p / c : 0), kb / 1024, b / 1024, b / 1024 / p }'
}

run text truetype
run text dots
run image truetype
run image dots
run large truetype
