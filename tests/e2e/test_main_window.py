#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The main window on a real desktop: how it is mapped, a worked sheet typed in by keyboard and settled
with the mouse, and a refused sheet answered from the keyboard."""

import os

import e2elib as e

NAVY = (0, 0, 128)
RED = (255, 0, 0)

class MainWindowTest(e.ProgramTestCase):
    def open(self):
        program = self.start(e.private_program_folder(self.binary, e.SEAT_NAMES))
        wid = e.wait_window(e.MAIN_CAPTION, program.pid)
        return program, wid, e.application(program.pid)

    def test_start_mapsFixedCentredWindowWithCaption(self):
        _, wid, app = self.open()
        self.assertEqual(e.caption_of(wid), e.MAIN_CAPTION)
        menu_bar = e.find_all(app, role=e.pyatspi.ROLE_MENU_BAR)
        self.assertEqual(len(menu_bar), 1)
        menu_height = e.extents_of(menu_bar[0])[3]
        self.assertGreater(menu_height, 0)
        self.assertEqual(e.size_of(wid), (e.CLIENT_WIDTH, e.CLIENT_HEIGHT + menu_height))
        minimum, maximum = e.size_hints(wid)
        self.assertEqual(minimum, maximum, "the window must not be resizable")
        e.wait_for("the main window to be active", lambda: e.active_window() == wid)
        # The frame, title bar included, sits in the middle of the 1024 x 768 desktop.
        def offset():
            centre = e.frame_centre(wid)
            return centre and (centre[0] - 511.5, centre[1] - 383.5)

        e.wait_for(f"the frame centred on the desktop (offset {offset()})",
                   lambda: offset() and abs(offset()[0]) <= 1.5 and abs(offset()[1]) <= 1.5, 5)

    def test_example1_typedAndSettled_showsResultsInTheirColours(self):
        _, wid, app = self.open()
        for name, text in e.EXAMPLE_1.items():
            e.fill(e.find(app, name), text)
        e.click(e.find(app, "Рассчитать"))
        shown = {}
        for name in e.EXAMPLE_1_RESULTS:
            field = e.find(app, name)
            shown[name] = e.text_of(field)
        self.assertEqual(shown, e.EXAMPLE_1_RESULTS)
        self.assertTrue(e.is_enabled(e.find(app, "Скрыть итоги")))

        e.screenshot(os.path.join(e.ARTIFACTS, "main-window.png"), wid)
        for name, text in e.EXAMPLE_1_RESULTS.items():
            with self.subTest(name):
                pixels = e.pixels_in(e.extents_of(e.find(app, name)))
                red, navy = e.count_colour(pixels, RED), e.count_colour(pixels, NAVY)
                if text.startswith("-"):
                    self.assertGreater(red, 20)
                    self.assertEqual(navy, 0)
                else:
                    self.assertGreater(navy, 20)
                    self.assertEqual(red, 0)

    def test_refusedSheet_showsMessageBoxThatEnterDismisses(self):
        program, wid, app = self.open()
        # Under a Russian locale a whist value of three decimals is no money amount.
        e.fill(e.find(app, "Цена виста"), "0,125")
        e.fill(e.find(app, "Гора игрока Запад"), "7")
        e.click(e.find(app, "Рассчитать"))
        box = e.wait_window("Zelvara", program.pid)
        self.assertTrue(e.is_dialog_of(box, wid), "the message box could hide behind the main window")
        self.assertIn("_NET_WM_STATE_MODAL", e.window_property(box, "_NET_WM_STATE"))
        message = 'В поле "Вист" допустимы только значения, которые может принимать денежная единица!'
        e.find(app, message)
        buttons = [b.name for b in e.find_all(app, role=e.pyatspi.ROLE_PUSH_BUTTON)
                   if b.name not in ("Рассчитать", "Скрыть итоги", "Новый расчет", "О программе")]
        self.assertEqual(buttons, ["OK"])
        e.wait_for("the message box to take the keyboard", lambda: e.active_window() == box)
        e.press("Return")
        e.wait_for("the message box to go", lambda: box not in e.visible_windows(pid=program.pid))
        e.wait_for("the main window to be active again", lambda: e.active_window() == wid)
        self.assertEqual(e.text_of(e.find(app, "Гора игрока Запад")), "7")
        self.assertEqual(e.find_all(app, "Итог игрока Запад"), [], "no result may be shown")
        self.assertTrue(program.running())


if __name__ == "__main__":
    e.main()
