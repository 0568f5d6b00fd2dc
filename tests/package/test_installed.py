#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The installed program, run from a package unpacked into a scratch root: it shows its window, finds the
rules document in ../share/zelvara beside its folder and its print module in ../lib/<triplet>/zelvara,
and keeps its settings in the XDG config folder. Its
folder is left writable by its owner, the player who unpacked it: the package's build never keeps the
settings beside the program, wherever the program is. As root it runs without the two capabilities that
let root write through permission bits, so that it meets the folder as a player does.

Runs inside tests/e2e/harness and shares its helpers (e2elib)."""

import datetime
import os
import stat
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import e2elib as e  # noqa: E402

class InstalledProgramTest(e.ProgramTestCase):
    def test_installedProgram_showsWindow_findsRulesAndPrinting_keepsSettingsInConfigFolder(self):
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

        program = e.Program(self.binary, env=env, as_player=True)
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
        # Printing finds its module where the package installs it, ../lib/<triplet>/zelvara.
        for player, name in enumerate("ABC", start=1):
            e.fill(e.find(app, f"Имя игрока {player}"), name)
        e.click(e.find(app, "Рассчитать", e.pyatspi.ROLE_PUSH_BUTTON))
        e.click(e.find(app, "Пуля", e.pyatspi.ROLE_MENU_ITEM))
        item = e.find(app, "Печать…", e.pyatspi.ROLE_MENU_ITEM)
        e.wait_for("the results to be shown", lambda: e.is_enabled(item))
        e.click(item)
        preview = e.wait_window(f"Просмотр печати: Пуля {datetime.date.today():%Y-%m-%d}", program.pid)
        e.press("Escape")
        e.wait_for("the preview to close", lambda: preview not in e.visible_windows(pid=program.pid))
        e.close_by_window_manager(wid)
        self.assertEqual(program.wait_exit(), 0, program.output())
        self.assertFalse(os.path.exists(os.path.join(folder, "SETTINGS.INI")))
        config = os.environ.get("XDG_CONFIG_HOME") or os.path.join(os.environ["HOME"], ".config")
        self.assertEqual(e.read_settings(os.path.join(config, "zelvara", "SETTINGS.INI")).get("PlayersNumber"), "3")

    def test_installedProgram_opensTheBookFromItsModule(self):
        """The book's module is loaded from lib/<triplet>/zelvara beside the program's folder; the book,
        not there yet, opens empty and is not created by looking at it."""
        program = e.Program(self.binary, env=dict(os.environ), as_player=True)
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
