#!/usr/bin/env python3
"""console_display.py: how long showing the result takes in the Windows window under Wine (Xvfb)
and in the terminal console (tmux) at 80 x 24 and at 100 x 30, all measured in one run.

Usage: console_display.py WIN64/dftanalyze.exe LINUX/dftanalyze [N]   (N defaults to 20000;
       "-" for the exe measures the terminal alone)
For each console one session on N samples, two passes: the result not shown (NO), then shown
(YES). A pass is timed from the show question until Result.csv is written again; the display's
cost is YES minus NO. The consoles are driven by the end-to-end tests' adapters (tests/e2e).
"""
import os
import sys
import tempfile
import threading
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from console_term import Term
from console_wine import Wine
from driver import ASK_SHOW, At, long_signal


def timer(times, show):
    """At the show question: Result.csv is removed, and the time until it is back noted."""
    def step(con):
        path, start = os.path.join(con.work, "Result.csv"), time.monotonic()
        if os.path.exists(path):
            os.remove(path)

        def watch():
            while not os.path.exists(path):
                time.sleep(0.01)
            times[show] = time.monotonic() - start
        threading.Thread(target=watch, daemon=True).start()
    return At(ASK_SHOW, step)


def passes(adapter, program, n, data, size):
    """(shown, not shown) seconds of one session on adapter (a terminal of size cols, rows)."""
    times, console = {}, adapter(program)
    answers = ["%d" % n, "YES", "", timer(times, "NO"), "NO", "9",
               "%d" % n, "YES", "", timer(times, "YES"), "YES", ""]
    console.transcript = ""   # the screen is not checked here
    try:
        with tempfile.TemporaryDirectory() as work:
            with open(os.path.join(work, "data.csv"), "wb") as f:
                f.write(data)
            console.run({"answers": answers, "sizes": [size]}, work)
    finally:
        console.close()
    return times["YES"], times["NO"]


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    exe, linux = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    n = int(sys.argv[3]) if len(sys.argv) > 3 else 20000
    results = {}
    for name, adapter, program, size in (("window under Wine", Wine, exe, None),
                                         ("terminal 80 x 24", Term, linux, (80, 24)),
                                         ("terminal 100 x 30", Term, linux, (100, 30))):
        if sys.argv[1] == "-" and adapter is Wine:   # the terminal alone
            continue
        yes, no = passes(adapter, program, n, long_signal(n), size)
        results[name] = yes - no
        print("%-18s N = %d: shown %.2f s, not shown %.2f s, display %.2f s"
              % (name, n, yes, no, yes - no), flush=True)
    small, large = results["terminal 80 x 24"], results["terminal 100 x 30"]
    print("terminal 80 x 24 / 100 x 30: %.2f; goal: within 1.2 x: %s" % (
        small / large, "met" if max(small / large, large / small) <= 1.2 else "NOT met"))
    if "window under Wine" in results:
        window = results["window under Wine"]
        print("window / terminal: %.2f; goal: window <= 2 x terminal + 0.5 s = %.2f s: %s"
              % (window / large, 2 * large + 0.5,
                 "met" if window <= 2 * large + 0.5 else "NOT met"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
