#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The two correction dialogs on a real desktop: a sheet that needs each one, answered from the keyboard
(Enter presses OK), the corrected sheet and its results read back; and a close request from the window
manager that must never leave the main window disabled behind a hidden dialog."""

import os
import time

import e2elib as e

# The first worked example with West's heap one higher: an odd heap sum that a whist of 1 cannot split.
ODD_HEAP = {
    "Гора игрока Запад": "21", "Гора игрока Север": "4", "Гора игрока Восток": "12", "Гора игрока Юг": "0",
    "Пуля игрока Запад": "10", "Пуля игрока Север": "8", "Пуля игрока Восток": "6", "Пуля игрока Юг": "10",
    "Висты Запада на Севера": "20", "Висты Севера на Запада": "4", "Висты Востока на Юга": "6",
    "Висты Юга на Запада": "2", "Цена виста": "1",
}
# Heap divided on three with residues 1, 2, 1, 1: the program proposes to take a point off North's heap.
UNEVEN_RESIDUES = {"Гора игрока Запад": "4", "Гора игрока Север": "2", "Гора игрока Восток": "7",
                   "Гора игрока Юг": "10", "Цена виста": "1"}


class CorrectionTest(e.ProgramTestCase):
    def open(self):
        program = self.start(e.private_program_folder(self.binary, e.SEAT_NAMES))
        wid = e.wait_window(e.MAIN_CAPTION, program.pid)
        return program, wid, e.application(program.pid)

    def settle_into_dialog(self, program, app, sheet, caption):
        for name, text in sheet.items():
            e.fill(e.find(app, name), text)
        e.click(e.find(app, "Рассчитать"))
        dialog = e.wait_window(caption, program.pid)
        main = e.visible_windows(e.MAIN_CAPTION, program.pid)[0]
        self.assertTrue(e.is_dialog_of(dialog, main), "the dialog could hide behind the disabled main window")
        e.wait_for("the main window to be disabled", lambda: not e.is_enabled(e.find(app, "Рассчитать")))
        e.wait_for("the dialog to take the keyboard", lambda: e.active_window() == dialog)
        return dialog

    def assertTexts(self, app, expected):
        self.assertEqual({name: e.text_of(e.find(app, name)) for name in expected}, expected)

    def test_lotDialog_enterAcceptsFirstPlayer_correctsAndSettles(self):
        program, wid, app = self.open()
        dialog = self.settle_into_dialog(program, app, ODD_HEAP, "Выбор игрока")
        self.assertEqual(e.find_all(app, "Итог игрока Запад"), [], "results before the answer")
        e.screenshot(os.path.join(e.ARTIFACTS, "choice-of-player.png"), dialog)
        e.press("Return")
        e.wait_for("the dialog to go", lambda: dialog not in e.visible_windows(pid=program.pid))
        e.wait_for("the main window to be enabled", lambda: e.is_enabled(e.find(app, "Рассчитать")))
        # West was drawn: a point on his heap, 3 whists from him on each of the others.
        self.assertTexts(app, {"Гора игрока Запад": "22", "Висты Запада на Севера": "23",
                               "Висты Запада на Востока": "3", "Висты Запада на Юга": "3"})
        self.assertTexts(app, {"Итог игрока Запад": "-87", "Итог игрока Север": "+31",
                               "Итог игрока Восток": "-47", "Итог игрока Юг": "+103"})
        e.wait_for("the main window to be active", lambda: e.active_window() == wid)

    def test_lotDialog_keepsTheMarkWhenTheDisabledMainWindowIsClicked_centredOverMainWindow(self):
        program, wid, app = self.open()
        dialog = self.settle_into_dialog(program, app, ODD_HEAP, "Выбор игрока")
        # The frames, title bars included, share their centre.
        e.wait_centred_over(dialog, wid)
        e.click(e.find(app, "Восток", e.pyatspi.ROLE_RADIO_BUTTON))
        e.wait_for("East to be marked", lambda: e.is_checked(e.find(app, "Восток", e.pyatspi.ROLE_RADIO_BUTTON)))
        # The player turns to the main window (the window list, or a click on it): the program brings the
        # dialog forward again, activated anew. Then a plain click on the disabled window.
        e.run(["xdotool", "windowactivate", "--sync", str(wid)])
        e.wait_for("the dialog to come back", lambda: e.active_window() == dialog)
        x, y, _, _ = e.frame_of(wid)
        e.click_at(x + 60, y + 80)
        e.wait_for("the dialog to stay in front", lambda: e.active_window() == dialog)
        self.assertTrue(e.is_checked(e.find(app, "Восток", e.pyatspi.ROLE_RADIO_BUTTON)), "the mark went back")
        e.press("Return")
        e.wait_for("the dialog to go", lambda: dialog not in e.visible_windows(pid=program.pid))
        e.wait_for("the main window to be enabled", lambda: e.is_enabled(e.find(app, "Рассчитать")))
        # East was drawn: his heap takes the point, West's stays as entered.
        self.assertTexts(app, {"Гора игрока Восток": "13", "Гора игрока Запад": "21",
                               "Висты Востока на Юга": "9"})

    def test_confirmDialog_enterAcceptsProposal_correctsAndSettles(self):
        program, _, app = self.open()
        e.click(e.find(app, "На N игроков — 1"))
        e.wait_for("the option to be checked", lambda: e.is_checked(e.find(app, "На N игроков — 1")))
        dialog = self.settle_into_dialog(program, app, UNEVEN_RESIDUES, "Zelvara")
        e.wait_centred_over(dialog, e.visible_windows(e.MAIN_CAPTION, program.pid)[0])
        e.find(app, "списать 1 очко с горы игрока Север.")
        e.screenshot(os.path.join(e.ARTIFACTS, "confirm-of-change.png"), dialog)
        e.press("Return")
        e.wait_for("the dialog to go", lambda: dialog not in e.visible_windows(pid=program.pid))
        e.wait_for("the main window to be enabled", lambda: e.is_enabled(e.find(app, "Рассчитать")))
        self.assertTexts(app, {"Гора игрока Север": "1", "Висты Запада на Севера": "3",
                               "Висты Востока на Севера": "3", "Висты Юга на Севера": "3"})
        self.assertTexts(app, {"Итог игрока Запад": "+23", "Итог игрока Север": "+51",
                               "Итог игрока Восток": "-17", "Итог игрока Юг": "-57"})

    def test_escapeLeavesDialogOpen_cancelFromKeyboardSettlesUnchangedSheet(self):
        cases = {
            # name: (divisibility, sheet, dialog caption, results rounded to hundredths)
            "lot": ("На N игроков", ODD_HEAP, "Выбор игрока",
                    {"Итог игрока Запад": "-88,5", "Итог игрока Север": "+31,5", "Итог игрока Восток": "-46,5",
                     "Итог игрока Юг": "+103,5"}),
            "confirm": ("На N игроков — 1", UNEVEN_RESIDUES, "Zelvara",
                        {"Итог игрока Запад": "+23,33", "Итог игрока Север": "+50", "Итог игрока Восток": "-16,67",
                         "Итог игрока Юг": "-56,67"}),
        }
        for name, (divisibility, sheet, caption, results) in cases.items():
            with self.subTest(name):
                program, _, app = self.open()
                e.click(e.find(app, divisibility))
                e.wait_for("the option to be checked", lambda: e.is_checked(e.find(app, divisibility)))
                dialog = self.settle_into_dialog(program, app, sheet, caption)
                # Escape must not answer for the player: the dialog stays, the main window stays disabled.
                e.press("Escape")
                deadline = time.monotonic() + 0.5
                while time.monotonic() < deadline:
                    self.assertIn(dialog, e.visible_windows(pid=program.pid), "Escape closed the dialog")
                    time.sleep(0.05)
                self.assertFalse(e.is_enabled(e.find(app, "Рассчитать")))
                e.press("Tab")
                e.wait_for("focus on Отмена", lambda: e.is_focused(e.find(app, "Отмена", e.pyatspi.ROLE_PUSH_BUTTON)))
                e.press("space")
                e.wait_for("the dialog to go", lambda: dialog not in e.visible_windows(pid=program.pid))
                e.wait_for("the main window to be enabled", lambda: e.is_enabled(e.find(app, "Рассчитать")))
                self.assertTexts(app, {name: sheet[name] for name in ("Гора игрока Запад", "Гора игрока Север")})
                self.assertTexts(app, results)
                program.kill()

    def test_closeRequestToDialog_neverStrandsDisabledMainWindow(self):
        program, _, app = self.open()
        dialog = self.settle_into_dialog(program, app, ODD_HEAP, "Выбор игрока")
        e.close_by_window_manager(dialog)
        # Either the dialog stays and still takes its answer, or it goes and the main window comes back:
        # watch long enough for the close request to have been handled either way.
        deadline = time.monotonic() + 1.0
        while time.monotonic() < deadline:
            hidden = dialog not in e.visible_windows(pid=program.pid)
            self.assertFalse(hidden and not e.is_enabled(e.find(app, "Рассчитать")),
                             "dialog gone, main window left disabled")
            time.sleep(0.05)
        if dialog in e.visible_windows(pid=program.pid):
            e.run(["xdotool", "windowactivate", "--sync", str(dialog)])
            e.press("Return")
            e.wait_for("the dialog to go", lambda: dialog not in e.visible_windows(pid=program.pid))
        e.wait_for("the main window to be enabled", lambda: e.is_enabled(e.find(app, "Рассчитать")))
        self.assertTrue(program.running())


if __name__ == "__main__":
    e.main()
