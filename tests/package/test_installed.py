#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The installed program, run from a package unpacked into a scratch root: it shows its window, finds the
rules document in ../share/zelvara beside its folder, and keeps its settings in the XDG config folder. Its
folder is left writable by its owner, the player who unpacked it: the package's build never keeps the
settings beside the program, wherever the program is. As root it runs without the two capabilities that
let root write through permission bits, so that it meets the folder as a player does.

Runs inside tests/e2e/harness and shares its helpers (e2elib)."""

import os
import stat
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import e2elib as e  # noqa: E402

NO_OVERRIDE = (["setpriv", "--bounding-set=-dac_override,-dac_read_search"] if os.geteuid() == 0 else [])


class Installed(e.Program):
    """The installed program, started without permission overrides and with the given PATH."""

    def __init__(self, binary, env):  # pylint: disable=super-init-not-called
        self.binary = binary
        self.log = tempfile.TemporaryFile(mode="w+", dir=os.environ.get("TMPDIR"))
        self.process = subprocess.Popen([*NO_OVERRIDE, binary], cwd=os.environ.get("ZELVARA_E2E_TMP"), env=env,
                                        stdout=self.log, stderr=subprocess.STDOUT, text=True)


def read_settings(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return dict(line.strip().split("=", 1) for line in f if "=" in line)


class InstalledProgramTest(e.ProgramTestCase):
    def test_installedProgram_showsWindow_findsRules_keepsSettingsInConfigFolder(self):
        folder = os.path.dirname(self.binary)
        root = os.path.dirname(os.path.dirname(folder))
        os.chmod(folder, stat.S_IRWXU | stat.S_IRGRP | stat.S_IXGRP | stat.S_IROTH | stat.S_IXOTH)
        self.assertEqual(os.stat(folder).st_uid, os.geteuid(), "the unpacked folder is the player's")

        # A stand-in for the desktop's opener records what the program asks it to open.
        tools = tempfile.mkdtemp(dir=os.environ["ZELVARA_E2E_TMP"])
        record = os.path.join(tools, "opened")
        opener = os.path.join(tools, "xdg-open")
        with open(opener, "w", encoding="utf-8") as f:
            f.write(f'#!/bin/sh\nprintf "%s\\n" "$@" >> "{record}"\n')
        os.chmod(opener, stat.S_IRWXU | stat.S_IRGRP | stat.S_IXGRP | stat.S_IROTH | stat.S_IXOTH)
        env = dict(os.environ, PATH=tools + os.pathsep + os.environ["PATH"])

        program = Installed(self.binary, env)
        self.programs.append(program)
        wid = e.wait_window(e.MAIN_CAPTION, program.pid)
        e.screenshot(os.path.join(e.ARTIFACTS, "installed-main-window.png"), wid)
        app = e.application(program.pid)

        e.click(e.find(app, "Инфо", e.pyatspi.ROLE_MENU_ITEM))
        e.click(e.find(app, "Правила преферанса", e.pyatspi.ROLE_MENU_ITEM))

        def recorded():
            if not os.path.exists(record):
                return ""
            with open(record, encoding="utf-8") as f:
                return f.read()

        opened = e.wait_for("the opener to be called", recorded).strip()
        self.assertEqual(os.path.realpath(opened.replace("file://", "")),
                         os.path.realpath(os.path.join(root, "usr", "share", "zelvara", "Preference_rules.docx")))
        self.assertEqual(e.visible_windows("Zelvara", program.pid), [], "no message with the document there")

        e.click(e.find(app, "3", e.pyatspi.ROLE_RADIO_BUTTON))
        e.close_by_window_manager(wid)
        self.assertEqual(program.wait_exit(), 0, program.output())
        self.assertFalse(os.path.exists(os.path.join(folder, "SETTINGS.INI")))
        config = os.environ.get("XDG_CONFIG_HOME") or os.path.join(os.environ["HOME"], ".config")
        self.assertEqual(read_settings(os.path.join(config, "zelvara", "SETTINGS.INI")).get("PlayersNumber"), "3")

    def test_installedProgram_opensTheBookFromItsModule(self):
        """The book's module is loaded from lib/<triplet>/zelvara beside the program's folder; the book,
        not there yet, opens empty and is not created by looking at it."""
        program = Installed(self.binary, dict(os.environ))
        self.programs.append(program)
        e.wait_window(e.MAIN_CAPTION, program.pid)
        app = e.application(program.pid)
        e.click(e.find(app, "Пуля", e.pyatspi.ROLE_MENU_ITEM))
        e.click(e.find(app, "Журнал…", e.pyatspi.ROLE_MENU_ITEM))
        window = e.wait_window("Журнал", program.pid)
        e.screenshot(os.path.join(e.ARTIFACTS, "installed-book.png"), window)
        self.assertEqual(e.visible_windows("Zelvara", program.pid), [], "a message instead of the book")
        data = os.environ.get("XDG_DATA_HOME") or os.path.join(os.environ["HOME"], ".local", "share")
        self.assertFalse(os.path.exists(os.path.join(data, "zelvara", "book.sqlite")))


if __name__ == "__main__":
    e.main()
