#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""One copy per player and display: a second start hands over to the running copy and ends; starts that
race each other end with one window; a copy that died without cleaning up does not block the next; a
flood of later starts with files that cannot be read gets one message box at a time."""

import os
import signal
import subprocess

import e2elib as e


class SingleCopyTest(e.ProgramTestCase):
    def setUp(self):
        super().setUp()
        self.binary_copy = e.private_program_folder(self.binary)
        self.folder = os.path.dirname(self.binary_copy)

    def first_copy(self):
        program = self.start(self.binary_copy)
        return program, e.wait_window(e.MAIN_CAPTION, program.pid)

    def main_windows(self):
        return e.visible_windows(e.MAIN_CAPTION)

    def test_secondStart_bringsMinimisedCopyBackAndEnds(self):
        first, wid = self.first_copy()
        app = e.application(first.pid)
        heap = e.find(app, "Гора игрока 1")
        e.fill(heap, "17")
        e.minimise(wid)

        second = self.start(self.binary_copy)
        self.assertEqual(second.wait_exit(), 0, second.output())
        e.wait_for("the first copy to be back and active",
                   lambda: e.is_normal(wid) and e.active_window() == wid)
        self.assertEqual(self.main_windows(), [wid])
        self.assertEqual(e.text_of(heap), "17", "the first copy's sheet changed")
        self.assertFalse(os.path.exists(os.path.join(self.folder, "SETTINGS.INI")),
                         "a handing-over copy must not write the settings")
        self.assertTrue(first.running())

    def test_secondStartWithFile_bringsCopyBackAndEnds(self):
        first, wid = self.first_copy()
        e.minimise(wid)
        # A sheet that opens without a word, so that no message box takes the keyboard from the window.
        with open(os.path.join(self.folder, "пуля.zelvara"), "w", encoding="utf-8") as f:
            f.write('{"players": 4, "gameType": "Sochi", "heapDivisibility": "OnNPlayers"}')
        second = subprocess.run([self.binary_copy, "пуля.zelvara"], cwd=self.folder, capture_output=True,
                                timeout=20, check=False)
        self.assertEqual(second.returncode, 0, second.stderr)
        e.wait_for("the first copy to be back and active",
                   lambda: e.is_normal(wid) and e.active_window() == wid)
        self.assertEqual(self.main_windows(), [wid])
        self.assertTrue(first.running())

    def test_simultaneousStarts_endWithOneWindow(self):
        for round_ in range(4):
            with self.subTest(round=round_):
                pair = [self.start(self.binary_copy), self.start(self.binary_copy)]
                e.wait_for("one of the two to hand over and end", lambda: sum(p.running() for p in pair) == 1, 15)
                survivor = next(p for p in pair if p.running())
                quitter = next(p for p in pair if not p.running())
                self.assertEqual(quitter.wait_exit(), 0, quitter.output())
                wid = e.wait_window(e.MAIN_CAPTION, survivor.pid)
                self.assertEqual(self.main_windows(), [wid])
                e.close_by_window_manager(wid)
                self.assertEqual(survivor.wait_exit(), 0, survivor.output())

    def test_laterStartsFlood_oneBoxAtATimeAndCopyRunsOn(self):
        first, wid = self.first_copy()
        app = e.application(first.pid)
        missing = [os.path.join(self.folder, f"нет такой {i}.zelvara") for i in range(20)]
        later = [self.start(self.binary_copy, args=[path]) for path in missing]
        for program in later:
            self.assertEqual(program.wait_exit(30), 0, program.output())

        expected = {f"Не удалось прочитать файл «{path}»." for path in missing}
        seen = []
        for _ in missing:
            box = e.wait_window("Zelvara", first.pid)
            self.assertEqual(e.visible_windows("Zelvara", first.pid), [box], "more than one box at a time")
            texts = e.wait_for("the message of the box", lambda: [
                label.name for label in e.find_all(app, role=e.pyatspi.ROLE_LABEL) if label.name in expected])
            self.assertEqual(len(texts), 1, texts)
            seen += texts
            e.close_by_window_manager(box)
            e.wait_for("the box to go", lambda: box not in e.visible_windows(pid=first.pid))
        self.assertEqual(sorted(seen), sorted(expected), "each file once")

        # A readable sheet handed over last opens after all of them, with no box left behind.
        sheet = os.path.join(self.folder, "пуля.zelvara")
        with open(sheet, "w", encoding="utf-8") as f:
            f.write('{"players": 3, "gameType": "Sochi", "heapDivisibility": "OnNPlayers"}')
        self.assertEqual(self.start(self.binary_copy, args=[sheet]).wait_exit(30), 0)
        e.wait_for("the sheet of the file", lambda: e.is_checked(e.find(app, "3", e.pyatspi.ROLE_RADIO_BUTTON)))
        self.assertEqual(e.visible_windows("Zelvara", first.pid), [])
        self.assertTrue(first.running())
        self.assertEqual(self.main_windows(), [wid])

    def test_killedCopy_doesNotBlockTheNextStart(self):
        crashed, _ = self.first_copy()
        crashed.kill(signal.SIGKILL)

        heir, wid = self.first_copy()
        self.assertTrue(heir.running(), "the next start must not take the dead copy for a running one")
        # The new copy answers the next start in its turn, so the channel was really taken over.
        e.minimise(wid)
        third = self.start(self.binary_copy)
        self.assertEqual(third.wait_exit(), 0, third.output())
        e.wait_for("the new copy to be back and active", lambda: e.is_normal(wid) and e.active_window() == wid)
        self.assertEqual(self.main_windows(), [wid])


if __name__ == "__main__":
    e.main()
