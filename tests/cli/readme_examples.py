#!/usr/bin/env python3
"""The README's example commands run as written, and the manual page of
morvane lists every option that --help lists.

Every line of a code block in README.md (fenced or indented), and every
"Example: `...`", whose first word is morvane or serial-peer (bare, or as
build/native/src/cli/morvane and build/native/tools/serial-peer) is run in a
fresh folder that holds the samples, with the programs under test:

- render and info must end with status 0;
- listen runs until SIGTERM, which it must survive for a second first;
- --window runs on a private Xvfb until SIGTERM (skipped without Xvfb);
- serial-peer writes to its line while a `morvane listen` receives there.

Usage: readme_examples.py MORVANE SERIAL_PEER SOURCE_DIR [unittest options]
"""

import os
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from xvfb import start_xvfb  # noqa: E402

MORVANE = SERIAL_PEER = SOURCE_DIR = None
PROGRAMS = {"morvane": "morvane", "build/native/src/cli/morvane": "morvane",
            "serial-peer": "serial-peer", "build/native/tools/serial-peer": "serial-peer"}


def example_commands(text):
    """The example command lines of a Markdown text, as argument lists."""
    lines, fenced = [], False
    for line in text.splitlines():
        if line.startswith("```"):
            fenced = not fenced
            continue
        if fenced or line.startswith("    "):
            lines.append(line.strip())
    lines += re.findall(r"Example: `([^`\n]+)`", text)
    commands = []
    for line in lines:
        try:
            words = shlex.split(line, comments=True)
        except ValueError:
            continue
        if words and words[0] in PROGRAMS and not any("|" in w or "[" in w for w in words[1:]):
            if words not in commands:
                commands.append(words)
    return commands


class ReadmeExamples(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="morvane-readme-")
        os.symlink(os.path.join(SOURCE_DIR, "samples"), os.path.join(self.dir, "samples"))
        self.env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(self.dir, "config"))

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def argv(self, words):
        program = MORVANE if PROGRAMS[words[0]] == "morvane" else SERIAL_PEER
        return [program] + words[1:]

    def run_until_stopped(self, words, env, settle=1.0):
        p = subprocess.Popen(self.argv(words), cwd=self.dir, env=env, stdout=subprocess.PIPE,
                             stderr=subprocess.PIPE)
        time.sleep(settle)
        running = p.poll() is None
        if running:
            p.send_signal(signal.SIGTERM)
        out, err = p.communicate(timeout=30)
        self.assertTrue(running, "ended before it was stopped: %s" % err.decode())
        self.assertEqual(p.returncode, 0, err.decode())

    def run_window(self, words):
        if shutil.which("Xvfb") is None:
            self.skipTest("no Xvfb")
        xvfb, display = start_xvfb()
        try:
            env = dict(self.env, DISPLAY=display, GDK_BACKEND="x11", GSK_RENDERER="cairo", GTK_A11Y="none",
                       GSETTINGS_BACKEND="memory", ASAN_OPTIONS="detect_leaks=0")
            env.pop("WAYLAND_DISPLAY", None)
            self.run_until_stopped(words, env, settle=3.0)
        finally:
            xvfb.kill()
            xvfb.wait()

    def run_peer(self, words):
        line = words[words.index("--line") + 1] if "--line" in words else "1"
        receiver = subprocess.Popen([MORVANE, "listen", "--line", line, "-q"], cwd=self.dir, env=self.env,
                                    stderr=subprocess.PIPE)
        try:
            time.sleep(0.5)
            r = subprocess.run(self.argv(words), cwd=self.dir, env=self.env, capture_output=True, timeout=60)
            self.assertEqual(r.returncode, 0, r.stderr.decode())
        finally:
            receiver.send_signal(signal.SIGTERM)
            _, err = receiver.communicate(timeout=30)
        self.assertEqual(receiver.returncode, 0, err.decode())

    def test_every_example_runs_as_written(self):
        with open(os.path.join(SOURCE_DIR, "README.md"), encoding="utf-8") as f:
            commands = example_commands(f.read())
        self.assertGreaterEqual(len(commands), 5, commands)
        for words in commands:
            with self.subTest(command=" ".join(words)):
                if PROGRAMS[words[0]] == "serial-peer":
                    self.run_peer(words)
                elif "--window" in words:
                    self.run_window(words)
                elif "listen" in words:
                    self.run_until_stopped(words, self.env)
                else:
                    r = subprocess.run(self.argv(words), cwd=self.dir, env=self.env, capture_output=True,
                                       timeout=120)
                    self.assertEqual(r.returncode, 0, r.stderr.decode())


class ManualPage(unittest.TestCase):
    @staticmethod
    def options(text):
        return set(re.findall(r"(?<![\w-])--[a-z][a-z-]*", text))

    def test_lists_every_option_and_exit_status(self):
        help_text = subprocess.run([MORVANE, "--help"], capture_output=True, text=True, check=True).stdout
        with open(os.path.join(SOURCE_DIR, "packaging", "man", "morvane.1"), encoding="utf-8") as f:
            page = f.read().replace("\\-", "-").replace("\\fB", "").replace("\\fR", "").replace("\\fI", "")
        self.assertEqual(self.options(page) - {"--"}, self.options(help_text))
        status = page[page.index(".SH EXIT STATUS"):]
        status = status[:status.index("\n.SH", 1)]
        self.assertEqual(re.findall(r"^\.B (\d+)$", status, re.M), ["0", "1", "2"])


def main():
    global MORVANE, SERIAL_PEER, SOURCE_DIR
    MORVANE, SERIAL_PEER, SOURCE_DIR = (os.path.abspath(a) for a in sys.argv[1:4])
    unittest.main(argv=[sys.argv[0]] + sys.argv[4:], verbosity=2)


if __name__ == "__main__":
    main()
