#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The harness itself, run from outside: whatever the command does, nothing it started outlives the run
and its temporary folder is gone; the command's exit status comes through, a hang becomes 124."""

import os
import random
import subprocess
import sys
import time
import unittest

HARNESS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "harness")


def processes_with(text):
    found = []
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open(f"/proc/{entry}/cmdline", "rb") as f:
                    if text.encode() in f.read():
                        found.append(int(entry))
            except OSError:
                pass
    return found


class HarnessTest(unittest.TestCase):
    def run_harness(self, script, timeout):
        return subprocess.run([HARNESS, "--timeout", str(timeout), "--", "sh", "-c", script],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, timeout=60)


    def test_everyEnding_leavesNothingBehind(self):
        cases = {
            # name: (script, timeout, expected status)
            "passes": ("exit 0", 30, 0),
            "fails": ("exit 3", 30, 3),
            "hangs past the timeout": ("sleep 1000", 3, 124),
            "leaves a detached child": ("setsid sleep {tag} & exit 0", 30, 0),
            "detached child and hang": ("setsid sh -c 'sleep {tag}' & sleep 1000", 3, 124),
        }
        for name, (script, timeout, expected) in cases.items():
            with self.subTest(name):
                tag = f"{random.randint(10**6, 10**7)}.25"
                result = self.run_harness(
                    "echo $ZELVARA_E2E_TMP; echo $DISPLAY; xprop -root _NET_SUPPORTING_WM_CHECK >/dev/null && "
                    + script.format(tag=tag), timeout)
                self.assertEqual(result.returncode, expected, result.stdout)
                tmp, display = (result.stdout.split() + ["", ""])[:2]
                self.assertTrue(tmp and display.startswith(":"), result.stdout)
                self.assertFalse(os.path.exists(tmp), "temporary folder left behind")
                time.sleep(0.05)
                self.assertEqual(processes_with(f"sleep {tag}"), [], "a detached child survived")
                # The X server removes its socket as it exits; on a loaded machine that can take a moment.
                socket_path = f"/tmp/.X11-unix/X{display[1:]}"
                deadline = time.monotonic() + 10
                while os.path.exists(socket_path) and time.monotonic() < deadline:
                    time.sleep(0.05)
                self.assertFalse(os.path.exists(socket_path), "display still served")


if __name__ == "__main__":
    unittest.main(argv=sys.argv, verbosity=2)
