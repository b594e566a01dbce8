#!/usr/bin/env python3
"""analysis_wine.py: the analysis run in the Windows program under Wine, typed into its window.

Usage: analysis_wine.py PATH/TO/dftanalyze.exe PATH/TO/LINUX/dftanalyze [WORK_DIR]
Two sessions on one Xvfb and one Wine prefix (e2e-analysis-wineprefix beside the program, made
once; the harness of wine_console.py): N = 64 on the example data, closed with Alt+F4 at the
repeat question; and N = 1000 on a data.csv of 1200 samples, its 1000 result lines shown, ended
with Enter alone. Each Result.csv and Result.svg must be byte for byte the ones the Linux program
writes through its line console, and
both ways out must give exit code 0. WORK_DIR (default e2e-analysis/ beside the program) keeps
the logs, each session's folder, a screenshot of each session at its last question (n64.png;
n1000.png, the repeat question below the last lines shown) and one on failure.

A question counts as asked when new text has appeared below everything shown before (more ink
than a caret has) and the window has stopped changing: the program prints a question and opens
its line at once. Exit code 0 passed, 1 failed, 77 skipped (no program, or a tool missing).
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True   # no __pycache__ in the source tree
from analysis_common import example_data, long_signal, reference_result
from wine_console import SKIP, Failure, Harness

PROMPT_INK = 180   # colour bytes of new text below the last row: more than a caret alone
SETTLE = 0.3       # seconds after the window stops changing before a key is typed


FRAME = 2          # pixels of window frame on every side, which the ink count leaves out


def ink_rows(image):
    """Per pixel row of the window, how many colour bytes inside the frame are not 0 (the
    backdrop is black); the frame's rows count 0."""
    _, height, rows = image
    inner = [row[3 * FRAME:-3 * FRAME] for row in rows]
    return [len(row) - row.count(0) if FRAME <= y < height - FRAME else 0
            for y, row in enumerate(inner)]


def bottom(ink):
    return max((y for y, n in enumerate(ink) if n), default=-1)


class AnalysisHarness(Harness):
    def __init__(self, exe, work):
        super().__init__(exe, work)
        # A prefix of its own, so that this test and the console's never share a wineserver.
        self.prefix = os.path.join(os.path.dirname(self.exe), "e2e-analysis-wineprefix")
        self.shown = -1   # the lowest pixel row with ink once the last question was answered

    def start_session(self, folder):
        p = self.spawn(["wine", self.exe], "program.log", cwd=folder)
        self.window = self.wait_until("the window", lambda: self.find_window(p), 120, 0.25)
        self.focus(self.window)
        self.shown = -1
        self.wait_asked("N=? ", 60)
        return p

    def wait_asked(self, what, timeout=30):
        """Waits for a question below the text already shown, then for a still window."""
        def new_text():
            image = self.grab(self.window)
            if image is None:
                return None
            ink = ink_rows(image)
            return image if sum(ink[self.shown + 1:]) > PROMPT_INK else None
        image = self.wait_until("the question %r" % what, new_text, timeout, 0.1)

        def still():
            nonlocal image
            again = self.grab(self.window)
            same = again is not None and again[2] == image[2]
            image = again if again is not None else image
            return same
        self.wait_until("a still window after %r" % what, still, 10, 0.2)
        time.sleep(SETTLE)

    def answer(self, text, next_question):
        if text:
            self.type(text)
        image = self.grab(self.window)
        if image is None:
            raise Failure("no screenshot of the window before %s" % next_question)
        self.shown = bottom(ink_rows(image))
        self.key("Return")
        self.wait_asked(next_question)

    def session(self, name, data, count, want, close, show="NO"):
        folder = os.path.join(self.work, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        with open(os.path.join(folder, "data.csv"), "wb") as f:
            f.write(data)
        program = self.start_session(folder)
        self.answer("%d" % count, "the import question")
        self.answer("YES", "the proceed question")
        self.answer("", "the display question")
        self.answer(show, "the repeat question")
        result = os.path.join(folder, "Result.csv")

        def written():
            try:
                return [open(os.path.join(folder, n), "rb").read()
                        for n in ("Result.csv", "Result.svg")] == list(want)
            except OSError:
                return False
        try:
            self.wait_until("Result.csv and Result.svg", written, 10)
        except Failure:
            got = open(result, "rb").read() if os.path.exists(result) else None
            raise Failure("%s: Result.csv or Result.svg is not the line console's: %r"
                          % (name, got if got is None else got[:200]))
        print("e2e: ok   %s: Result.csv and Result.svg as the line console's" % name, flush=True)
        image = self.grab(self.window)   # the whole dialogue, Japanese prompts included
        if image is not None:
            self.write_png(os.path.join(self.work, "%s.png" % name), image)
        if close:
            self.key("alt+F4")
            self.wait_exit(program, "%s: Alt+F4 at the repeat question" % name)
        else:
            self.key("Return")
            self.wait_exit(program, "%s: Enter alone at the repeat question" % name)


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    exe, linux = sys.argv[1], os.path.abspath(sys.argv[2])
    if not os.path.exists(exe):
        print("e2e: SKIPPED: %s is not built (make build, or build the win64 folder first)" % exe)
        return SKIP
    for tool in ("Xvfb", "wine", "wineserver", "xdotool", "import", "convert"):
        if shutil.which(tool) is None:
            print("e2e: SKIPPED: %s is not installed (tools/setup-deps installs it)" % tool)
            return SKIP
    work = sys.argv[3] if len(sys.argv) > 3 else os.path.join(
        os.path.dirname(os.path.abspath(exe)), "e2e-analysis")
    os.makedirs(work, exist_ok=True)

    long_data = long_signal(1200)
    with tempfile.TemporaryDirectory() as ref:
        svg = lambda: open(os.path.join(ref, "Result.svg"), "rb").read()
        want64 = reference_result(linux, ref, example_data(), 64), svg()
        want1000 = reference_result(linux, ref, long_data, 1000), svg()

    h = AnalysisHarness(exe, work)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))   # ctest's timeout: clean up still
    try:
        h.start_xvfb()
        h.make_env()
        h.prepare_prefix()
        h.session("n64", example_data(), 64, want64, close=True)
        h.session("n1000", long_data, 1000, want1000, close=False, show="YES")
    except (Failure, subprocess.TimeoutExpired) as e:
        print("e2e: FAILED: %s" % e, flush=True)
        h.save_failure_shot()
        return 1
    finally:
        h.stop()
    print("e2e: the analysis run under Wine: all passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
