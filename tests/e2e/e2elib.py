# SPDX-License-Identifier: GPL-3.0-or-later
"""What the end-to-end tests share: starting a program, watching its windows through the X server and the
window manager, finding controls by their accessible names, and typing and clicking as a player does.

The tests run inside tests/e2e/harness, which provides DISPLAY, a session bus with an accessibility bus,
and a private temporary folder in ZELVARA_E2E_TMP. Nothing here sleeps for a fixed time to let something
happen: every wait polls for the effect until a deadline.
"""

import os
import resource
import shutil
import signal
import subprocess
import tempfile
import time
import unittest
import warnings

import pyatspi

MAIN_CAPTION = "Zelvara - программа для расчета пули в преферансе"
CLIENT_WIDTH = 511
CLIENT_HEIGHT = 473
POLL = 0.01


class Timeout(AssertionError):
    pass


def wait_for(what, probe, timeout=10.0):
    """Polls probe() until it returns something truthy and returns that; fails the test after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout(f"gave up waiting for {what} after {timeout} s")
        time.sleep(POLL)


def run(cmd):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, check=False).stdout


# ---- program folders and processes


# A settings file that names every seat as the sheet's design does, for tests that settle a sheet: a first
# start leaves the names empty.
SEAT_NAMES = ("[Zelvara]\n"
              "NameOfP1For4=Запад\nNameOfP2For4=Север\nNameOfP3For4=Восток\nNameOfP4For4=Юг\n"
              "NameOfP1For3=Запад\nNameOfP2For3=Восток\nNameOfP3For3=Юг\n"
              "NameOfP1For2=Север\nNameOfP2For2=Юг\n")


def private_program_folder(binary, settings=None):
    """A fresh copy of the program's folder: the executable and the files and modules it keeps beside itself. Without
    settings there is no SETTINGS.INI, so the test starts as on a first run; either way its settings never
    reach the build tree."""
    base = os.environ.get("ZELVARA_E2E_TMP") or tempfile.gettempdir()
    folder = tempfile.mkdtemp(prefix="program-", dir=base)
    source = os.path.dirname(os.path.abspath(binary))
    shutil.copy2(binary, folder)
    for name in os.listdir(source):
        # The rules document, translations, and the modules loaded on first use (printing).
        if name.endswith((".docx", ".qm")) or (name.startswith("libzelvara_") and name.endswith(".so")):
            shutil.copy2(os.path.join(source, name), folder)
    if settings is not None:
        with open(os.path.join(folder, "SETTINGS.INI"), "w", encoding="utf-8") as f:
            f.write(settings)
    return os.path.join(folder, os.path.basename(binary))


# As root, a program started through this runs without the two capabilities that let root write through
# permission bits, so that it meets files and folders as a player does.
NO_OVERRIDE = (["setpriv", "--bounding-set=-dac_override,-dac_read_search"] if os.geteuid() == 0 else [])


class Program:
    """One started copy of a program; killed at the end of the test if it is still running. `as_player`
    starts it through NO_OVERRIDE; `env` replaces the environment; `file_size_limit` caps what it may
    write to one file (RLIMIT_FSIZE)."""

    def __init__(self, binary, cwd=None, args=(), env=None, as_player=False, file_size_limit=None):
        self.binary = binary
        # Output goes to a file: a pipe nobody reads could fill up and stall the program.
        self.log = tempfile.TemporaryFile(mode="w+", dir=os.environ.get("TMPDIR"))

        def limit():
            resource.setrlimit(resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))

        self.process = subprocess.Popen([*(NO_OVERRIDE if as_player else []), binary, *args],
                                        cwd=cwd or os.environ.get("ZELVARA_E2E_TMP"), env=env,
                                        stdout=self.log, stderr=subprocess.STDOUT, text=True,
                                        preexec_fn=limit if file_size_limit else None)

    @property
    def pid(self):
        return self.process.pid

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=10.0):
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired as error:
            raise Timeout(f"{self.binary} (pid {self.pid}) still running after {timeout} s") from error

    def kill(self, sig=signal.SIGKILL):
        if self.running():
            self.process.send_signal(sig)
        self.process.wait(timeout=10)

    def output(self):
        self.log.seek(0)
        return self.log.read()


# The first worked example: Sochi, four players, heap divided on all four, one whist worth 1.
EXAMPLE_1 = {
    "Гора игрока Запад": "20", "Гора игрока Север": "4", "Гора игрока Восток": "12", "Гора игрока Юг": "0",
    "Пуля игрока Запад": "10", "Пуля игрока Север": "8", "Пуля игрока Восток": "6", "Пуля игрока Юг": "10",
    "Висты Запада на Севера": "20", "Висты Севера на Запада": "4", "Висты Востока на Юга": "6",
    "Висты Юга на Запада": "2", "Цена виста": "1",
}
EXAMPLE_1_RESULTS = {"Итог игрока Запад": "-81", "Итог игрока Север": "+29", "Итог игрока Восток": "-49",
                     "Итог игрока Юг": "+101"}


def settle_example_1(test):
    """Starts the program of `test` (a ProgramTestCase) with the seats named, types the first worked
    example and settles it; returns the program, its main window and its accessible application once the
    results are on the screen."""
    program = test.start(private_program_folder(test.binary, SEAT_NAMES))
    main = wait_window(MAIN_CAPTION, program.pid)
    app = application(program.pid)
    for name, text in EXAMPLE_1.items():
        fill(find(app, name), text)
    click(find(app, "Рассчитать"))
    south = "Итог игрока Юг"
    wait_for("the results", lambda: text_of(find(app, south)) == EXAMPLE_1_RESULTS[south])
    return program, main, app


def read_settings(path):
    """The keys and values of a settings file, as the program writes them."""
    with open(path, encoding="utf-8", errors="replace") as f:
        return dict(line.strip().split("=", 1) for line in f if "=" in line)


class ProgramTestCase(unittest.TestCase):
    """Starts programs through self.start() and makes sure none outlives its test."""

    binary = None

    def setUp(self):
        self.programs = []
        # pyatspi calls libatspi functions that have new names; the notices would bury the test log.
        warnings.filterwarnings("ignore", category=DeprecationWarning, module=r"pyatspi\.")

    def tearDown(self):
        for program in self.programs:
            if program.running():
                program.kill()
            program.log.close()

    def start(self, binary=None, cwd=None, args=()):
        program = Program(binary or self.binary, cwd, args)
        self.programs.append(program)
        return program


# ---- windows, as the X server and the window manager see them


def visible_windows(caption=None, pid=None):
    """Ids of the mapped top-level client windows, filtered by exact caption and/or process."""
    cmd = ["xdotool", "search", "--onlyvisible"]
    if pid is not None:
        cmd += ["--pid", str(pid)]
    cmd += ["--name", "."]
    windows = [int(w) for w in run(cmd).split()]
    # xdotool's own name match is unreliable with Cyrillic captions: compare the UTF-8 caption exactly.
    return [w for w in windows if caption is None or caption_of(w) == caption]


def wait_window(caption, pid=None, timeout=15.0):
    windows = wait_for(f"a window '{caption}'", lambda: visible_windows(caption, pid), timeout)
    return windows[0]


def window_property(wid, name):
    return run(["xprop", "-id", str(wid), name])


def is_dialog_of(wid, owner):
    """The window manager keeps wid above owner and treats it as owner's dialog."""
    transient = window_property(wid, "WM_TRANSIENT_FOR")
    return transient.strip().endswith("# " + hex(owner))


