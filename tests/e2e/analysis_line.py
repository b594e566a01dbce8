#!/usr/bin/env python3
"""analysis_line.py: the analysis run end to end through the line console, the program as a
filter with scripted answers, each case in a fresh folder with its own data.csv.

Usage: analysis_line.py PROGRAM [--write-expected]. Checks the exit code (0 on every way out),
standard output and Result.csv byte for byte against tests/e2e/expected/ where a case names a
file there, and Result.csv (and the displayed lines) against a plain double transform where a
case gives the samples. --write-expected writes what the program gave into expected/ instead,
for a person to review before it is kept.
"""
import fcntl
import os
import select
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True   # no __pycache__ in the source tree
from analysis_common import (ASK_PROCEED, ASK_REPEAT, EXPECTED_DIR, RESULT_TITLE, TIMEOUT,
                             check_display, check_result_csv, column, example_data, long_signal,
                             parse_samples, plain_transform)

PROGRAM = os.path.abspath(sys.argv[1])
WRITE = "--write-expected" in sys.argv[2:]

ONE_ZERO_ZERO_ZERO = column(["1", "0", "0", "0"])
UNTOUCHED = b"an earlier result\r\n"


class Case:
    def __init__(self, name, answers, data=None, stdout=None, result=None, samples=None,
                 display=None, result_csv="absent", hold=False):
        self.name = name
        self.answers = answers        # standard input, one answer a line
        self.data = data              # data.csv bytes; None: no data.csv
        self.stdout = stdout          # expected standard output: a file in expected/, or None
        self.result = result          # expected Result.csv: a file in expected/, or None
        self.samples = samples        # Result.csv checked against their transform, or None
        self.display = display        # that many bins displayed and checked, or None
        self.result_csv = result_csv  # before the run: "absent", "directory" or "file"
        self.hold = hold              # the test holds Result.csv with an exclusive flock


CASES = [
    Case("N = 1 with 2: the header line alone",
         "1\nYES\n\nYES\n\n", data=column(["2"]), stdout="n1.txt", result="n1.csv"),
    Case("N = 4 with 1, 0, 0, 0; empty answers mean yes",
         "4\n\n\n\n\n", data=ONE_ZERO_ZERO_ZERO, stdout="n4.txt", result="n4.csv"),
    Case("N = 5: five bins displayed, two written",
         "5\nYES\n\nYes\n\n", data=column(["1", "2", "3", "4", "5"]),
         samples=[1, 2, 3, 4, 5], display=5),
    Case("N = 6 of eight samples: six bins displayed, three written",
         "6\nYES\n\nyes\n\n", data=column(["1", "-2", "3.5", "0", "0.25", "7", "99", "99"]),
         samples=[1, -2, 3.5, 0, 0.25, 7], display=6),
    Case("import NO and no ask N again without N=; No means yes; display no skips",
         "4\nNO\n2\nno\n4\nNo\n\nno\n\n", data=ONE_ZERO_ZERO_ZERO,
         stdout="import_no.txt", result="n4.csv"),
    Case("NO with a blank means yes; display NO skips; a repeat answer of 8 ends",
         "4\nNO \n\nNO\n8\n", data=ONE_ZERO_ZERO_ZERO, stdout="import_no_blank.txt",
         result="n4.csv"),
    Case("N of 0, -3, 2.5, 100002 or Enter alone is asked again",
         "0\n-3\n2.5\n100002\n\n1\nYES\n\nNO\n\n", data=column(["2"]),
         stdout="bad_n.txt", result="n1.csv"),
    Case("a missing data.csv is reported and N asked again",
         "4\nYES\n1\n\n", stdout="missing_data.txt"),
    Case("too few samples are reported once and read as 0",
         "4\nYES\n\nYES\n\n", data=column(["1", "2"]), stdout="short_data.txt",
         result="short_data.csv", samples=[1, 2, 0, 0], display=4),
    Case("a Result.csv that is a directory is reported",
         "4\n\n\nno\n\n", data=ONE_ZERO_ZERO_ZERO, stdout="save_failed.txt",
         result_csv="directory"),
    Case("a Result.csv held by another is reported and left as it was",
         "4\n\n\nno\n\n", data=ONE_ZERO_ZERO_ZERO, stdout="save_failed.txt",
         result_csv="file", hold=True),
    Case("the example data, N = 64",
         "64\nYES\n\nNO\n\n", data=example_data(), result="example64.csv",
         samples=parse_samples(example_data(), 64)),
    Case("the example data, N = 256, displayed",
         "256\nYES\n\nYES\n\n", data=example_data(), samples=parse_samples(example_data(), 256),
         display=256),
    Case("display YES in a second pass after a first that declined it (on threads)",
         "257\nYES\n\nNO\n9\n256\nYES\n\nYES\n\n", data=long_signal(257),
         stdout="display_after_no.txt", samples=parse_samples(long_signal(257), 256)),
    Case("1000 samples, N = 1000",
         "1000\nYES\n\nNO\n\n", data=long_signal(1000),
         samples=parse_samples(long_signal(1000), 1000)),
]


def expected(name):
    with open(os.path.join(EXPECTED_DIR, name), "rb") as f:
        return f.read()


def check_bytes(what, got, name, problems):
    """Compares with expected/name, or writes it there with --write-expected."""
    if WRITE:
        with open(os.path.join(EXPECTED_DIR, name), "wb") as f:
            f.write(got)
        return
    want = expected(name)
    if got != want:
        problems.append("%s differs from expected/%s:\n  got  %r\n  want %r"
                        % (what, name, got, want))


def displayed_lines(out, count):
    """The count lines after the display's title."""
    text = out.decode("utf-8")
    at = text.find(RESULT_TITLE + "\n")
    if at < 0:
        return []
    return text[at + len(RESULT_TITLE) + 1:].split("\n")[:count]


