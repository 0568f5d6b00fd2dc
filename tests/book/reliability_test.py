#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""zelvara-book against the file system: writers killed at any moment leave whole records or none, two
writers at once both succeed, files that are no book are refused by name and left byte for byte, a
read-only book is listed while recording says why it cannot, the book's folder is made 0700 and a link
that another user owns is refused.

    reliability_test.py PROGRAM EXAMPLES_FOLDER"""

import os
import random
import shutil
import signal
import sqlite3
import stat
import subprocess
import sys
import tempfile
import time
import unittest

PROGRAM = os.path.abspath(sys.argv[1])
EXAMPLES = os.path.abspath(sys.argv[2])
SHEETS = [os.path.join(EXAMPLES, name) for name in ("example1.json", "example3_leningrad.json",
                                                      "example2_lot_dialog_answered.json")]
# As root, permission bits do not stop a writer: drop the two capabilities that let root write through
# them, so that the program meets a read-only book as a player does.
NO_OVERRIDE = (["setpriv", "--bounding-set=-dac_override,-dac_read_search"] if os.geteuid() == 0 else [])


def environment(**extra):
    env = {key: value for key, value in os.environ.items() if not key.startswith(("LC_", "XDG_"))}
    env.update({"LC_ALL": "C", "TZ": "UTC"}, **extra)
    return env


def book_run(book, *args, prefix=(), env=None):
    return subprocess.run([*prefix, PROGRAM, "--book", book, *args], capture_output=True, text=True,
                          env=env or environment(), check=False)


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class ReliabilityTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="zelvara-book-")
        self.book = os.path.join(self.dir, "book.sqlite")

    def tearDown(self):
        for root, folders, _ in os.walk(self.dir):
            for folder in folders:
                os.chmod(os.path.join(root, folder), stat.S_IRWXU)
        os.chmod(self.dir, stat.S_IRWXU)
        shutil.rmtree(self.dir)

    def add(self, *files, book=None):
        return book_run(book or self.book, "add", "--date", "2026-12-08T21:40:00+03:00", *files)

    def assert_whole(self, book):
        """integrity_check says ok, and every record holds all its players and adds up to zero."""
        with sqlite3.connect(f"file:{book}?mode=ro", uri=True) as db:
            self.assertEqual(db.execute("PRAGMA integrity_check").fetchall(), [("ok",)])
            rows = db.execute("SELECT records.id, count(results.seat), total(results.hundredths) FROM records "
                              "LEFT JOIN results ON results.record = records.id GROUP BY records.id").fetchall()
            for record, players, total in rows:
                self.assertIn(players, (3, 4), f"record {record} is not whole")
                self.assertEqual(total, 0, f"record {record} does not add up to zero")
            return len(rows)

    def test_writerKilledAtAnyMoment_leavesWholeRecordsOrNone(self):
        batch = SHEETS * 4
        spans = []
        for _ in range(3):
            start = time.monotonic()
            self.assertEqual(self.add(*batch).returncode, 0)
            spans.append(time.monotonic() - start)
        span = sorted(spans)[1]
        random.seed(20261208)
        killed = 0
        for run in range(200):
            process = subprocess.Popen([PROGRAM, "--book", self.book, "add", "--date", "2026-12-08T21:40:00+03:00",
                                        *batch], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                       env=environment())
            time.sleep(random.uniform(0, span))
            if process.poll() is None:
                process.send_signal(signal.SIGKILL)
                killed += 1
            process.wait()
            if run % 40 == 39:
                self.assertEqual(book_run(self.book, "check").stdout, "ok\n")
        self.assertGreater(killed, 60, "the kills should mostly land while the writer runs")
        records = self.assert_whole(self.book)
        self.assertGreater(records, len(batch))
        standings = book_run(self.book, "standings")
        self.assertEqual(standings.returncode, 0, standings.stderr)

    def test_twoWritersAtOnce_bothSucceed(self):
        self.assertEqual(self.add(SHEETS[0]).returncode, 0)
        batch = SHEETS * 10
        writers = [subprocess.Popen([PROGRAM, "--book", self.book, "add", "--date", "2026-12-08T21:40:00Z", *batch],
                                    stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=environment())
                   for _ in range(2)]
        for writer in writers:
            out, err = writer.communicate(timeout=60)
            self.assertEqual(writer.returncode, 0, err + out)
            self.assertEqual(out.count('"id":'), len(batch))
        self.assertEqual(self.assert_whole(self.book), 1 + 2 * len(batch))

    def test_filesThatAreNoBook_refusedByNameAndLeftAlone(self):
        notes = os.path.join(self.dir, "notes.txt")
        with open(notes, "w", encoding="utf-8") as f:
            f.write("Запад -81, Север +29\n" * 200)
        newer = os.path.join(self.dir, "newer.sqlite")
        with sqlite3.connect(newer) as db:
            db.execute("CREATE TABLE later (x)")
            db.execute("PRAGMA user_version = 99")
        db.close()
        damaged = os.path.join(self.dir, "damaged.sqlite")
        self.assertEqual(self.add(SHEETS[0], book=damaged).returncode, 0)
        with open(damaged, "r+b") as f:
            f.seek(100)
            f.write(b"\x5a" * 400)
        for path in (notes, newer, damaged):
            before = read_bytes(path)
            for args in (["add", SHEETS[0]], ["list"], ["standings"], ["payments"], ["check"]):
                result = book_run(path, *args)
                self.assertEqual(result.returncode, 3, f"{path} {args}: {result.stdout}{result.stderr}")
                self.assertIn(f'"{path}"', result.stderr)
                self.assertEqual(result.stdout, "")
            self.assertEqual(read_bytes(path), before, f"{path} was changed")
            self.assertFalse(os.path.exists(path + "-wal"))

    def test_readOnlyBook_listsAndRefusesToRecord(self):
        # The file and its folder read-only, or only the folder: then SQLite has nowhere for its files.
        for name, file_mode in (("read-only", stat.S_IRUSR), ("in-read-only-folder", stat.S_IRUSR | stat.S_IWUSR)):
            folder = os.path.join(self.dir, name)
            os.mkdir(folder)
            book = os.path.join(folder, "book.sqlite")
            self.assertEqual(self.add(SHEETS[0], book=book).returncode, 0)
            listed = book_run(book, "list").stdout
            os.chmod(book, file_mode)
            os.chmod(folder, stat.S_IRUSR | stat.S_IXUSR)
            before = read_bytes(book)
            for command in ("list", "standings", "payments", "check"):
                result = book_run(book, command, prefix=NO_OVERRIDE)
                self.assertEqual(result.returncode, 0, f"{name} {command}: {result.stderr}")
            self.assertEqual(book_run(book, "list", prefix=NO_OVERRIDE).stdout, listed)
            result = book_run(book, "add", "--date", "2026-12-09", SHEETS[1], prefix=NO_OVERRIDE)
            self.assertEqual(result.returncode, 4, f"{name}: {result.stderr}")
            self.assertIn("read-only", result.stdout)
            self.assertEqual(read_bytes(book), before)
            self.assertEqual(sorted(os.listdir(folder)), ["book.sqlite"])

    def test_folderMadePrivate_foreignLinkRefused(self):
        data = os.path.join(self.dir, "data")
        result = subprocess.run([PROGRAM, "add", "--date", "2026-12-08", SHEETS[0]], capture_output=True, text=True,
                                env=environment(XDG_DATA_HOME=data, HOME=os.path.join(self.dir, "home")), check=False)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(stat.S_IMODE(os.stat(os.path.join(data, "zelvara")).st_mode), 0o700)
        self.assertTrue(os.path.isfile(os.path.join(data, "zelvara", "book.sqlite")))
        # A relative XDG_DATA_HOME is ignored: the book goes under HOME.
        home = os.path.join(self.dir, "home")
        result = subprocess.run([PROGRAM, "add", "--date", "2026-12-08", SHEETS[0]], capture_output=True, text=True,
                                env=environment(XDG_DATA_HOME="relative", HOME=home), check=False)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertTrue(os.path.isfile(os.path.join(home, ".local", "share", "zelvara", "book.sqlite")))

        if os.geteuid() != 0:
            self.skipTest("only root can give a link to another user")
        target = os.path.join(self.dir, "target.sqlite")
        self.assertEqual(self.add(SHEETS[0], book=target).returncode, 0)
        before = read_bytes(target)
        link = os.path.join(self.dir, "link.sqlite")
        os.symlink(target, link)
        os.lchown(link, 65534, 65534)
        result = self.add(SHEETS[1], book=link)
        self.assertEqual(result.returncode, 3, result.stdout)
        self.assertIn("belongs to another user", result.stderr)
        self.assertEqual(read_bytes(target), before)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