def caption_of(wid):
    text = window_property(wid, "_NET_WM_NAME")
    return text.split(" = ", 1)[1].strip().strip('"') if " = " in text else ""


def window_info(wid):
    values = {}
    for line in run(["xwininfo", "-id", str(wid)]).splitlines():
        key, _, value = line.strip().partition(":")
        values[key] = value.strip()
    return values


def size_of(wid):
    info = window_info(wid)
    return int(info.get("Width", 0)), int(info.get("Height", 0))


def centre_of_window(wid):
    info = window_info(wid)
    return (int(info.get("Absolute upper-left X", 0)) + int(info.get("Width", 0)) // 2,
            int(info.get("Absolute upper-left Y", 0)) + int(info.get("Height", 0)) // 2)


def frame_of(wid):
    """(x, y, w, h) of the window's frame: its inner area grown by the window manager's frame extents,
    or None while the window manager has not told them."""
    text = window_property(wid, "_NET_FRAME_EXTENTS")
    if " = " not in text:
        return None
    left, right, top, bottom = (int(v) for v in text.split(" = ", 1)[1].split(","))
    info = window_info(wid)
    x, y = int(info.get("Absolute upper-left X", 0)), int(info.get("Absolute upper-left Y", 0))
    w, h = int(info.get("Width", 0)), int(info.get("Height", 0))
    return x - left, y - top, w + left + right, h + top + bottom


def frame_centre(wid):
    frame = frame_of(wid)
    return None if frame is None else (frame[0] + frame[2] / 2, frame[1] + frame[3] / 2)


def frame_offset(wid, over):
    """How far the centre of wid's frame lies from the centre of over's frame, (dx, dy)."""
    a, b = frame_centre(wid), frame_centre(over)
    return None if a is None or b is None else (a[0] - b[0], a[1] - b[1])


def wait_centred_over(wid, over, tolerance=1.5, timeout=5.0):
    """Waits until wid's frame is centred over over's frame; fails with the last offset seen."""
    seen = []

    def probe():
        offset = frame_offset(wid, over)
        seen.append(offset)
        return offset is not None and abs(offset[0]) <= tolerance and abs(offset[1]) <= tolerance

    try:
        wait_for("the frame centred", probe, timeout)
    except Timeout:
        raise Timeout(f"frame not centred over the main window's frame: offset {seen[-1]}") from None


def is_minimised(wid):
    state = window_property(wid, "WM_STATE")
    net = window_property(wid, "_NET_WM_STATE")
    return "Iconic" in state or "_NET_WM_STATE_HIDDEN" in net


def is_normal(wid):
    state = window_property(wid, "WM_STATE")
    net = window_property(wid, "_NET_WM_STATE")
    return "Normal" in state and "HIDDEN" not in net and "MAXIMIZED" not in net


def active_window():
    text = run(["xprop", "-root", "_NET_ACTIVE_WINDOW"])
    try:
        return int(text.rsplit(" ", 1)[1], 16)
    except (IndexError, ValueError):
        return 0


def size_hints(wid):
    """(minimum, maximum) sizes announced to the window manager, each (w, h) or None."""
    found = {"minimum": None, "maximum": None}
    for line in window_property(wid, "WM_NORMAL_HINTS").splitlines():
        line = line.strip()
        for kind in found:
            if line.startswith(f"program specified {kind} size:"):
                w, _, h = line.split(":", 1)[1].strip().partition(" by ")
                found[kind] = (int(w), int(h))
    return found["minimum"], found["maximum"]


def minimise(wid):
    run(["xdotool", "windowminimize", str(wid)])
    wait_for("the window to be minimised", lambda: is_minimised(wid))


def close_by_window_manager(wid):
    """What the title bar's close box does: ask the window manager to close the window."""
    run(["wmctrl", "-i", "-c", hex(wid)])


def screenshot(path, wid=None):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    subprocess.run(["import", "-window", str(wid) if wid else "root", path], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return path


def pixels_in(box):
    """The pixels of a screen rectangle (x, y, w, h) as a PIL image."""
    from PIL import Image  # only the tests that look at colours need it

    with tempfile.NamedTemporaryFile(suffix=".png", dir=os.environ.get("TMPDIR")) as shot:
        screenshot(shot.name)
        with Image.open(shot.name) as image:
            x, y, w, h = box
            return image.convert("RGB").crop((x, y, x + w, y + h))


def count_colour(image, rgb, tolerance=40):
    r0, g0, b0 = rgb
    return sum(1 for r, g, b in image.getdata()
               if abs(r - r0) <= tolerance and abs(g - g0) <= tolerance and abs(b - b0) <= tolerance)


# ---- keyboard and mouse, as a player uses them


def click_at(x, y):
    run(["xdotool", "mousemove", "--sync", str(x), str(y), "click", "1"])


def press(*keys):
    run(["xdotool", "key", "--clearmodifiers", *keys])


def type_text(text):
    # xdotool types a character missing from the keyboard map by remapping a spare key; typed too
    # fast, the server has not taken the new map yet and the character is lost.
    delay = "2" if text.isascii() else "40"
    run(["xdotool", "type", "--clearmodifiers", "--delay", delay, text])


# ---- controls, through the accessibility bus


def application(pid, timeout=15.0):
    def probe():
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:  # an application that just left the bus
                continue
        return None

    return wait_for(f"process {pid} on the accessibility bus", probe, timeout)


def states(acc):
    return set(acc.getState().getStates())


def showing(acc):
    return pyatspi.STATE_SHOWING in states(acc)


def descendants(acc):
    stack = [acc]
    while stack:
        node = stack.pop()
        yield node
        try:
            children = [node.getChildAtIndex(i) for i in range(node.childCount)]
        except Exception:
            continue
        stack.extend(reversed([c for c in children if c is not None]))


def find_all(root, name=None, role=None, only_showing=True):
    found = []
    for node in descendants(root):
        try:
            if name is not None and node.name != name:
                continue
            if role is not None and node.getRole() != role:
                continue
            if only_showing and not showing(node):
                continue
        except Exception:
            continue
        found.append(node)
    return found


def find(root, name, role=None, timeout=10.0):
    """The one showing control with this accessible name (and role)."""

    def probe():
        hits = find_all(root, name, role)
        return hits[0] if len(hits) == 1 else None

    try:
        return wait_for(f"a control named '{name}'", probe, timeout)
    except Timeout:
        hits = find_all(root, name, role, only_showing=False)
        raise Timeout(f"no single showing control named '{name}' ({len(hits)} found, showing or not)") from None


def text_of(acc):
    text = acc.queryText()
    return text.getText(0, text.characterCount)


def centre_of(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x + box.width // 2, box.y + box.height // 2


def extents_of(acc):
    box = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    return box.x, box.y, box.width, box.height


def click(acc):
    click_at(*centre_of(acc))


def is_focused(acc):
    return pyatspi.STATE_FOCUSED in states(acc)


def is_enabled(acc):
    return pyatspi.STATE_ENABLED in states(acc) and pyatspi.STATE_SENSITIVE in states(acc)


def is_checked(acc):
    return pyatspi.STATE_CHECKED in states(acc)


def fill(acc, text):
    """Clicks into a text field, selects what it holds and types the new text over it."""
    name = acc.name
    click(acc)
    wait_for(f"focus in '{name}'", lambda: is_focused(acc), 5)
    # A character that xdotool has to map onto a spare key can still get lost on a busy machine:
    # select everything and type again, a few times at most.
    for attempt in range(3):
        press("ctrl+a")
        if text:
            type_text(text)
        else:
            press("BackSpace")
        try:
            wait_for(f"'{text}' in '{name}'", lambda: text_of(acc) == text, 5 if text.isascii() else 2)
            return
        except Timeout as error:
            if text.isascii() or attempt == 2:
                raise Timeout(f"{error}; it holds '{text_of(acc)}'") from None


# ---- running a test file


ARTIFACTS = os.environ.get("ZELVARA_E2E_ARTIFACTS", "")


def main():
    """unittest's main, after taking the program under test (--program PATH) and the folder for
    screenshots (--artifacts DIR) off the command line."""
    import argparse
    import sys

    global ARTIFACTS
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--program", required=True)
    parser.add_argument("--artifacts", default=ARTIFACTS)
    known, rest = parser.parse_known_args()
    ProgramTestCase.binary = os.path.abspath(known.program)
    ARTIFACTS = known.artifacts or os.path.join(os.environ.get("ZELVARA_E2E_TMP", "."), "artifacts")
    unittest.main(argv=[sys.argv[0], *rest], verbosity=2)