def run_case(case):
    problems = []
    with tempfile.TemporaryDirectory() as work:
        if case.data is not None:
            with open(os.path.join(work, "data.csv"), "wb") as f:
                f.write(case.data)
        result_path = os.path.join(work, "Result.csv")
        held = None
        if case.result_csv == "directory":
            os.mkdir(result_path)
        elif case.result_csv == "file":
            with open(result_path, "wb") as f:
                f.write(UNTOUCHED)
        if case.hold:
            held = open(result_path, "rb")
            fcntl.flock(held, fcntl.LOCK_EX | fcntl.LOCK_NB)
        try:
            done = subprocess.run([PROGRAM], input=case.answers.encode("utf-8"), cwd=work,
                                  stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=TIMEOUT)
        finally:
            if held:
                held.close()
        out = done.stdout
        if done.returncode != 0:
            problems.append("exit code %d" % done.returncode)
        if case.stdout:
            check_bytes("standard output", out, case.stdout, problems)
        if case.display is not None:
            bins = plain_transform(case.samples)
            problems += check_display(displayed_lines(out, case.display), bins)
        if case.result_csv == "directory":
            if not os.path.isdir(result_path):
                problems.append("the directory Result.csv is gone")
        elif case.result_csv == "file":
            with open(result_path, "rb") as f:
                if f.read() != UNTOUCHED:
                    problems.append("the held Result.csv was changed")
        elif case.result or case.samples is not None:
            if not os.path.exists(result_path):
                problems.append("no Result.csv")
            else:
                with open(result_path, "rb") as f:
                    result = f.read()
                if case.result:
                    check_bytes("Result.csv", result, case.result, problems)
                if case.samples is not None:
                    problems += check_result_csv(result, plain_transform(case.samples))
        elif os.path.exists(result_path):
            problems.append("a Result.csv was written")
        left = sorted(set(os.listdir(work)) - {"data.csv", "Result.csv", "Result.svg"})
        if left:
            problems.append("files left behind: %s" % left)
    return problems


# ---- a dialogue with a pause: the second pass ------------------------------------------------

def read_until(program, out, tail, deadline):
    """Reads standard output until it ends with tail; returns all read so far."""
    fd = program.stdout.fileno()
    while not out.endswith(tail):
        left = deadline - time.monotonic()
        if left <= 0 or program.poll() is not None and not select.select([fd], [], [], 0)[0]:
            raise AssertionError("standard output does not end with %r: %r" % (tail, out[-200:]))
        if select.select([fd], [], [], min(left, 0.5))[0]:
            chunk = os.read(fd, 65536)
            if not chunk:
                raise AssertionError("standard output ended early: %r" % out[-200:])
            out += chunk
    return out


def lockable(path):
    """Whether an exclusive flock on path can be taken now: the program has let go of it."""
    with open(path, "rb") as f:
        try:
            fcntl.flock(f, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return True
        except OSError:
            return False


def second_pass():
    """Pass one: N = 6 of six samples. data.csv is free once the samples are read, Result.csv
    once it is written (the user may open it while the program waits). Then data.csv is made
    shorter, and 9 starts pass two with N = 4, which reads 7, 8 and two zeros (nothing left
    from pass one) and rewrites Result.csv with two lines."""
    name = "a second pass after 9 reads a shorter data.csv from its start"
    problems = []
    with tempfile.TemporaryDirectory() as work:
        data = os.path.join(work, "data.csv")
        result = os.path.join(work, "Result.csv")
        with open(data, "wb") as f:
            f.write(column(["1", "2", "3", "4", "5", "6"]))
        program = subprocess.Popen([PROGRAM], cwd=work, stdin=subprocess.PIPE,
                                   stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        try:
            deadline = time.monotonic() + TIMEOUT
            program.stdin.write(b"6\nYES\n")
            program.stdin.flush()
            out = read_until(program, b"", ASK_PROCEED.encode("utf-8"), deadline)
            if not lockable(data):
                problems.append("data.csv is still held at the proceed question")
            program.stdin.write(b"\nno\n")
            program.stdin.flush()
            out = read_until(program, out, ASK_REPEAT.encode("utf-8"), deadline)
            with open(result, "rb") as f:
                problems += check_result_csv(f.read(), plain_transform([1, 2, 3, 4, 5, 6]))
            if not lockable(result):
                problems.append("Result.csv is still held at the repeat question")
            with open(data, "wb") as f:
                f.write(column(["7", "8"]))
            rest, _ = program.communicate(b"9\n4\nYES\n\nno\n\n", timeout=TIMEOUT)
            out += rest
        finally:
            if program.poll() is None:
                program.kill()
                program.wait(10)
        if program.returncode != 0:
            problems.append("exit code %d" % program.returncode)
        check_bytes("standard output", out, "second_pass.txt", problems)
        with open(result, "rb") as f:
            problems += check_result_csv(f.read(), plain_transform([7, 8, 0, 0]))
    return name, problems


def main():
    results = []
    for case in CASES:
        try:
            results.append((case.name, run_case(case)))
        except subprocess.TimeoutExpired as e:
            results.append((case.name, [str(e)]))
    try:
        results.append(second_pass())
    except (AssertionError, subprocess.SubprocessError) as e:
        results.append(("second pass", [str(e)]))
    failed = 0
    for name, problems in results:
        for p in problems:
            print("FAIL %s: %s" % (name, p))
        failed += bool(problems)
    if WRITE:
        print("expected files written to %s: review them by hand" % EXPECTED_DIR)
    print("%d of %d analysis cases through the line console passed"
          % (len(results) - failed, len(results)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
