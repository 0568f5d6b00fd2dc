#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Sheet files on a real desktop: a sheet saved through the toolkit's own file dialog from the "Пуля"
menu, the saved file named on the command line of a fresh start, a file that cannot be read named there
instead, and files handed to the running copy by a later start: opened at once, or once the correction
dialog that waits for its answer is answered."""

import datetime
import json
import os
import subprocess

import e2elib as e

SHEET = {"Гора игрока Запад": "14", "Гора игрока Восток": "10", "Пуля игрока Юг": "3", "Цена виста": "0,5"}


def choose_from_menu(app, menu, item):
    e.click(e.find(app, menu, e.pyatspi.ROLE_MENU_ITEM))
    e.click(e.find(app, item, e.pyatspi.ROLE_MENU_ITEM))


def write_sheet(name, sheet):
    path = os.path.join(os.environ["ZELVARA_E2E_TMP"], name)
    with open(path, "w", encoding="utf-8") as f:
        json.dump(sheet, f, ensure_ascii=False)
    return path


TWO_PLAYERS = {"format": "zelvara-sheet", "version": 1, "players": 2, "gameType": "Sochi",
               "heapDivisibility": "Nondivisible", "fields": {"HeapOfP1For2": "6", "NameOfP2For2": "Боря"}}


class SheetFilesTest(e.ProgramTestCase):
    def start_copy(self, args=()):
        self.binary_copy = e.private_program_folder(self.binary, e.SEAT_NAMES)
        program = self.start(self.binary_copy, args=args)
        wid = e.wait_window(e.MAIN_CAPTION, program.pid)
        return program, wid, e.application(program.pid)

    def hand_over(self, path):
        """A later start with a file: it hands the file to the running copy and ends."""
        later = subprocess.run([self.binary_copy, path], cwd=os.environ["ZELVARA_E2E_TMP"], capture_output=True,
                               timeout=20, check=False)
        self.assertEqual(later.returncode, 0, later.stderr)

    def test_savedThroughFileDialog_opensOnFreshStart(self):
        program, wid, app = self.start_copy()
        e.click(e.find(app, "3", e.pyatspi.ROLE_RADIO_BUTTON))
        e.click(e.find(app, "Ленинград", e.pyatspi.ROLE_RADIO_BUTTON))
        for name, text in SHEET.items():
            e.fill(e.find(app, name), text)

        choose_from_menu(app, "Пуля", "Сохранить пулю…")
        dialog = e.wait_window("Сохранить пулю", program.pid)
        self.assertTrue(e.is_dialog_of(dialog, wid))
        e.wait_for("the file dialog to take the keyboard", lambda: e.active_window() == dialog)
        # The name is proposed from today's date, in the file name field that has the keyboard.
        proposed = f"Пуля {datetime.date.today():%Y-%m-%d}.zelvara"
        e.wait_for("the proposed name", lambda: any(
            e.is_focused(field) and e.text_of(field) == proposed
            for field in e.find_all(app, role=e.pyatspi.ROLE_TEXT)))
        e.screenshot(os.path.join(e.ARTIFACTS, "save-sheet-dialog.png"), dialog)
        # Typed without the extension: the dialog adds it.
        base = os.path.join(os.environ["ZELVARA_E2E_TMP"], "game")
        e.press("ctrl+a")
        e.type_text(base)
        e.press("Return")
        path = base + ".zelvara"
        e.wait_for("the dialog to go", lambda: dialog not in e.visible_windows(pid=program.pid))
        e.wait_for("the file to be written", lambda: os.path.exists(path))
        with open(path, encoding="utf-8") as f:
            saved = json.load(f)
        self.assertEqual((saved["format"], saved["players"], saved["gameType"], saved["decimalSeparator"]),
                         ("zelvara-sheet", 3, "Leningrad", ","))
        self.assertEqual((saved["fields"]["HeapOfP1For3"], saved["fields"]["PoolOfP3For3"],
                          saved["fields"]["ValueOfWhistFor3"], saved["fields"]["NameOfP2For3"]),
                         ("14", "3", "0,5", "Восток"))
        self.assertTrue(program.running())
        e.close_by_window_manager(wid)
        self.assertEqual(program.wait_exit(), 0, program.output())

        # A first run elsewhere, without settings: what shows comes from the file alone.
        program, wid, app = self.start_copy([path])
        e.wait_for("the sheet of the file", lambda: e.is_checked(e.find(app, "3", e.pyatspi.ROLE_RADIO_BUTTON)))
        self.assertTrue(e.is_checked(e.find(app, "Ленинград", e.pyatspi.ROLE_RADIO_BUTTON)))
        self.assertEqual({name: e.text_of(e.find(app, name)) for name in SHEET}, SHEET)
        self.assertEqual(e.find_all(app, "Итог игрока Запад"), [], "nothing may be settled on opening")
        self.assertEqual(e.visible_windows(pid=program.pid), [wid], "no message may come")

    def test_unreadableFileOnCommandLine_saysSoOverTheWindow(self):
        missing = os.path.join(os.environ["ZELVARA_E2E_TMP"], "нет такой.zelvara")
        program, wid, app = self.start_copy([missing])
        box = e.wait_window("Zelvara", program.pid)
        self.assertTrue(e.is_dialog_of(box, wid), "the message must come over the window")
        e.find(app, f"Не удалось прочитать файл «{missing}».")
        e.wait_for("the message box to take the keyboard", lambda: e.active_window() == box)
        e.press("Return")
        e.wait_for("the message box to go", lambda: box not in e.visible_windows(pid=program.pid))
        self.assertEqual(e.text_of(e.find(app, "Цена виста")), "1")
        self.assertTrue(program.running())

    def test_fileHandedToRunningCopy_opensThereAndBringsItForward(self):
        program, wid, app = self.start_copy()
        e.fill(e.find(app, "Гора игрока Запад"), "17")
        e.minimise(wid)
        self.hand_over(write_sheet("handed.zelvara", TWO_PLAYERS))
        e.wait_for("the running copy to be back and active", lambda: e.is_normal(wid) and e.active_window() == wid)
        e.wait_for("the sheet of the file", lambda: e.is_checked(e.find(app, "2", e.pyatspi.ROLE_RADIO_BUTTON)))
        self.assertEqual(e.text_of(e.find(app, "Гора игрока Север")), "6")
        self.assertEqual(e.text_of(e.find(app, "Имя игрока 2")), "Боря")
        self.assertEqual(e.visible_windows(e.MAIN_CAPTION), [wid])
        # The four-player sheet keeps what was typed on it.
        e.click(e.find(app, "4", e.pyatspi.ROLE_RADIO_BUTTON))
        self.assertEqual(e.text_of(e.find(app, "Гора игрока Запад")), "17")

    def test_fileHandedWhileCorrectionDialogWaits_opensOnceItIsAnswered(self):
        program, wid, app = self.start_copy()
        # An odd heap with a whist of 1 on four players: the players must draw lots.
        e.fill(e.find(app, "Гора игрока Запад"), "3")
        e.click(e.find(app, "Рассчитать"))
        lot = e.wait_window("Выбор игрока", program.pid)
        self.hand_over(write_sheet("waiting.zelvara", TWO_PLAYERS))
        # The answer still applies to the sheet the dialog was opened over: nothing has changed it.
        self.assertIn(lot, e.visible_windows(pid=program.pid), "the correction dialog must still wait")
        self.assertEqual(e.visible_windows("Zelvara", program.pid), [], "no message may come")
        self.assertTrue(e.is_checked(e.find(app, "4", e.pyatspi.ROLE_RADIO_BUTTON)))
        self.assertEqual(e.text_of(e.find(app, "Гора игрока Запад")), "3")

        e.wait_for("the correction dialog to take the keyboard", lambda: e.active_window() == lot)
        e.press("Return")
        e.wait_for("the sheet of the file", lambda: e.is_checked(e.find(app, "2", e.pyatspi.ROLE_RADIO_BUTTON)))
        self.assertEqual(e.text_of(e.find(app, "Гора игрока Север")), "6")
        self.assertEqual(e.visible_windows("Zelvara", program.pid), [], "no message may come")
        # The answer went to the four-player sheet before the file came: West drew the point.
        e.click(e.find(app, "4", e.pyatspi.ROLE_RADIO_BUTTON))
        self.assertEqual(e.text_of(e.find(app, "Гора игрока Запад")), "4")


if __name__ == "__main__":
    e.main()
