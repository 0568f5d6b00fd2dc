#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Takes the screenshot the AppStream metainfo shows: the real window on the private desktop of the
end-to-end harness, with the first example sheet settled. Run it again when the window changes:

    tests/e2e/harness -- /usr/bin/python3 docs/screenshots/take.py --program build/release/app/zelvara
"""

import os
import shutil
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
import e2elib as e  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))

# examples/example1.json, typed as a player would.
FIELDS = [("Пуля игрока Запад", "10"), ("Пуля игрока Север", "8"), ("Пуля игрока Восток", "6"),
          ("Пуля игрока Юг", "10"), ("Гора игрока Запад", "20"), ("Гора игрока Север", "4"),
          ("Гора игрока Восток", "12"), ("Гора игрока Юг", "0"), ("Висты Запада на Севера", "20"),
          ("Висты Севера на Запада", "4"), ("Висты Востока на Юга", "6"), ("Висты Юга на Запада", "2")]


class Screenshot(e.ProgramTestCase):
    def test_settledSheet(self):
        program = self.start(e.private_program_folder(self.binary))
        wid = e.wait_window(e.MAIN_CAPTION, program.pid)
        app = e.application(program.pid)
        for name, text in FIELDS:
            e.fill(e.find(app, name), text)
        e.click(e.find(app, "Рассчитать", e.pyatspi.ROLE_PUSH_BUTTON))
        result = e.find(app, "Итог игрока Запад")
        e.wait_for("the results", lambda: e.text_of(result) == "-81")
        shot = e.screenshot(os.path.join(os.environ["ZELVARA_E2E_TMP"], "main-window.png"), wid)
        shutil.copyfile(shot, os.path.join(HERE, "main-window.png"))


if __name__ == "__main__":
    e.main()
