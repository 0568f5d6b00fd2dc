#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs one golden case of zelvara-book in a book of its own.

    run_case.py PROGRAM CASE EXAMPLES ACTUAL

CASE.case holds one command a line, as a shell would split it, run as `zelvara-book --book BOOK ...` unless
it names its own --book; lines starting with "#" are comments, and "env VAR=value" sets a variable for
the commands after it (the start: LC_ALL=C, TZ=UTC). @EXAMPLES@ stands for the examples folder, @SHEETS@
for tests/cli/book/sheets, @TMP@ for the case's scratch folder. CASE.expected is the transcript: each
command after "$ ", its standard output, its standard error with "stderr: " before each line, and
"exit N". A differing transcript is written to ACTUAL."""

import os
import shlex
import shutil
import subprocess
import sys
import tempfile

program, case, examples, actual = sys.argv[1:5]
examples = os.path.abspath(examples)
sheets = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(case))), "sheets")
scratch = tempfile.mkdtemp(prefix="zelvara-book-case-")
env = {key: value for key, value in os.environ.items() if not key.startswith(("LC_", "LANG", "XDG_"))}
env.update({"LC_ALL": "C", "TZ": "UTC", "XDG_DATA_HOME": os.path.join(scratch, "data")})


def expand(text):
    return text.replace("@EXAMPLES@", examples).replace("@SHEETS@", sheets).replace("@TMP@", scratch)


transcript = []
try:
    with open(case + ".case", encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            if line.startswith("env "):
                key, _, value = line[4:].partition("=")
                env[key] = expand(value)
                continue
            args = [expand(arg) for arg in shlex.split(line)]
            if "--book" not in args:
                args = ["--book", os.path.join(scratch, "book.sqlite"), *args]
            result = subprocess.run([program, *args], capture_output=True, env=env, check=False)
            out, err = (text.decode("utf-8", "replace").replace(scratch, "@TMP@").replace(sheets, "@SHEETS@")
                        .replace(examples, "@EXAMPLES@") for text in (result.stdout, result.stderr))
            transcript.append(f"$ {line}\n{out}")
            transcript.extend(f"stderr: {text}\n" for text in err.splitlines())
            transcript.append(f"exit {result.returncode}\n")
finally:
    shutil.rmtree(scratch)

text = "".join(transcript)
with open(case + ".expected", encoding="utf-8", newline="") as f:
    expected = f.read()
if text != expected:
    os.makedirs(os.path.dirname(actual), exist_ok=True)
    with open(actual, "w", encoding="utf-8", newline="") as f:
        f.write(text)
    sys.exit(f"the transcript differs from {case}.expected; it is saved in {actual}:\n{text}")
