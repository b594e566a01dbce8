#!/usr/bin/env python3
"""hostile_stdin.py: standard input ends at every question, end to end. Usage: hostile_stdin.py PROGRAM.

Two whole passes are answered up to question k and then standard input ends, for every k; and
once with standard input closed altogether (no descriptor 0). Each run must end at once with exit
code 0, its output ending with the question it was waiting at, and Result.csv must be absent
before the first save and complete for the last pass saved afterwards, with no temporary file.
"""
import os
import shutil
import sys
import tempfile

from hostile_run import (ASK_AGAIN, ASK_IMPORT, ASK_N, ASK_PROCEED, ASK_REPEAT, ASK_SHOW, BAD_N,
                         NO_DATA, complete_result, ended_well, finish, no_temporary, report, run)

PROGRAM = os.path.abspath(sys.argv[1])
HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLE_DATA = os.path.join(HERE, "..", "..", "examples", "data.csv")

# Two passes: each answer, the question it answers, and the N saved once it is given (0: none).
PASSES = [
    ("8", ASK_N, 0), ("YES", ASK_IMPORT, 0), ("", ASK_PROCEED, 0), ("NO", ASK_SHOW, 8),
    ("9", ASK_REPEAT, 8), ("4", ASK_N, 8), ("YES", ASK_IMPORT, 8), ("", ASK_PROCEED, 8),
    ("YES", ASK_SHOW, 4), ("", ASK_REPEAT, 4),
]

# The questions asked again: name, answers, what the output ends with, whether data.csv exists.
AGAIN = [
    ("after a bad N", ["0"], BAD_N + ASK_AGAIN, True),
    ("after NO", ["8", "NO"], ASK_IMPORT + "NO\n" + ASK_AGAIN, True),
    ("after a missing data.csv", ["8", "YES"], NO_DATA + ASK_AGAIN, False),
]


def check(name, work, r, ends_with, saved):
    problems = []
    ended_well(r, problems)
    if ends_with is not None and not r.out.endswith(ends_with):
        problems.append("output ends %r, want %r" % (r.out[-120:], ends_with[-60:]))
    if saved:
        complete_result(work, saved, problems)
    elif os.path.lexists(os.path.join(work, "Result.csv")):
        problems.append("a Result.csv before any save")
    no_temporary(work, problems)
    return report(name, problems)


def one(name, answers, ends_with, saved, data=True, close_stdin=False):
    with tempfile.TemporaryDirectory() as work:
        if data:
            shutil.copy(EXAMPLE_DATA, os.path.join(work, "data.csv"))
        given = "".join(a + "\n" for a in answers).encode()
        return check(name, work, run(PROGRAM, work, given, close_stdin), ends_with, saved)


def main():
    results = []
    for k in range(len(PASSES) + 1):
        answers = [a for a, _, _ in PASSES[:k]]
        ends_with = PASSES[k][1] if k < len(PASSES) else None
        saved = PASSES[k - 1][2] if k > 0 else 0
        results.append(one("input ends after %d answers" % k, answers, ends_with, saved))
    for name, answers, ends_with, data in AGAIN:
        results.append(one("input ends " + name, answers, ends_with, 0, data))
    results.append(one("standard input closed", [], ASK_N, 0, close_stdin=True))
    return finish("closed standard input", results)


if __name__ == "__main__":
    sys.exit(main())
