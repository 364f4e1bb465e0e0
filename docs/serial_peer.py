#!/usr/bin/env python3
"""A minimal peer on a shared-memory serial line (Linux), written from
docs/serial-line.md alone: it knows the block's layout and nothing of the
programs on the other end.

    serial_peer.py send LINE [FILE]        write FILE (default: standard input)
                                           into the other side's ring, then
                                           wait until all of it has been read
    serial_peer.py receive LINE [--count N] [--idle SECONDS]
                                           copy what the other side sends to
                                           standard output, until N bytes have
                                           come, or nothing for SECONDS, or
                                           Ctrl-C

It tells on standard error which half it took ("half A" or "half B").
Exit status: 0 done, 1 bad usage, 2 no free half (or no block at the
line's name), 3 interrupted.
"""

import errno
import mmap
import os
import signal
import stat
import sys
import time

BLOCK, HALF, RING = 552, 276, 256
IN_USE, READ_INDEX, WRITE_INDEX, RING_START = 0, 8, 12, 20


class NotABlock(Exception):
    """Something other than a block stands at the block's name."""


class Line:
    """One attachment: the block mapped, a half claimed."""

    def __init__(self, number, role):
        path = "/dev/shm/NH_SCOM%02d" % number
        try:
            # Never wait on a FIFO or a device put at the name, nor follow a link.
            fd = os.open(path, os.O_RDWR | os.O_CREAT | os.O_NOFOLLOW | os.O_NONBLOCK, 0o600)
        except OSError as e:
            if e.errno == errno.ELOOP:
                raise NotABlock("%s is a symbolic link" % path)
            raise
        try:
            info = os.fstat(fd)
            if not stat.S_ISREG(info.st_mode):
                kind = "a FIFO" if stat.S_ISFIFO(info.st_mode) else "a special file"
                raise NotABlock("%s is %s" % (path, kind))
            if info.st_size < BLOCK:
                os.ftruncate(fd, BLOCK)  # a new block: zero-filled; never cut one that is larger
            self.mem = mmap.mmap(fd, BLOCK)
        finally:
            os.close(fd)  # the mapping keeps the block
        # Aligned 32-bit words, each read and written whole.
        self.words = memoryview(self.mem).cast("i")
        self.own = None
        free = [half for half in (0, 1) if self.word(half, IN_USE) == 0]
        if len(free) == 2:
            # Bytes that wait in one ring only were stored for whoever reads
            # it: a receiver takes that half, a sender the other one, so that
            # what it sends follows them.
            waiting = [self.waiting(half) > 0 for half in (0, 1)]
            if waiting[0] != waiting[1]:
                ring = waiting.index(True)
                free = [ring if role == "receive" else 1 - ring]
        if free:
            self.set_word(free[0], IN_USE, 1)
            self.own, self.other = free[0], 1 - free[0]

    def word(self, half, offset):
        return self.words[(half * HALF + offset) // 4]

    def set_word(self, half, offset, value):
        self.words[(half * HALF + offset) // 4] = value

    def release(self):
        if self.own is not None:
            self.set_word(self.own, IN_USE, 0)
            self.own = None
        self.words.release()
        self.mem.close()

    def receive(self, limit):
        """Bytes waiting in our own ring, at most limit of them."""
        h = self.own
        base = h * HALF + RING_START
        r = self.word(h, READ_INDEX) % RING  # the other side may write anything: stay inside the ring
        out = bytearray()
        while len(out) < limit and r != self.word(h, WRITE_INDEX) % RING:
            out.append(self.mem[base + r])  # copy the byte, then give its place back
            r = (r + 1) % RING
            self.set_word(h, READ_INDEX, r)
        return bytes(out)

    def send(self, data):
        """Stores what fits into the other side's ring; returns the count."""
        h = self.other
        base = h * HALF + RING_START
        w = self.word(h, WRITE_INDEX) % RING
        sent = 0
        while sent < len(data) and (w + 1) % RING != self.word(h, READ_INDEX) % RING:
            self.mem[base + w] = data[sent]  # store the byte, then publish it
            w = (w + 1) % RING
            self.set_word(h, WRITE_INDEX, w)
            sent += 1
        return sent

    def waiting(self, half):
        """Bytes waiting in the ring of half."""
        return (self.word(half, WRITE_INDEX) - self.word(half, READ_INDEX)) % RING

    def unread(self):
        return self.waiting(self.other)


def send(line, source):
    while True:
        chunk = os.read(source, 4096)  # whatever has arrived: a live pipe is passed on at once
        if not chunk:
            break
        while chunk:
            n = line.send(chunk)
            chunk = chunk[n:]
            if n == 0:
                time.sleep(0.002)
    while line.unread():
        time.sleep(0.002)


def receive(line, count, idle):
    got, last = 0, time.monotonic()
    while count is None or got < count:
        data = line.receive(RING if count is None else min(RING, count - got))
        if data:
            os.write(1, data)
            got, last = got + len(data), time.monotonic()
        elif idle is not None and time.monotonic() - last >= idle:
            break
        else:
            time.sleep(0.005)


def stop(signum, frame):
    raise KeyboardInterrupt


def main(argv):
    if len(argv) < 3 or argv[1] not in ("send", "receive") or not argv[2].lstrip("-").isdigit():
        sys.stderr.write(__doc__)
        return 1
    role, number, rest = argv[1], int(argv[2]), argv[3:]
    count = idle = None
    source = 0
    if role == "send" and rest:
        source = os.open(rest[0], os.O_RDONLY)
    while role == "receive" and len(rest) >= 2 and rest[0] in ("--count", "--idle"):
        if rest[0] == "--count":
            count = int(rest[1])
        else:
            idle = float(rest[1])
        rest = rest[2:]
    signal.signal(signal.SIGTERM, stop)
    try:
        line = Line(number, role)
    except NotABlock as e:
        sys.stderr.write("NH_SCOM%02d: %s, not a shared memory block\n" % (number, e))
        return 2
    if line.own is None:
        sys.stderr.write("no free half on NH_SCOM%02d\n" % number)
        line.release()
        return 2
    sys.stderr.write("half %s\n" % "AB"[line.own])
    sys.stderr.flush()
    try:
        if role == "send":
            send(line, source)
        else:
            receive(line, count, idle)
    except KeyboardInterrupt:
        return 3
    finally:
        line.release()
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
