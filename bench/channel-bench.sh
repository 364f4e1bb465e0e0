#!/bin/sh
# How fast printer bytes come in where nothing holds them to the serial
# line's pace: `morvane listen --tcp` and `morvane render` from standard
# input, each given the same plain-text listing (default 20 MB), with no
# output and with a PDF. TCP is timed from the connection to the moment
# morvane has read the last byte ("connection closed").
# Usage: bench/channel-bench.sh [MORVANE] [MEGABYTES]
#        (default: build/native/src/cli/morvane, 20)
# Needs python3.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
morvane=$(realpath "${1:-$root/build/native/src/cli/morvane}")
megabytes=${2:-20}
[ -x "$morvane" ] || { echo "channel-bench: no program at $morvane (build first)" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$morvane" "$megabytes" "$work" <<'PY'
import os, re, signal, socket, subprocess, sys, threading, time

morvane, megabytes, work = sys.argv[1], float(sys.argv[2]), sys.argv[3]
line = ("LISTING LINE OF THE BENCHMARK " * 2)[:50]
size = int(megabytes * 1024 * 1024)
chunks, total, n = [], 0, 0
while total < size:
    text = ("%6d %s\r\n" % (n, line)).encode()
    chunks.append(text)
    total += len(text)
    n += 1
data = b"".join(chunks)[:size]
source = os.path.join(work, "listing.bin")
with open(source, "wb") as f:
    f.write(data)


def report(what, seconds, pages, fed):
    print("%-30s %6.1f MB in %7.2f s  %7.2f MB/s  %6s pages  %s" % (
        what, len(data) / 1048576, seconds, len(data) / 1048576 / seconds, pages,
        "all bytes" if fed == len(data) else "%d of %d bytes" % (fed, len(data))))


def tcp(extra):
    p = subprocess.Popen([morvane, "listen", "--tcp", "0", *extra], cwd=work,
                         stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    port, closed, lines = None, threading.Event(), []
    ready = threading.Event()

    def read():
        nonlocal port
        for text in p.stdout:
            lines.append(text)
            m = re.search(r"listening on TCP 127\.0\.0\.1:(\d+)", text)
            if m:
                port = int(m.group(1))
                ready.set()
            if "connection closed" in text:
                closed.set()
    reader = threading.Thread(target=read, daemon=True)
    reader.start()
    ready.wait(10)
    start = time.monotonic()
    with socket.create_connection(("127.0.0.1", port)) as c:
        c.sendall(data)
    closed.wait()
    seconds = time.monotonic() - start
    p.send_signal(signal.SIGTERM)
    p.wait()
    reader.join()
    m = re.search(r"stopped after (\d+) pages, (\d+) bytes", "".join(lines))
    report("listen --tcp 0 " + " ".join(extra), seconds, m.group(1), int(m.group(2)))


def stdin(extra):
    start = time.monotonic()
    with open(source, "rb") as f:
        r = subprocess.run([morvane, "render", "-", *extra], cwd=work, stdin=f, capture_output=True, text=True)
    seconds = time.monotonic() - start
    report("render - " + " ".join(extra), seconds, "-", len(data) if r.returncode == 0 else -1)


tcp([])
tcp(["--pdf", "tcp.pdf"])
stdin([])
stdin(["--pdf", "stdin.pdf"])
PY
