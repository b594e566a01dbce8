#!/usr/bin/env python3
"""hostile_data.py: a hostile data.csv end to end. Usage: hostile_data.py PROGRAM.

Each case writes a data.csv that no spreadsheet would, answers the dialogue through the line
console (N, YES, Enter, the display, Enter) and checks that the run ends normally, says so when
the file held fewer than N items, and leaves a complete Result.csv and no temporary file.
"""
import os
import sys
import tempfile

from hostile_run import (ASK_REPEAT, SHORT_DATA, complete_result, ended_well, finish,
                         no_temporary, report, run)

PROGRAM = os.path.abspath(sys.argv[1])

# name, data.csv, N, whether the data are short of N items, show the display, exact Result.csv rows
CASES = [
    ("five megabytes of numbers on one line", b"0.25," * 1000000, 64, False, False, None),
    ("one item of four megabytes", b"7" * 4000000, 2, True, True, None),
    ("only commas, more than N", b"," * 1000, 64, False, False, None),
    ("only commas, fewer than N", b",,,", 8, True, False, None),
    ("only NUL bytes", b"\0" * 1000, 16, False, True, None),
    ("a lone CR inside and at the end", b"1\r2\r", 2, True, False, [b"0,1,0"]),
    ("a quote never closed", b'"1,2,3\r\n4,5 6\t"7', 8, True, False, None),
    ("invalid code page 932 bytes", b"\x81\x82\xff\xfd\xa0\x80,\x82\r\n3\x81,\xfc", 6, True, True, None),
    ("numbers of 400 digits",
     b"9" * 400 + b"\r\n1" + b"0" * 399 + b"\r\n0." + b"0" * 398 + b"1\r\n-" + b"9" * 400 + b"\r\n",
     4, False, True, None),
    ("an empty file", b"", 4, True, False, None),
]


def run_case(name, data, count, short, show, rows):
    problems = []
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, "data.csv"), "wb") as f:
            f.write(data)
        answers = "%d\nYES\n\n%s\n\n" % (count, "YES" if show else "NO")
        r = run(PROGRAM, work, answers.encode())
        ended_well(r, problems)
        if (SHORT_DATA in r.out) != short:
            problems.append("the short-data line is %s" % ("missing" if short else "printed"))
        if ASK_REPEAT not in r.out:
            problems.append("no repeat question after saving: %r" % r.out[-300:])
        complete_result(work, count, problems)
        if rows is not None and not problems:
            with open(os.path.join(work, "Result.csv"), "rb") as f:
                got = f.read().split(b"\r\n")[1:-1]
            if got != rows:
                problems.append("Result.csv rows %r, want %r" % (got, rows))
        no_temporary(work, problems)
    return report(name, problems)


def main():
    return finish("hostile data.csv", [run_case(*c) for c in CASES])


if __name__ == "__main__":
    sys.exit(main())
