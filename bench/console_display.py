#!/usr/bin/env python3
"""console_display.py: how long showing the result takes in the Windows window under Wine (Xvfb)
and in the terminal console (tmux), both measured in one run.

Usage: console_display.py WIN64/dftanalyze.exe LINUX/dftanalyze [N]   (N defaults to 20000)
For each console one session on N samples, two passes: the result shown (YES) and not (NO). A
pass is timed from the answer to the show question until Result.csv is written; the display's
cost is YES minus NO. The harnesses are those of the end-to-end tests in tests/e2e.
"""
import os
import shlex
import sys
import tempfile
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from analysis_common import ASK_IMPORT, ASK_PROCEED, ASK_REPEAT, ASK_SHOW, long_signal
from analysis_wine import AnalysisHarness, bottom, ink_rows
from tmux_pane import kill_server, pane, tmux, wait_for


def timed_enter(folder, enter):
    """Seconds from Enter until Result.csv is written anew."""
    result = os.path.join(folder, "Result.csv")
    if os.path.exists(result):
        os.remove(result)
    start = time.monotonic()
    enter()
    while not os.path.exists(result):
        if time.monotonic() - start > 900:
            raise RuntimeError("no Result.csv within 900 s")
        time.sleep(0.01)
    return time.monotonic() - start


def window_passes(exe, n, folder):
    h = AnalysisHarness(exe, os.path.join(folder, "wine"))
    os.makedirs(h.work)
    try:
        h.start_xvfb()
        h.make_env()
        h.prepare_prefix()
        h.start_session(folder)
        times = {}
        for show in ("NO", "YES"):   # NO first: its questions still fit in the window
            h.answer("%d" % n, "the import question")
            h.answer("YES", "the proceed question")
            h.answer("", "the show question")
            h.type(show)
            h.shown = bottom(ink_rows(h.grab(h.window)))
            times[show] = timed_enter(folder, lambda: h.key("Return"))
            if show == "NO":
                h.wait_asked("the repeat question")
                h.answer("9", "N=? ")
        return times["YES"], times["NO"]
    finally:
        h.stop()


def terminal_passes(program, n, folder):
    def asked(prompt):
        wait_for("the question %r" % prompt,
                 lambda lines: pane("#{cursor_flag}", "a") == "1"
                 and prompt.strip() in lines[int(pane("#{cursor_y}", "a"))], "a")

    def answer(text, prompt):
        tmux("send-keys", "-t", "a", "-l", text)
        tmux("send-keys", "-t", "a", "Enter")
        asked(prompt)

    shell = "%s; exec cat" % shlex.quote(program)
    tmux("new-session", "-d", "-s", "a", "-x", "132", "-y", "40", "-c", folder, "sh", "-c", shell)
    try:
        asked("N=? ")
        times = []
        for show in ("YES", "NO"):
            answer("%d" % n, ASK_IMPORT)
            answer("YES", ASK_PROCEED)
            answer("", ASK_SHOW)
            tmux("send-keys", "-t", "a", "-l", show)
            times.append(timed_enter(folder, lambda: tmux("send-keys", "-t", "a", "Enter")))
            asked(ASK_REPEAT)
            answer("9", "N=? ")
        return times
    finally:
        kill_server()


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    exe, linux = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    n = int(sys.argv[3]) if len(sys.argv) > 3 else 20000
    data = long_signal(n)
    results = {}
    with tempfile.TemporaryDirectory() as tmp:
        for name, passes, program in (("window under Wine", window_passes, exe),
                                      ("terminal console", terminal_passes, linux)):
            folder = os.path.join(tmp, name.split()[0])
            os.makedirs(folder)
            with open(os.path.join(folder, "data.csv"), "wb") as f:
                f.write(data)
            yes, no = passes(program, n, folder)
            results[name] = yes - no
            print("%-18s N = %d: shown %.2f s, not shown %.2f s, display %.2f s"
                  % (name, n, yes, no, yes - no), flush=True)
    window, term = results["window under Wine"], results["terminal console"]
    print("window / terminal: %.2f; goal: window <= 2 x terminal + 0.5 s = %.2f s: %s"
          % (window / term, 2 * term + 0.5, "met" if window <= 2 * term + 0.5 else "NOT met"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
