#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The desktop the harness builds, checked on the bare window: a real window manager maps, minimises,
restores and activates windows; the accessibility bus sees the program; HOME is private."""

import os

import e2elib as e


class DesktopTest(e.ProgramTestCase):
    def test_windowManager_mapsMinimisesAndRestores(self):
        program = self.start()
        wid = e.wait_window("Zelvara bare window", program.pid)
        self.assertEqual(e.size_of(wid), (511, 473))
        e.wait_for("the new window to be active", lambda: e.active_window() == wid)
        e.minimise(wid)
        e.run(["xdotool", "windowactivate", str(wid)])
        e.wait_for("the window to come back", lambda: e.is_normal(wid) and e.active_window() == wid)

    def test_accessibilityBus_seesTheProgram(self):
        program = self.start()
        app = e.application(program.pid)
        frame = e.find(app, "Zelvara bare window")
        self.assertTrue(e.is_enabled(frame))

    def test_home_isPrivate(self):
        tmp = os.environ["ZELVARA_E2E_TMP"]
        for name in ("HOME", "XDG_CONFIG_HOME", "XDG_RUNTIME_DIR", "TMPDIR"):
            self.assertTrue(os.environ[name].startswith(tmp + os.sep), name)


if __name__ == "__main__":
    e.main()
