#!/usr/bin/env python3
"""hostile_typed.py: hostile answers on standard input end to end. Usage: hostile_typed.py PROGRAM.

Lines of 10,000 bytes, control bytes, invalid UTF-8 and commas are typed (piped) into the line
console at the dialogue's questions. The editor keeps at most 255 bytes of a line; every case
must end the dialogue normally with the right complaint lines, and leave a complete Result.csv
for the N finally accepted and no temporary file.
"""
import os
import shutil
import sys
import tempfile

from hostile_run import (BAD_N, complete_result, ended_well, finish, no_temporary, report, run)

PROGRAM = os.path.abspath(sys.argv[1])
HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLE_DATA = os.path.join(HERE, "..", "..", "examples", "data.csv")
TOO_MANY = "入力データの個数が多すぎます\n"
REST = b"YES\n\nNO\n\n"   # import, proceed, no display, end

# name, standard input, complaints (text, times), the N finally accepted
CASES = [
    ("an answer of 10,000 digits to N", b"1" * 10000 + b"\n8\n" + REST, [(BAD_N, 1)], 8),
    ("an answer of 10,000 bytes to the import question", b"8\n" + b"Y" * 10000 + b"\n\nNO\n\n",
     [(BAD_N, 0)], 8),
    ("10,000 bytes of double-byte characters",
     b"8\n" + "日".encode() * 3334 + b"\n" + "本".encode() * 3334 + b"\nNO\n\n", [], 8),
    ("10,000 commas are too many items", b"," * 10000 + b"\n8\n" + REST, [(TOO_MANY, 1)], 8),
    ("10,000 bytes without any line end at the last question", b"8\n" + REST[:-1] + b"x" * 10000,
     [], 8),
    ("control bytes in every answer",
     b"\x01\x02\x1b[A8\x7f\x00\n8\x08\x088\n\x16YES\x03\n\x07\nN\x08NO\n\x1b\n",
     [(BAD_N, 1)], 8),
    ("invalid UTF-8 around the answers",
     b"\xff\xfe8\xc0\xaf\n\xed\xa0\x80NO\n4\n\xf8\x88\x80\x80\x80YES\n\xe3\x81\n\x80NO\n\n",
     [(BAD_N, 0)], 4),
    ("CR, LF and CR LF mixed", b"8\r\nYES\r\r\nNO\n\r", [], 8),
]


def run_case(name, given, complaints, count):
    problems = []
    with tempfile.TemporaryDirectory() as work:
        shutil.copy(EXAMPLE_DATA, os.path.join(work, "data.csv"))
        r = run(PROGRAM, work, given)
        ended_well(r, problems)
        for text, times in complaints:
            if r.out.count(text) != times:
                problems.append("%r printed %d times, want %d" % (text, r.out.count(text), times))
        complete_result(work, count, problems)
        no_temporary(work, problems)
    return report(name, problems)


def main():
    return finish("hostile typed-line", [run_case(*c) for c in CASES])


if __name__ == "__main__":
    sys.exit(main())
