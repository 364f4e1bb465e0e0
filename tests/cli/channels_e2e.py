#!/usr/bin/env python3
"""End-to-end tests of morvane's input channels under faults: a sender that
left or crashed, files planted at the names the channels use, a device that
vanishes, descriptors a child could inherit, IPv6, permissions, and what
serial-peer says when it gives up.

Usage: channels_e2e.py MORVANE SERIAL_PEER SOURCE_DIR [unittest options]
"""

import grp
import mmap
import os
import pty
import re
import shutil
import socket
import subprocess
import sys
import time
import unittest

import cli_e2e as base
from cli_e2e import Case, Listener, block_path, unlink_line, wait_until

HALF, RING_START, READ_INDEX, WRITE_INDEX, IN_USE = 276, 20, 8, 12, 0


def line_number(k):
    """A line of this run's own: apart from the numbers every other test takes."""
    return 500_000_000 + os.getpid() * 20 + k


def word(n, half, offset):
    with open(block_path(n), "rb") as f:
        f.seek(HALF * half + offset)
        return int.from_bytes(f.read(4), "little", signed=True)


def ring_waiting(n, half):
    return (word(n, half, WRITE_INDEX) - word(n, half, READ_INDEX)) % 256


class RawSender:
    """A sender that knows only the block's layout, on a mapping of its own
    that it keeps whatever happens to the block's name."""

    def __init__(self, n):
        with open(block_path(n), "r+b") as f:
            self.mem = mmap.mmap(f.fileno(), 552)
        self.words = memoryview(self.mem).cast("i")

    def send(self, half, data):
        """Stores data into the ring of `half`, as its peer would."""
        w = self.words[(HALF * half + WRITE_INDEX) // 4] % 256
        for b in data:
            while (w + 1) % 256 == self.words[(HALF * half + READ_INDEX) // 4] % 256:
                time.sleep(0.005)
            self.mem[HALF * half + RING_START + w] = b
            w = (w + 1) % 256
            self.words[(HALF * half + WRITE_INDEX) // 4] = w

    def close(self):
        self.words.release()
        self.mem.close()


def lock_file_of(device):
    return os.path.join("/var/lock", "LCK.." + os.path.basename(os.path.realpath(device)))


def remove_stale_lock(lock):
    """A lock that a killed program left for a device number now ours."""
    try:
        with open(lock, "rb", opener=lambda p, f: os.open(p, f | os.O_NONBLOCK | os.O_NOFOLLOW)) as f:
            pid = int(f.read(32).split()[0])
        os.kill(pid, 0)
    except ProcessLookupError:
        os.unlink(lock)
    except (OSError, ValueError, IndexError):
        pass


class ChannelCase(Case):
    def use_line(self, k, extra=b""):
        n = line_number(k)
        unlink_line(n)
        self.addCleanup(unlink_line, n)
        self.write("Morvane.ini", b"[Morvane]\r\nlyn=%d\r\n" % n + extra)
        return n

    def start(self, args, **kw):
        p = subprocess.Popen(args, cwd=self.dir, **kw)

        def finish():
            if p.poll() is None:
                p.kill()
            p.communicate()
        self.addCleanup(finish)
        return p

    def pty(self):
        master, slave = pty.openpty()
        name = os.ttyname(slave)
        os.close(slave)  # morvane opens it by name; the master keeps it alive
        remove_stale_lock(lock_file_of(name))

        def close_master():
            try:
                os.close(master)
            except OSError:
                pass
        self.addCleanup(close_master)
        return master, name

    def remove_later(self, path):
        def remove():
            try:
                if os.path.isdir(path) and not os.path.islink(path):
                    os.rmdir(path)
                else:
                    os.unlink(path)
            except FileNotFoundError:
                pass
        self.addCleanup(remove)


class ErrListener(Listener):
    """A listener whose standard error can be waited on too."""

    err = b""

    def wait_for_err(self, pattern, timeout=5.0):
        deadline = time.time() + timeout
        fd = self.proc.stderr.fileno()
        os.set_blocking(fd, False)
        while time.time() < deadline:
            try:
                chunk = os.read(fd, 4096)
            except BlockingIOError:
                chunk = None
            if chunk:
                self.err += chunk
            if re.search(pattern.encode(), self.err):
                return
            if chunk == b"" or self.proc.poll() is not None:
                break
            time.sleep(0.02)
        raise AssertionError("no %r on standard error (%r)" % (pattern, self.err))

    def stop(self, *args):
        status, out, err = super().stop(*args)
        return status, out, self.err.decode() + err


# --- the serial line ------------------------------------------------------------------------------

class DepartedSender(ChannelCase):
    def test_bytes_stored_before_any_receiver_came_are_read_by_the_next_listen(self):
        # A sender that stored a page while nobody listened, then left politely
        # (its half given back) or was killed (its half left marked in use).
        for k, killed in ((0, False), (1, True)):
            with self.subTest(killed=killed):
                n = self.use_line(k)
                text = b"stored by a sender that %s" % (b"was killed" if killed else b"left")
                peer = self.start([base.SERIAL_PEER, "--line", str(n)], stdin=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL)
                peer.stdin.write(text + b"\r\n\x0c")
                peer.stdin.flush()
                wait_until(lambda: os.path.exists(block_path(n)) and ring_waiting(n, 1) == len(text) + 3)
                if killed:
                    peer.kill()
                else:
                    peer.stdin.close()
                peer.wait(timeout=10)
                self.assertEqual(word(n, 0, IN_USE), 1 if killed else 0)
                pdf = "out%d.pdf" % k
                l = Listener(self, "--pdf", pdf)
                l.wait_for("page 1 printed")
                status, out, err = l.stop()
                self.assertEqual(status, 0, err)
                self.assertIn(text.decode(), self.pdf_text(self.path(pdf)))
                if killed:
                    self.assertIn("were freed", out)


class PlantedBlock(ChannelCase):
    def test_fifo_at_the_block_name_is_refused_at_once(self):
        n = self.use_line(2)
        os.mkfifo(block_path(n), 0o600)
        r = self.run_morvane("listen", timeout=10)
        self.assert_failure(r, 1, "NH_SCOM%d" % n, "FIFO")
        peer = subprocess.run([base.SERIAL_PEER, "--line", str(n)], input=b"x", capture_output=True, timeout=10)
        self.assertEqual(peer.returncode, 2, peer.stderr)
        self.assertIn(b"FIFO", peer.stderr)
        py = subprocess.run([sys.executable, base.PY_PEER, "send", str(n)], input=b"x", capture_output=True,
                            timeout=10)
        self.assertEqual(py.returncode, 2, py.stderr)
        self.assertIn(b"FIFO", py.stderr)

    def test_fifo_swapped_in_while_listening_is_reported_once_and_reception_goes_on(self):
        n = self.use_line(3)
        l = ErrListener(self, "--pdf", "out.pdf")
        l.wait_for("half A")
        sender = RawSender(n)
        self.addCleanup(sender.close)
        moved = block_path(n) + ".moved"
        os.rename(block_path(n), moved)
        self.remove_later(moved)
        os.mkfifo(block_path(n), 0o600)
        l.wait_for_err("FIFO", timeout=10)
        sender.send(0, b"after the swap\r\n\x0c")
        l.wait_for("page 1 printed")
        time.sleep(1.5)  # another look at the name or two
        status, out, err = l.stop()
        self.assertEqual(status, 0, err)
        self.assertEqual(err.count("FIFO"), 1, err)
        self.assertIn("after the swap", self.pdf_text(self.path("out.pdf")))


# --- the serial port ------------------------------------------------------------------------------



class SerialPort(ChannelCase):
    def test_non_regular_file_at_the_lock_name_is_refused_at_once(self):
        if not os.access("/var/lock", os.W_OK):
            self.skipTest("/var/lock is not writable here")
        plants = {
            "FIFO": lambda p: os.mkfifo(p, 0o644),
            "symbolic link": lambda p: os.symlink("/dev/null", p),
            "directory": lambda p: os.mkdir(p),
        }
        for kind, plant in plants.items():
            with self.subTest(kind):
                _, name = self.pty()
                lock = lock_file_of(name)
                if os.path.lexists(lock):
                    self.skipTest("%s exists already" % lock)
                plant(lock)
                self.remove_later(lock)
                r = self.run_morvane("listen", "--port", name, timeout=10)
                self.assert_failure(r, 1, lock, kind)
                self.assertTrue(os.path.lexists(lock), "left for the user to look at")

    def test_vanished_device_is_reported_and_the_page_in_progress_printed(self):
        master, name = self.pty()
        l = Listener(self, "--port", name, "--pdf", "out.pdf")
        l.wait_for("serial port " + re.escape(name))
        os.write(master, b"on the page when the cable went\r\n")
        time.sleep(0.5)  # read at the next polls
        os.close(master)
        out, err = l.proc.communicate(timeout=10)
        self.assertEqual(l.proc.returncode, 1, err)
        self.assertEqual(err.decode().count(name), 1, err)
        self.assertIn("gone", err.decode())
        self.assertIn(b"page 1 printed", out)
        self.assertIn("on the page when the cable went", self.pdf_text(self.path("out.pdf")))

    def test_port_refused_for_permissions_names_the_owning_group(self):
        # A device as serial ports come: read and write for the group that
        # may use them, opened by a user outside that group.
        if os.geteuid() != 0 or not shutil.which("setpriv"):
            self.skipTest("needs root and setpriv to open a device as another user")
        _, name = self.pty()
        try:
            group = grp.getgrnam("dialout")
        except KeyError:
            group = grp.getgrgid(os.stat(name).st_gid)
        os.chown(name, -1, group.gr_gid)
        os.chmod(name, 0o660)
        os.chmod(self.dir, 0o755)
        command = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", base.MORVANE]
        r = subprocess.run(command + ["listen", "--port", name], cwd=self.dir, capture_output=True, timeout=10)
        self.assert_failure(r, 1, name, "group %s" % group.gr_name, "usermod -aG %s" % group.gr_name)


# --- TCP ------------------------------------------------------------------------------------------

class Tcp(ChannelCase):
    def test_ipv6_address_in_brackets(self):
        try:
            with socket.socket(socket.AF_INET6) as s:
                s.bind(("::1", 0))
        except OSError:
            self.skipTest("no IPv6 loopback")
        l = Listener(self, "--tcp", "[::1]:0", "--pdf", "out.pdf")
        port = int(l.wait_for(r"TCP \[::1\]:(\d+)").group(1))
        with socket.create_connection(("::1", port)) as c:
            c.sendall(b"over IPv6\r\n")
            l.wait_for(r"connection from \[::1\]:\d+")
        l.wait_for("connection closed")
        status, out, err = l.stop()
        self.assertEqual(status, 0, err)
        self.assertIn("over IPv6", self.pdf_text(self.path("out.pdf")))
        for wrong in ("::1:9100", "[::1]", "[::1]9100", "[]:9100"):
            r = self.run_morvane("listen", "--tcp", wrong)
            self.assertEqual(r.returncode, 2, wrong)


class Inheritance(ChannelCase):
    def fake_lp(self):
        bin_dir = self.path("bin")
        os.makedirs(bin_dir, exist_ok=True)
        with open(os.path.join(bin_dir, "lp"), "w") as f:
            f.write("#!/bin/sh\nls -l /proc/$$/fd > %s/lp-fds.$$\n" % self.dir)
        os.chmod(os.path.join(bin_dir, "lp"), 0o755)
        return dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"])

    def listen(self, env, *args):
        l = Listener.__new__(Listener)
        l.proc = self.start([base.MORVANE, "listen", *args, "--print"], stdin=subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env)
        l.out, l.seen = b"", 0
        return l

    def lp_listing(self):
        listing = lambda: [f for f in os.listdir(self.dir) if f.startswith("lp-fds.")]
        wait_until(lambda: listing() and os.path.getsize(self.path(listing()[0])) > 0)
        time.sleep(0.2)  # the listing is complete
        with open(self.path(listing()[0])) as f:
            text = f.read()
        for name in listing():
            os.unlink(self.path(name))
        return text

    def test_print_command_inherits_no_channel(self):
        # A page printed per document: the print command starts while the
        # channels are held.
        n = self.use_line(4, b"closedocument=1\r\n")
        env = self.fake_lp()
        _, name = self.pty()
        l = self.listen(env, "--port", name, "--tcp", "0")
        port = int(l.wait_for(r"TCP 127\.0\.0\.1:(\d+)").group(1))
        with socket.create_connection(("127.0.0.1", port)) as c:
            c.sendall(b"through TCP\x0c")
            l.wait_for("page 1 printed")
            fds = self.lp_listing()
        for held in ("socket:", "LCK..", name):
            self.assertNotIn(held, fds)

        l = self.listen(env)  # the line of the settings
        l.wait_for("half A")
        peer = subprocess.run([base.SERIAL_PEER, "--line", str(n), "--drain", "--timeout", "5"],
                              input=b"over the line\x0c", capture_output=True, timeout=20)
        self.assertEqual(peer.returncode, 0, peer.stderr)
        l.wait_for("page 1 printed")
        self.assertNotIn("NH_SCOM", self.lp_listing())


# --- serial-peer ----------------------------------------------------------------------------------

class SerialPeer(ChannelCase):
    def test_timeout_says_what_timed_out(self):
        cases = [
            # (input, options, what the message says)
            (b"x" * 1000, [], ["no receiver took a byte", "255 of 1000 bytes"]),
            (b"y" * 10, ["--drain"], ["10 bytes", "not read"]),
        ]
        for k, (data, options, words) in enumerate(cases):
            n = self.use_line(5 + k)
            r = subprocess.run([base.SERIAL_PEER, "--line", str(n), "--timeout", "1", *options], input=data,
                               capture_output=True, timeout=20)
            self.assertEqual(r.returncode, 3, r.stderr)
            err = r.stderr.decode()
            for w in ["timed out", "NH_SCOM%d" % n, "1 s"] + words:
                self.assertIn(w, err)

    def test_manual_page_lists_every_option_and_exit_status(self):
        help_text = subprocess.run([base.SERIAL_PEER, "--help"], capture_output=True, text=True).stdout
        with open(os.path.join(base.SOURCE_DIR, "packaging", "man", "serial-peer.1")) as f:
            page = f.read().replace("\\-", "-")
        options = set(re.findall(r"--[a-z]+", help_text))
        self.assertGreaterEqual(len(options), 6)
        for option in options:
            self.assertIn(option, page)
        statuses = re.search(r"Exit status:(.*)", help_text, re.S).group(1)
        numbers = [int(s) for s in re.findall(r"(\d+) [a-z]", statuses)]
        self.assertEqual(numbers, list(range(len(numbers))))
        section = page[page.index(".SH EXIT STATUS"):page.index(".SH", page.index(".SH EXIT STATUS") + 1)]
        self.assertEqual([int(s) for s in re.findall(r"^\.B (\d+)$", section, re.M)], numbers)
        self.assertNotIn("receiver first", page)


def main():
    base.MORVANE, base.SERIAL_PEER, base.SOURCE_DIR = (os.path.abspath(a) for a in sys.argv[1:4])
    base.PY_PEER = os.path.join(base.SOURCE_DIR, "docs", "serial_peer.py")
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=1)


if __name__ == "__main__":
    main()
