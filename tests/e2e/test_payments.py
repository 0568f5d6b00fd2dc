#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Who pays whom on a real desktop: the first worked sheet settled, "Кто кому платит…" opened from the
"Пуля" menu with the mouse, the window over the sheet and clear of the options and buttons, both views
read line by line through the accessibility tree as a screen reader reads them, Escape closing the
window with the main window still usable, and an open window that does not keep the program running
once the main window is closed."""

import os

import e2elib as e

CAPTION = "Кто кому платит"
PAIRS = ["Запад платит Северу 19,00", "Запад платит Востоку 10,00", "Запад платит Югу 52,00",
         "Восток платит Северу 25,00", "Север платит Югу 15,00", "Восток платит Югу 34,00"]
TRANSFERS = ["Запад платит Северу 29,00", "Запад платит Югу 52,00", "Восток платит Югу 49,00"]


class PaymentsTest(e.ProgramTestCase):
    def lines(self, app, view):
        """The lines of the list a screen reader announces by the view's name."""
        lists = e.find_all(app, view, e.pyatspi.ROLE_LIST)
        if len(lists) != 1:
            return None
        items = [node for node in e.descendants(lists[0]) if node.getRole() == e.pyatspi.ROLE_LIST_ITEM]
        return [item.name for item in items]

    def assertLines(self, app, view, expected):
        try:
            e.wait_for(f"the lines of '{view}'", lambda: self.lines(app, view) == expected, 5)
        except e.Timeout:
            self.assertEqual(self.lines(app, view), expected)

    def assertClearOfTheColumn(self, window, main):
        """The 1024-pixel screen has no room beside the main window: the view lies over the sheet, its top
        level with the main window's, and leaves the options and buttons (from 377 pixels into the main
        window's inner area) in view."""
        e.wait_for("both frames", lambda: e.frame_of(window) is not None and e.frame_of(main) is not None, 5)
        x, y, w, _ = e.frame_of(window)
        column = int(e.window_info(main)["Absolute upper-left X"]) + 377
        self.assertLessEqual(x + w, column, "the view covers the options and buttons")
        self.assertGreaterEqual(x, 0)
        self.assertEqual(y, e.frame_of(main)[1], "the tops are not aligned")

    def test_example1_paymentsReadThroughAccessibilityTree(self):
        program, main, app = e.settle_example_1(self)

        e.click(e.find(app, "Пуля", e.pyatspi.ROLE_MENU_ITEM))
        item = e.find(app, "Кто кому платит…", e.pyatspi.ROLE_MENU_ITEM)
        e.wait_for("the item to be enabled", lambda: e.is_enabled(item))
        e.click(item)
        window = e.wait_window(CAPTION, program.pid)
        self.assertTrue(e.is_dialog_of(window, main), "the window could hide behind the main window")
        self.assertClearOfTheColumn(window, main)
        self.assertTrue(e.is_enabled(e.find(app, "Рассчитать")), "the main window must stay usable")

        self.assertLines(app, "По парам", PAIRS)
        e.screenshot(os.path.join(e.ARTIFACTS, "payments.png"), window)
        e.click(e.find(app, "Наименьшим числом переводов", e.pyatspi.ROLE_PAGE_TAB))
        self.assertLines(app, "Наименьшим числом переводов", TRANSFERS)

        e.wait_for("the window to take the keyboard", lambda: e.active_window() == window)
        e.press("Escape")
        e.wait_for("the window to go", lambda: window not in e.visible_windows(pid=program.pid))
        self.assertTrue(e.is_enabled(e.find(app, "Рассчитать")))
        self.assertTrue(program.running())

        # An open view never keeps the program alive once the main window is closed.
        e.click(e.find(app, "Пуля", e.pyatspi.ROLE_MENU_ITEM))
        e.click(e.find(app, "Кто кому платит…", e.pyatspi.ROLE_MENU_ITEM))
        e.wait_window(CAPTION, program.pid)
        e.close_by_window_manager(main)
        self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    e.main()
