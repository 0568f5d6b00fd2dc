#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The club book on a real desktop: the first worked sheet settled, "Записать в журнал…" from the "Пуля"
menu with the mouse, the date and note asked and the sheet recorded; "Журнал…" opens the book's window,
whose record row and standings are read through the accessibility tree as a screen reader reads them.
The book's module is loaded from beside the program on first use, and the book lands in the private
XDG data folder the harness gives."""

import os

import e2elib as e

RESULTS = "Запад -81; Север +29; Восток -49; Юг +101"
# Player, games, total, average, best, worst: one sheet each.
STANDINGS = [["Юг", "1", "+101", "+101", "+101", "+101"], ["Север", "1", "+29", "+29", "+29", "+29"],
             ["Восток", "1", "-49", "-49", "-49", "-49"], ["Запад", "1", "-81", "-81", "-81", "-81"]]
TRANSFERS = ["Запад → Север: 29,00", "Запад → Юг: 52,00", "Восток → Юг: 49,00"]


class BookTest(e.ProgramTestCase):
    def rows(self, app, table_name):
        """The table's cells, row by row, as the accessibility tree gives them."""
        tables = e.find_all(app, table_name, e.pyatspi.ROLE_TABLE)
        if len(tables) != 1:
            return None
        table = tables[0].queryTable()
        rows = []
        for row in range(table.nRows):
            cells = []
            for column in range(table.nColumns):
                cell = table.getAccessibleAt(row, column)
                cells.append(cell.name if cell is not None else None)
            rows.append(cells)
        return rows

    def lines(self, app, name):
        lists = e.find_all(app, name, e.pyatspi.ROLE_LIST)
        if len(lists) != 1:
            return None
        return [n.name for n in e.descendants(lists[0]) if n.getRole() == e.pyatspi.ROLE_LIST_ITEM]

    def menu_item(self, app, name):
        e.click(e.find(app, "Пуля", e.pyatspi.ROLE_MENU_ITEM))
        item = e.find(app, name, e.pyatspi.ROLE_MENU_ITEM)
        e.wait_for(f"'{name}' to be enabled", lambda: e.is_enabled(item))
        e.click(item)

    def test_example1_recordedAndReadBackThroughAccessibilityTree(self):
        program, main, app = e.settle_example_1(self)

        self.menu_item(app, "Записать в журнал…")
        dialog = e.wait_window("Записать в журнал", program.pid)
        self.assertTrue(e.is_dialog_of(dialog, main), "the dialog could hide behind the main window")
        e.fill(e.find(app, "Примечание:", e.pyatspi.ROLE_TEXT), "Пятница")
        e.screenshot(os.path.join(e.ARTIFACTS, "book-record-dialog.png"), dialog)
        e.click(e.find(app, "Записать", e.pyatspi.ROLE_PUSH_BUTTON))
        e.wait_for("the dialog to go", lambda: dialog not in e.visible_windows(pid=program.pid))
        book = os.path.join(os.environ["XDG_DATA_HOME"], "zelvara", "book.sqlite")
        e.wait_for("the book where the player's data lives", lambda: os.path.isfile(book), 5)
        self.assertEqual(os.stat(os.path.dirname(book)).st_mode & 0o777, 0o700)

        self.menu_item(app, "Журнал…")
        window = e.wait_window("Журнал", program.pid)
        self.assertTrue(e.is_enabled(e.find(app, "Рассчитать")), "the main window must stay usable")
        e.wait_for("the record's row", lambda: self.rows(app, "Записи журнала") is not None)
        rows = self.rows(app, "Записи журнала")
        self.assertEqual(len(rows), 1, rows)
        date, results, note = rows[0]
        self.assertRegex(date, r"^\d\d\.\d\d\.\d{4} \d\d:\d\d$")
        self.assertEqual(results, RESULTS)
        self.assertEqual(note, "Пятница")
        e.screenshot(os.path.join(e.ARTIFACTS, "book-records.png"), window)

        e.click(e.find(app, "Итоги", e.pyatspi.ROLE_PAGE_TAB))
        e.wait_for("the standings", lambda: self.rows(app, "Итоги за период") == STANDINGS, 5)
        e.wait_for("the season's transfers", lambda: self.lines(app, "Кто кому платит за период") == TRANSFERS, 5)
        e.screenshot(os.path.join(e.ARTIFACTS, "book-standings.png"), window)
        e.click(e.find(app, "График", e.pyatspi.ROLE_PAGE_TAB))
        e.screenshot(os.path.join(e.ARTIFACTS, "book-chart.png"), window)

        # The book's window never keeps the program running once the main window is closed.
        e.close_by_window_manager(main)
        self.assertEqual(program.wait_exit(), 0)


if __name__ == "__main__":
    e.main()
