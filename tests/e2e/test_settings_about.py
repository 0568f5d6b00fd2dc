#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Settings that survive a real restart, whichever way the program is ended; the About window opened from
the menu and the button and closed by the title-bar close box; the rules document from the Info menu."""

import os
import stat

import e2elib as e


def choose_from_menu(app, menu, item):
    e.click(e.find(app, menu, e.pyatspi.ROLE_MENU_ITEM))
    e.click(e.find(app, item, e.pyatspi.ROLE_MENU_ITEM))


def read_settings(path):
    with open(path, encoding="utf-8") as f:
        return dict(line.strip().split("=", 1) for line in f if "=" in line)


class SettingsTest(e.ProgramTestCase):
    def start_copy(self, binary):
        program = self.start(binary)
        wid = e.wait_window(e.MAIN_CAPTION, program.pid)
        return program, wid, e.application(program.pid)

    def test_choices_surviveRestarts_byCloseBoxAndByExit(self):
        binary = e.private_program_folder(self.binary)
        settings = os.path.join(os.path.dirname(binary), "SETTINGS.INI")

        program, wid, app = self.start_copy(binary)
        # A first start asks for the names: every name field is empty.
        self.assertEqual([e.text_of(e.find(app, f"Имя игрока {i}")) for i in range(1, 5)], [""] * 4)
        e.click(e.find(app, "3", e.pyatspi.ROLE_RADIO_BUTTON))
        e.click(e.find(app, "Ленинград", e.pyatspi.ROLE_RADIO_BUTTON))
        e.fill(e.find(app, "Имя игрока 1"), "Петя")
        e.fill(e.find(app, "Цена виста"), "0,5")
        e.screenshot(os.path.join(e.ARTIFACTS, "main-window-3-players.png"), wid)
        e.close_by_window_manager(wid)
        self.assertEqual(program.wait_exit(), 0, program.output())
        written = read_settings(settings)
        self.assertEqual({k: written.get(k) for k in ("PlayersNumber", "GameType", "ValueOfWhistFor3",
                                                       "NameOfP1For3", "NameOfP1For4")},
                         {"PlayersNumber": "3", "GameType": "2", "ValueOfWhistFor3": "0,5",
                          "NameOfP1For3": "Петя", "NameOfP1For4": ""})

        for ending in ("menu", "close box"):
            with self.subTest(restart_after=ending):
                program, wid, app = self.start_copy(binary)
                self.assertTrue(e.is_checked(e.find(app, "3", e.pyatspi.ROLE_RADIO_BUTTON)))
                self.assertTrue(e.is_checked(e.find(app, "Ленинград", e.pyatspi.ROLE_RADIO_BUTTON)))
                self.assertEqual(e.text_of(e.find(app, "Имя игрока 1")), "Петя")
                self.assertEqual(e.text_of(e.find(app, "Цена виста")), "0,5")
                # The accessible names follow the restored name.
                e.find(app, "Гора игрока Петя")
                if ending == "menu":
                    choose_from_menu(app, "Файл", "Выход")
                else:
                    e.close_by_window_manager(wid)
                self.assertEqual(program.wait_exit(), 0, program.output())


class AboutTest(e.ProgramTestCase):
    def test_aboutWindow_opensFromButtonAndMenu_everyCloseEnablesMainWindow(self):
        program = self.start(e.private_program_folder(self.binary))
        main = e.wait_window(e.MAIN_CAPTION, program.pid)
        app = e.application(program.pid)
        calculate = e.find(app, "Рассчитать")
        openers = {"button": lambda: e.click(e.find(app, "О программе", e.pyatspi.ROLE_PUSH_BUTTON)),
                   "menu": lambda: choose_from_menu(app, "Инфо", "О программе...")}
        closers = {"close box": e.close_by_window_manager,
                   "Закрыть": lambda _wid: e.click(e.find(app, "Закрыть", e.pyatspi.ROLE_PUSH_BUTTON))}
        last_place = None
        for opener_name, opener in openers.items():
            for closer_name, closer in closers.items():
                with self.subTest(opened_by=opener_name, closed_by=closer_name):
                    opener()
                    about = e.wait_window("О программе", program.pid)
                    self.assertEqual(len(e.visible_windows("О программе")), 1)
                    place = e.centre_of_window(about)
                    if last_place is None:
                        # The frames, title bars included, share their centre.
                        e.wait_centred_over(about, main)
                        place = e.centre_of_window(about)
                        # Moved by the player, it must come back where it was left.
                        e.run(["xdotool", "windowmove", "--sync", str(about), "40", "50"])
                        place = e.wait_for("the move", lambda: e.centre_of_window(about) != place and
                                           e.centre_of_window(about))
                    else:
                        self.assertEqual(place, last_place, "the About window must reappear where it was")
                    last_place = place
                    e.find(app, "Zelvara " + os.environ["ZELVARA_VERSION"])
                    e.wait_for("the main window to be disabled", lambda: not e.is_enabled(calculate))
                    closer(about)
                    e.wait_for("the About window to go", lambda: about not in e.visible_windows(pid=program.pid))
                    e.wait_for("the main window to be enabled", lambda: e.is_enabled(calculate))
                    e.wait_for("the main window to be active", lambda: e.active_window() == main)
        self.assertTrue(program.running())


class RulesDocumentTest(e.ProgramTestCase):
    def test_missingDocument_beepsAndSaysSo(self):
        binary = e.private_program_folder(self.binary)
        document = os.path.join(os.path.dirname(binary), "Preference_rules.docx")
        if os.path.exists(document):
            os.remove(document)
        program = self.start(binary)
        main = e.wait_window(e.MAIN_CAPTION, program.pid)
        app = e.application(program.pid)
        choose_from_menu(app, "Инфо", "Правила преферанса")
        box = e.wait_window("Zelvara", program.pid)
        e.find(app, "Файл Preference_rules.docx отсутствует в папке программы!")
        e.wait_for("the message box to take the keyboard", lambda: e.active_window() == box)
        e.press("Return")
        e.wait_for("the message box to go", lambda: box not in e.visible_windows(pid=program.pid))
        e.wait_for("the main window to be active", lambda: e.active_window() == main)

    def test_presentDocument_goesToTheDesktopOpener(self):
        binary = e.private_program_folder(self.binary)
        folder = os.path.dirname(binary)
        document = os.path.join(folder, "Preference_rules.docx")
        if not os.path.exists(document):
            with open(document, "wb") as f:
                f.write(b"PK\x05\x06" + bytes(18))  # an empty zip archive stands in for the document
        # A stand-in for the desktop's opener records what it was asked to open.
        tools = os.path.join(os.environ["ZELVARA_E2E_TMP"], "opener")
        os.makedirs(tools, exist_ok=True)
        record = os.path.join(tools, "opened")
        opener = os.path.join(tools, "xdg-open")
        with open(opener, "w", encoding="utf-8") as f:
            f.write(f'#!/bin/sh\nprintf "%s\\n" "$@" >> "{record}"\n')
        os.chmod(opener, stat.S_IRWXU)
        os.environ["PATH"] = tools + os.pathsep + os.environ["PATH"]

        program = self.start(binary)
        e.wait_window(e.MAIN_CAPTION, program.pid)
        app = e.application(program.pid)
        choose_from_menu(app, "Инфо", "Правила преферанса")
        def recorded():
            if not os.path.exists(record):
                return ""
            with open(record, encoding="utf-8") as f:
                return f.read()

        opened = e.wait_for("the opener to be called", recorded)
        self.assertIn(document, opened.replace("file://", ""))
        self.assertEqual(e.visible_windows("Zelvara", program.pid), [], "no message with the document there")


if __name__ == "__main__":
    e.main()
