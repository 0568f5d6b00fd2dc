#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Faults of the surroundings, on the real program: a read-only program folder; SETTINGS.INI that is a
folder, a FIFO, a dangling link, unreadable or too large; a file size limit; no $HOME; no locale
(LC_ALL=C); the rules document a folder; a second copy started while the first is exiting. Each must end in what the program promises, a message or
a safe default, and never in a crash or a hang.

Runs inside tests/e2e/harness and shares its helpers (e2elib). As root, the program runs without the two
capabilities that let root read and write through permission bits, so that it meets them as a player does.
"""

import os
import stat
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
import e2elib as e  # noqa: E402

RULES_MISSING = "Файл Preference_rules.docx отсутствует в папке программы!"


class SurroundingsTest(e.ProgramTestCase):
    def setUp(self):
        super().setUp()
        self.binary_copy = e.private_program_folder(self.binary)
        self.folder = os.path.dirname(self.binary_copy)
        self.settings = os.path.join(self.folder, "SETTINGS.INI")
        self.addCleanup(os.chmod, self.folder, stat.S_IRWXU)

    def launch(self, env=None, file_size_limit=None):
        program = e.Program(self.binary_copy, env=env, as_player=True, file_size_limit=file_size_limit)
        self.programs.append(program)
        wid = e.wait_window(e.MAIN_CAPTION, program.pid)
        return program, wid, e.application(program.pid)

    def assertDesignOptions(self, app):
        for caption in ("4", "Сочи / Ростов", "На N игроков"):
            self.assertTrue(e.is_checked(e.find(app, caption, e.pyatspi.ROLE_RADIO_BUTTON)), caption)

    def closeExpectingMessage(self, program, wid, app, message):
        e.close_by_window_manager(wid)
        box = e.wait_window("Zelvara", program.pid)
        e.find(app, message)
        e.wait_for("the message box to take the keyboard", lambda: e.active_window() == box)
        e.press("Return")
        self.assertEqual(program.wait_exit(), 0, program.output())

    def closeNormally(self, program, wid):
        e.close_by_window_manager(wid)
        self.assertEqual(program.wait_exit(), 0, program.output())

    def test_readOnlyProgramFolder_settingsKeptInConfigFolder(self):
        os.chmod(self.folder, stat.S_IRUSR | stat.S_IXUSR | stat.S_IRGRP | stat.S_IXGRP)
        program, wid, app = self.launch()
        e.click(e.find(app, "3", e.pyatspi.ROLE_RADIO_BUTTON))
        self.closeNormally(program, wid)
        self.assertFalse(os.path.exists(self.settings))
        config = os.environ.get("XDG_CONFIG_HOME") or os.path.join(os.environ["HOME"], ".config")
        self.assertEqual(e.read_settings(os.path.join(config, "zelvara", "SETTINGS.INI")).get("PlayersNumber"), "3")
        program, wid, app = self.launch()
        self.assertTrue(e.is_checked(e.find(app, "3", e.pyatspi.ROLE_RADIO_BUTTON)), "settings kept elsewhere")
        self.closeNormally(program, wid)

    def test_settingsFileIsFolder_designStateThenUnableToWrite(self):
        os.mkdir(self.settings)
        keep = os.path.join(self.settings, "keep")
        with open(keep, "w", encoding="utf-8") as f:
            f.write("mine\n")
        program, wid, app = self.launch()
        self.assertDesignOptions(app)
        self.closeExpectingMessage(program, wid, app, f"Unable to write to {self.settings}.")
        self.assertTrue(os.path.isdir(self.settings))
        with open(keep, encoding="utf-8") as f:
            self.assertEqual(f.read(), "mine\n")

    def test_settingsFileDanglingLink_designStateThenWritten(self):
        os.symlink(os.path.join(self.folder, "gone", "SETTINGS.INI"), self.settings)
        program, wid, app = self.launch()
        self.assertDesignOptions(app)
        self.closeNormally(program, wid)
        self.assertEqual(e.read_settings(self.settings).get("PlayersNumber"), "4")

    def test_unreadableSettingsFile_designStateThenUnableToWrite(self):
        with open(self.settings, "w", encoding="utf-8") as f:
            f.write("[Zelvara]\nPlayersNumber=3\n")
        os.chmod(self.settings, 0)
        program, wid, app = self.launch()
        self.assertDesignOptions(app)
        # A file that cannot be read is not overwritten: its keys would be lost.
        self.closeExpectingMessage(program, wid, app, f"Unable to write to {self.settings}.")
        self.assertEqual(stat.S_IMODE(os.stat(self.settings).st_mode), 0)
        os.chmod(self.settings, stat.S_IRUSR)
        self.assertEqual(e.read_settings(self.settings), {"PlayersNumber": "3"})

    def test_writeProtectedSettingsFile_readThenUnableToWrite(self):
        with open(self.settings, "w", encoding="utf-8") as f:
            f.write("[Zelvara]\nPlayersNumber=3\n")
        os.chmod(self.settings, stat.S_IRUSR | stat.S_IRGRP | stat.S_IROTH)
        program, wid, app = self.launch()
        self.assertTrue(e.is_checked(e.find(app, "3", e.pyatspi.ROLE_RADIO_BUTTON)), "the file is still read")
        e.click(e.find(app, "2", e.pyatspi.ROLE_RADIO_BUTTON))
        self.closeExpectingMessage(program, wid, app, f"Unable to write to {self.settings}.")
        self.assertEqual(e.read_settings(self.settings), {"PlayersNumber": "3"})
        self.assertEqual([n for n in os.listdir(self.folder) if n.startswith(("SETTINGS.INI.", ".SETTINGS.INI"))], [],
                         "a temporary file was left")

    def test_hugeBinarySettingsFile_designStateThenUnableToWrite(self):
        # 8 MB of anything, key-like lines and zero bytes included: far over the size a settings file may
        # have, so it is not read at all, and not replaced at the end: it is not the program's to destroy.
        chunk = bytes(range(256)) + b"\n[Zelvara]\nPlayersNumber=3\x00\xff\nNameOfP1For4=" + b"\xe9" * 500 + b"\n"
        content = chunk * (8 * 1024 * 1024 // len(chunk))
        with open(self.settings, "wb") as f:
            f.write(content)
        program, wid, app = self.launch()
        self.assertDesignOptions(app)
        self.closeExpectingMessage(program, wid, app, f"Unable to write to {self.settings}.")
        with open(self.settings, "rb") as f:
            self.assertEqual(f.read(), content)

    def test_settingsFileIsFifo_startsThenUnableToWrite(self):
        # Opening a FIFO for reading waits for a writer: a start must not.
        os.mkfifo(self.settings)
        program, wid, app = self.launch()
        self.assertDesignOptions(app)
        self.closeExpectingMessage(program, wid, app, f"Unable to write to {self.settings}.")
        self.assertTrue(stat.S_ISFIFO(os.lstat(self.settings).st_mode))

    def test_fileSizeLimit_unableToWriteAndOldFileKept(self):
        # Under `ulimit -f` a write beyond the limit must fail as a full disk does, not end the program.
        old = "[Zelvara]\nPlayersNumber=3\n"
        with open(self.settings, "w", encoding="utf-8") as f:
            f.write(old)
        program, wid, app = self.launch(file_size_limit=100)
        e.click(e.find(app, "2", e.pyatspi.ROLE_RADIO_BUTTON))
        self.closeExpectingMessage(program, wid, app, f"Unable to write to {self.settings}.")
        with open(self.settings, encoding="utf-8") as f:
            self.assertEqual(f.read(), old)
        self.assertEqual(os.listdir(self.folder).count("SETTINGS.INI"), 1)
        self.assertEqual([n for n in os.listdir(self.folder) if "SETTINGS.INI." in n], [], "a temporary file was left")

    def test_homeUnset_settingsInProgramFolder(self):
        env = {k: v for k, v in os.environ.items() if k != "HOME"}
        program, wid, app = self.launch(env)
        e.click(e.find(app, "2", e.pyatspi.ROLE_RADIO_BUTTON))
        self.closeNormally(program, wid)
        self.assertEqual(e.read_settings(self.settings).get("PlayersNumber"), "2")

    def test_noLocale_readsAndWritesDecimalPoint(self):
        env = {k: v for k, v in os.environ.items() if not k.startswith("LC_") and k not in ("LANG", "LANGUAGE")}
        env["LC_ALL"] = "C"
        with open(self.settings, "w", encoding="utf-8") as f:
            f.write(e.SEAT_NAMES)
        program, wid, app = self.launch(env)
        e.fill(e.find(app, "Цена виста"), "0.25")
        e.fill(e.find(app, "Гора игрока Запад"), "20")
        e.click(e.find(app, "Рассчитать", e.pyatspi.ROLE_PUSH_BUTTON))
        result = e.find(app, "Итог игрока Запад")
        e.wait_for("the results", lambda: e.text_of(result) == "-37.5")
        self.assertEqual(e.text_of(e.find(app, "Итог игрока Север")), "+12.5")
        self.closeNormally(program, wid)
        self.assertEqual(e.read_settings(self.settings).get("ValueOfWhistFor4"), "0.25")

    def test_rulesDocumentIsFolder_reportedMissing(self):
        document = os.path.join(self.folder, "Preference_rules.docx")
        if os.path.exists(document):
            os.remove(document)
        os.mkdir(document)
        # A stand-in for the desktop's opener, so that nothing real opens the folder.
        tools = tempfile.mkdtemp(dir=os.environ.get("ZELVARA_E2E_TMP"))
        opener = os.path.join(tools, "xdg-open")
        with open(opener, "w", encoding="utf-8") as f:
            f.write("#!/bin/sh\nexit 0\n")
        os.chmod(opener, stat.S_IRWXU | stat.S_IRGRP | stat.S_IXGRP | stat.S_IROTH | stat.S_IXOTH)
        env = dict(os.environ, PATH=tools + os.pathsep + os.environ["PATH"])
        program, wid, app = self.launch(env)
        e.click(e.find(app, "Инфо", e.pyatspi.ROLE_MENU_ITEM))
        e.click(e.find(app, "Правила преферанса", e.pyatspi.ROLE_MENU_ITEM))
        box = e.wait_window("Zelvara", program.pid)
        e.find(app, RULES_MISSING)
        e.wait_for("the message box to take the keyboard", lambda: e.active_window() == box)
        e.press("Return")
        e.wait_for("the message box to go", lambda: box not in e.visible_windows(pid=program.pid))
        self.closeNormally(program, wid)

    def test_secondCopyStartedWhileFirstExits_oneWindowComesUp(self):
        for attempt in range(4):
            with self.subTest(attempt=attempt):
                # A large file to rewrite keeps the first copy busy exiting for a while on later attempts; the
                # largest stays within the 1 MiB a settings file may have.
                with open(self.settings, "w", encoding="utf-8") as f:
                    f.write("[Other]\n" + "".join(f"Key{i}=value\n" for i in range(attempt * 20000)))
                first, wid, _ = self.launch()
                e.close_by_window_manager(wid)
                second = e.Program(self.binary_copy, as_player=True)
                self.programs.append(second)
                self.assertEqual(first.wait_exit(), 0, first.output())
                # Whether the second copy met the first one or not, the player who started it must get a
                # window: handing over to a copy on its way out would leave the desktop empty.
                e.wait_for("a main window, or the second copy's end",
                           lambda: e.visible_windows(e.MAIN_CAPTION) or not second.running(), timeout=15.0)
                self.assertTrue(second.running(), "the second copy ended without a window, its exit status "
                                f"{second.process.returncode}: {second.output()}")
                second_window = e.wait_window(e.MAIN_CAPTION, second.pid)
                self.closeNormally(second, second_window)


if __name__ == "__main__":
    e.main()
