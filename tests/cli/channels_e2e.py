#!/usr/bin/env python3
"""End-to-end tests of morvane's input channels under faults: a sender that
left or crashed, a device that vanishes, descriptors a child could inherit,
IPv6, permissions, and what serial-peer says when it gives up. (What is
planted at the block's and the lock's names is tested on the classes, in
tests/io.)

Usage: channels_e2e.py MORVANE SERIAL_PEER SOURCE_DIR [unittest options]
"""

import grp
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
from cli_e2e import Listener, block_path, wait_until


def word(n, offset):
    with open(block_path(n), "rb") as f:
        f.seek(offset)
        return int.from_bytes(f.read(4), "little", signed=True)


def remove_stale_lock(device):
    """A lock that a killed program left for a device number now ours."""
    lock = os.path.join("/var/lock", "LCK.." + os.path.basename(os.path.realpath(device)))
    try:
        with open(lock, "rb", opener=lambda p, f: os.open(p, f | os.O_NONBLOCK | os.O_NOFOLLOW)) as f:
            os.kill(int(f.read(32).split()[0]), 0)
    except ProcessLookupError:
        os.unlink(lock)
    except (OSError, ValueError, IndexError):
        pass


class ChannelCase(base.LineCase):
    def pty(self):
        master, slave = pty.openpty()
        name = os.ttyname(slave)
        os.close(slave)  # morvane opens it by name; the master keeps it alive
        remove_stale_lock(name)

        def close_master():
            try:
                os.close(master)
            except OSError:
                pass
        self.addCleanup(close_master)
        return master, name


class DepartedSender(ChannelCase):
    def test_bytes_stored_before_any_receiver_came_are_read_by_the_next_listen(self):
        # A sender that stored a page while nobody listened, then left politely
        # (its half given back) or was killed (its half left marked in use).
        for k, killed in ((0, False), (1, True)):
            with self.subTest(killed=killed):
                n = self.use_line(k)
                text = b"stored by a sender that %s" % (b"was killed" if killed else b"left")
                peer = subprocess.Popen([base.SERIAL_PEER, "--line", str(n)], stdin=subprocess.PIPE,
                                        stderr=subprocess.DEVNULL)
                peer.stdin.write(text + b"\r\n\x0c")
                peer.stdin.flush()
                # Half A is the sender's; its bytes wait in half B's ring.
                wait_until(lambda: os.path.exists(block_path(n)) and word(n, 276 + 12) == len(text) + 3)
                if killed:
                    peer.kill()
                peer.communicate()
                self.assertEqual(word(n, 0), 1 if killed else 0)
                pdf = "out%d.pdf" % k
                l = Listener(self, "--pdf", pdf)
                l.wait_for("page 1 printed")
                status, out, err = l.stop()
                self.assertEqual(status, 0, err)
                self.assertIn(text.decode(), self.pdf_text(self.path(pdf)))


class SerialPort(ChannelCase):
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

    def test_print_command_inherits_no_channel(self):
        # A document per page: the print command starts while the channels
        # are held. It lists the descriptors it was given.
        bin_dir = self.fd_listing_lp()
        _, name = self.pty()
        l = Listener.__new__(Listener)
        l.out, l.seen = b"", 0
        l.proc = subprocess.Popen([base.MORVANE, "listen", "--port", name, "--tcp", "0", "--print"], cwd=self.dir,
                                  stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  env=dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"]))
        self.addCleanup(l.end)
        port = int(l.wait_for(r"TCP 127\.0\.0\.1:(\d+)").group(1))
        with socket.create_connection(("127.0.0.1", port)) as c:
            c.sendall(b"through TCP\x0c")
            wait_until(lambda: os.path.exists(self.path("lp-fds")))
        with open(self.path("lp-fds")) as f:
            fds = f.read()
        for held in ("socket:", "LCK..", name):
            self.assertNotIn(held, fds)

    def test_print_command_inherits_no_input_file(self):
        # render opens every input first: the print command of the first
        # file's page starts while the second file is open.
        bin_dir = self.fd_listing_lp()
        self.write("one.bin", b"first file\x0c")
        self.write("two.bin", b"second file\x0c")
        r = self.run_morvane("render", "one.bin", "two.bin", "--print",
                             env=dict(os.environ, PATH=bin_dir + os.pathsep + os.environ["PATH"]))
        self.assertEqual(r.returncode, 0, r.stderr.decode())
        with open(self.path("lp-fds")) as f:
            self.assertNotIn("two.bin", f.read())

    def fd_listing_lp(self):
        """A document per page, and an lp that lists the descriptors it was given."""
        self.user_settings(b"[Morvane]\r\nclosedocument=1\r\n")
        bin_dir = self.path("bin")
        os.makedirs(bin_dir)
        with open(os.path.join(bin_dir, "lp"), "w") as f:
            f.write("#!/bin/sh\nls -l /proc/$$/fd > %s/lp-fds.$$ && mv -n %s/lp-fds.$$ %s/lp-fds\n"
                    % ((self.dir,) * 3))
        os.chmod(os.path.join(bin_dir, "lp"), 0o755)
        return bin_dir


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
            for w in ["timed out", "NH_SCOM%d" % n, "1 s"] + words:
                self.assertIn(w, r.stderr.decode())

    def test_manual_page_lists_every_option_and_exit_status(self):
        help_text = subprocess.run([base.SERIAL_PEER, "--help"], capture_output=True, text=True).stdout
        with open(os.path.join(base.SOURCE_DIR, "packaging", "man", "serial-peer.1")) as f:
            page = f.read().replace("\\-", "-")
        for option in set(re.findall(r"--[a-z]+", help_text)):
            self.assertIn(option, page)
        statuses = re.search(r"Exit status:(.*)", help_text, re.S).group(1)
        numbers = [int(s) for s in re.findall(r"(\d+) [a-z]", statuses)]
        section = page[page.index(".SH EXIT STATUS"):page.index(".SH EXAMPLES")]
        self.assertEqual([int(s) for s in re.findall(r"^\.B (\d+)$", section, re.M)], numbers)
        self.assertNotIn("receiver first", page)


def main():
    base.MORVANE, base.SERIAL_PEER, base.SOURCE_DIR = (os.path.abspath(a) for a in sys.argv[1:4])
    base.PY_PEER = os.path.join(base.SOURCE_DIR, "docs", "serial_peer.py")
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=1)


if __name__ == "__main__":
    main()
