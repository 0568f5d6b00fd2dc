#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""zelvara's command line and its handover, on the real binary with no display at all: --help and
--version print and end without a word to the running copy, a bad command line is a usage error, and a
later start hands over (with its file made absolute) before it sets up anything of the toolkit, which
without a display would end it with an error."""

import argparse
import os
import socket
import subprocess
import sys
import tempfile
import unittest

PROGRAM = ""
VERSION = ""


class StartUpTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)
        runtime = os.path.join(self.tmp.name, "runtime")
        os.mkdir(runtime, 0o700)
        self.env = dict(os.environ, XDG_RUNTIME_DIR=runtime, TMPDIR=self.tmp.name, DISPLAY=":97",
                        QT_QPA_PLATFORM="xcb")
        self.env.pop("WAYLAND_DISPLAY", None)
        # Stands in for a running copy on display :97.
        self.running_copy = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.addCleanup(self.running_copy.close)
        self.running_copy.bind(os.path.join(runtime, "zelvara-_97"))
        self.running_copy.listen(4)

    def run_program(self, *args):
        return subprocess.run([PROGRAM, *args], env=self.env, cwd=self.tmp.name, capture_output=True,
                              timeout=30, check=False)

    def assert_running_copy_untouched(self):
        self.running_copy.setblocking(False)
        with self.assertRaises(BlockingIOError):
            self.running_copy.accept()

    @staticmethod
    def receive(connection):
        """One message of the channel: its length in four bytes, then the message."""
        data = b""
        while len(data) < 4 or len(data) < 4 + int.from_bytes(data[:4], "big"):
            chunk = connection.recv(4096)
            if not chunk:
                break
            data += chunk
        return data[4:]

    @staticmethod
    def send(connection, message):
        connection.sendall(len(message).to_bytes(4, "big") + message)

    def hand_over(self, *args):
        """Starts the program, answers its request as a running copy does; (request, exit status)."""
        program = subprocess.Popen([PROGRAM, *args], env=self.env, cwd=self.tmp.name,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.running_copy.settimeout(20)
        connection, _ = self.running_copy.accept()
        with connection:
            request = self.receive(connection)
            self.send(connection, b"taken")
            self.assertEqual(self.receive(connection), b"go")
            self.send(connection, b"shown")
        _, err = program.communicate(timeout=20)
        self.assertEqual(err, b"")
        return request, program.returncode

    def test_helpAndVersion_printAndEndAlone(self):
        for args, expected in ((["--help"], b"Usage: zelvara [FILE]\n"), (["-h", "file"], b"Usage: zelvara [FILE]\n"),
                               (["--version"], f"zelvara {VERSION}\n".encode()),
                               (["--version", "--no-such-option"], f"zelvara {VERSION}\n".encode()),
                               # Asked for, help comes whatever else the line holds.
                               (["--no-such-option", "one", "two", "--help"], b"Usage: zelvara [FILE]\n")):
            with self.subTest(args=args):
                result = self.run_program(*args)
                self.assertEqual(result.returncode, 0, result.stderr)
                self.assertTrue(result.stdout.startswith(expected), result.stdout)
                if args[0] == "--version":
                    self.assertEqual(result.stdout, expected)
                self.assertEqual(result.stderr, b"")
                self.assert_running_copy_untouched()

    def test_badCommandLine_isAUsageError(self):
        for args in (["--no-such-option"], ["-x"], ["one.zelvara", "two.zelvara"], [""]):
            with self.subTest(args=args):
                result = self.run_program(*args)
                self.assertEqual(result.returncode, 2)
                self.assertEqual(result.stdout, b"")
                self.assertIn(b"Usage: zelvara [FILE]", result.stderr)
                self.assert_running_copy_untouched()

    def test_laterStart_handsItsAbsoluteFileOver(self):
        folder = os.fsencode(self.tmp.name)
        cases = (
            ([], b"show"),
            (["/srv/пули/итог.zelvara"], "open /srv/пули/итог.zelvara".encode()),
            # Relative to where it was started; a space travels as it is.
            (["пуля 1.zelvara"], b"open " + folder + "/пуля 1.zelvara".encode()),
            # After "--" a name may look like an option, also one of the toolkit's.
            (["--", "-style"], b"open " + folder + b"/-style"),
        )
        for args, expected in cases:
            with self.subTest(args=args):
                request, status = self.hand_over(*args)
                self.assertEqual(request, expected)
                self.assertEqual(status, 0)


def main():
    global PROGRAM, VERSION
    parser = argparse.ArgumentParser()
    parser.add_argument("--program", required=True)
    parser.add_argument("--version", required=True)
    args, rest = parser.parse_known_args()
    PROGRAM, VERSION = args.program, args.version
    unittest.main(argv=[sys.argv[0], *rest])


if __name__ == "__main__":
    main()
