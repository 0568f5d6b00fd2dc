#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The report on a real desktop: the first worked sheet settled, its picture saved through the toolkit's
own file dialog, then printed from the "Пуля" menu through Qt's print preview and print dialog to
"Печать в файл (PDF)", and the PDF read back with poppler's pdftotext. Printing is a module of its own:
the program has not loaded Qt Print Support until the first "Печать…"."""

import datetime
import os
import shutil
import struct
import subprocess

import e2elib as e

TRANSFERS = ["Запад платит Северу 29,00", "Запад платит Югу 52,00", "Восток платит Югу 49,00"]


def choose_from_menu(app, menu, item):
    e.click(e.find(app, menu, e.pyatspi.ROLE_MENU_ITEM))
    entry = e.find(app, item, e.pyatspi.ROLE_MENU_ITEM)
    e.wait_for(f"'{item}' to be enabled", lambda: e.is_enabled(entry))
    e.click(entry)


def loaded(pid, library):
    with open(f"/proc/{pid}/maps", encoding="utf-8", errors="replace") as maps:
        return library in maps.read()


def png_size(path):
    with open(path, "rb") as f:
        header = f.read(24)
    return struct.unpack(">II", header[16:24]) if header.startswith(b"\x89PNG") else None


def pdf_text(path):
    done = subprocess.run(["pdftotext", "-enc", "UTF-8", path, "-"], capture_output=True, text=True, check=False)
    return done.stdout if done.returncode == 0 else ""


class ReportTest(e.ProgramTestCase):
    def test_example1_pictureAndPrintToPdfFile(self):
        program, main, app = e.settle_example_1(self)
        tmp = os.environ["ZELVARA_E2E_TMP"]
        day = f"{datetime.date.today():%Y-%m-%d}"

        # The picture, through the file dialog, under the name it proposes in the home folder (this
        # desktop has no Pictures folder).
        choose_from_menu(app, "Пуля", "Сохранить картинку…")
        dialog = e.wait_window("Сохранить картинку", program.pid)
        e.wait_for("the file dialog to take the keyboard", lambda: e.active_window() == dialog)
        e.press("Return")
        picture = os.path.join(os.environ["HOME"], f"Пуля {day}.png")
        e.wait_for("the picture to be written", lambda: os.path.exists(picture) and png_size(picture))
        width, height = png_size(picture)
        self.assertGreater(width, 2 * 600, "the picture is not at twice the report's size")
        self.assertGreater(width, height)
        if e.ARTIFACTS:
            os.makedirs(e.ARTIFACTS, exist_ok=True)
            shutil.copyfile(picture, os.path.join(e.ARTIFACTS, "report-example1.png"))

        # Printing loads its module on first use, and only then.
        self.assertFalse(loaded(program.pid, "libQt6PrintSupport"), "printing was loaded at start")
        choose_from_menu(app, "Пуля", "Печать…")
        preview = e.wait_window(f"Просмотр печати: Пуля {day}", program.pid)
        self.assertTrue(loaded(program.pid, "libzelvara_print.so"))
        self.assertTrue(e.is_dialog_of(preview, main))
        preview_node = e.find(app, f"Просмотр печати: Пуля {day}", e.pyatspi.ROLE_DIALOG)
        e.click(e.find(preview_node, "Печать", e.pyatspi.ROLE_PUSH_BUTTON))

        printer = e.wait_window("Печать", program.pid)
        printer_node = e.find(app, "Печать", e.pyatspi.ROLE_DIALOG)
        e.click(e.find(printer_node, None, e.pyatspi.ROLE_COMBO_BOX))
        e.click(e.find(app, "Печать в файл (PDF)", e.pyatspi.ROLE_LIST_ITEM))
        e.wait_for("the PDF printer", lambda: e.find(printer_node, "Печать в файл (PDF)", e.pyatspi.ROLE_COMBO_BOX))
        output = os.path.join(tmp, "report.pdf")
        e.fill(e.find(printer_node, "Вывод в файл:", e.pyatspi.ROLE_TEXT), output)
        e.screenshot(os.path.join(e.ARTIFACTS, "print-dialog.png"))
        e.click(e.find(printer_node, "Печать", e.pyatspi.ROLE_PUSH_BUTTON))

        e.wait_for("the preview to close", lambda: preview not in e.visible_windows(pid=program.pid))
        self.assertNotIn(printer, e.visible_windows(pid=program.pid))
        text = e.wait_for("the PDF to be written", lambda: os.path.exists(output) and pdf_text(output), 15)
        for part in ["Сочи / Ростов; 4 игрока; гора делится на 4 игроков; цена виста 1", "Запад", "Север", "Восток",
                     "Юг", *e.EXAMPLE_1_RESULTS.values(), *TRANSFERS]:
            self.assertIn(part, text)
        if e.ARTIFACTS:
            shutil.copyfile(output, os.path.join(e.ARTIFACTS, "report-example1.pdf"))

        self.assertTrue(e.is_enabled(e.find(app, "Рассчитать")))
        e.close_by_window_manager(main)
        self.assertEqual(program.wait_exit(), 0, program.output())


if __name__ == "__main__":
    e.main()
