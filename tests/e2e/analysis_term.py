#!/usr/bin/env python3
"""analysis_term.py: the analysis run in the terminal console, typed through tmux.

Usage: analysis_term.py PROGRAM. One session in a pane of a private tmux server (its own socket,
killed at the end whatever happens): a pass with N = 64 on the example data, then 9 and a pass
with N = 1000 on a data.csv of 1200 samples, then Ctrl+C at the repeat question. Each Result.csv
must be byte for byte the one that the same program writes through the line console, and Ctrl+C
must end the program with exit code 0.

A question counts as asked when its text stands in the cursor's row and the cursor shows: the
console shows the cursor only while an input line is open, so no key is typed too early. Every
wait polls the pane until a deadline.
"""
import os
import shlex
import subprocess
import sys
import tempfile
import unicodedata

sys.dont_write_bytecode = True   # no __pycache__ in the source tree
from analysis_common import (ASK_IMPORT, ASK_PROCEED, ASK_REPEAT, ASK_SHOW, example_data,
                             long_signal, reference_result)

PROGRAM = os.path.abspath(sys.argv[1])
from tmux_pane import kill_server, tmux, wait_for


def columns(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def asked(prompt):
    """Waits until prompt stands in the cursor's row with the cursor behind it, shown."""
    def open_line(lines):
        flag, x, y = tmux("display-message", "-p", "-t", "a",
                          "#{cursor_flag} #{cursor_x} #{cursor_y}").split()
        return (flag == "1" and lines[int(y)].rstrip() == prompt.rstrip()
                and int(x) == columns(prompt))
    wait_for("the question %r" % prompt, open_line, "a")


def answer(text, next_prompt):
    if text:
        tmux("send-keys", "-t", "a", "-l", text)
    tmux("send-keys", "-t", "a", "Enter")
    asked(next_prompt)


def expect_result(work, want, what):
    path = os.path.join(work, "Result.csv")
    with open(path, "rb") as f:
        got = f.read()
    if got != want:
        raise AssertionError("%s: Result.csv differs from the line console's (%d bytes, want %d)"
                             % (what, len(got), len(want)))
    print("ok   %s: Result.csv as the line console's" % what, flush=True)


def run(work, ref):
    long_data = long_signal(1200)
    want64 = reference_result(PROGRAM, ref, example_data(), 64)
    want1000 = reference_result(PROGRAM, ref, long_data, 1000)

    with open(os.path.join(work, "data.csv"), "wb") as f:
        f.write(example_data())
    shell = "%s; echo EXIT=$?; exec cat" % shlex.quote(PROGRAM)
    tmux("new-session", "-d", "-s", "a", "-x", "132", "-y", "40", "-c", work, "sh", "-c", shell)

    asked("N=? ")
    answer("64", ASK_IMPORT)
    answer("YES", ASK_PROCEED)
    answer("", ASK_SHOW)
    answer("NO", ASK_REPEAT)
    expect_result(work, want64, "N = 64, the example data")

    with open(os.path.join(work, "data.csv"), "wb") as f:
        f.write(long_data)
    answer("9", "N=? ")
    answer("1000", ASK_IMPORT)
    answer("YES", ASK_PROCEED)
    answer("", ASK_SHOW)
    answer("no", ASK_REPEAT)
    expect_result(work, want1000, "the second pass, N = 1000")

    tmux("send-keys", "-t", "a", "C-c")
    lines = wait_for("the end after Ctrl+C at the repeat question",
                     lambda lines: any(line.startswith("EXIT=") for line in lines), "a")
    if "EXIT=0" not in lines:
        raise AssertionError("Ctrl+C: %s" % [l for l in lines if l.startswith("EXIT=")])
    print("ok   Ctrl+C at the repeat question: exit code 0", flush=True)


def main():
    with tempfile.TemporaryDirectory() as work, tempfile.TemporaryDirectory() as ref:
        try:
            run(work, ref)
        except (AssertionError, subprocess.SubprocessError) as e:
            print("FAIL: %s" % e)
            return 1
        finally:
            kill_server()
    print("the analysis run in the terminal console: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
