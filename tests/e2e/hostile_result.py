#!/usr/bin/env python3
"""hostile_result.py: a Result.csv that cannot be written, end to end.
Usage: hostile_result.py PROGRAM SAVE_FAULTS_LIBRARY.

The program writes a new file of its own beside Result.csv (created exclusively, its name holding
the process id), flushes it to the disk, renames it over Result.csv and flushes the folder. So
whatever goes wrong, Result.csv is the previous file, unchanged, or the new one, whole; on a
failure the user reads "Result.csv に保存できませんでした" and a repeat question that does not
claim a save; no file of the program's is left behind, and the user's own files are untouched
(a Result.csv.tmp among them).

FAULTS fails each step of the save in turn through save_faults.c (LD_PRELOAD; its header names
the steps), and strace shows the order of the flushes.
"""
import fcntl
import os
import re
import shutil
import sys
import tempfile

from hostile_run import (ASK_REPEAT, ASK_REPEAT_UNSAVED, SAVE_FAILED, complete_result, ended_well,
                         finish, no_temporary, report, run)

PROGRAM = os.path.abspath(sys.argv[1])
FAULTS_LIBRARY = os.path.abspath(sys.argv[2])
HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLE_DATA = os.path.join(HERE, "..", "..", "examples", "data.csv")
OLD = b"old,complete\r\n"
USERS = {"Result.csv.tmp": b"the user's own", "notes.txt": b"the user's notes"}

# A fault and what the user must find afterwards: "old" (failure reported, the old Result.csv),
# "saved" (the new one), "unsure" (the new one in place but not known to be on the disk: reported).
# For N = 8 the save makes five writes: the header and four lines; the sixth is the picture's,
# whose failure leaves Result.csv saved and no Result.svg.
WRITES = 5
FAULTS = ([("%s:%s" % (step, error), "old")
           for step in ["create:1", "fsync:1", "close:1", "rename:1"] +
                       ["write:%d" % n for n in range(1, WRITES + 1)]
           for error in ("ENOSPC", "EIO")] +
          [("write:3:short", "old"), ("fsyncdir:1:EIO", "unsure"),
           ("create:1:taken", "saved"), ("write:%d:EIO" % (WRITES + 1), "saved")])


def answers(count):
    return b"%d\nYES\n\nNO\n\n" % count


def read(path):
    with open(path, "rb") as f:
        return f.read()


def expect_failure(r, problems):
    ended_well(r, problems)
    if SAVE_FAILED not in r.out or ASK_REPEAT_UNSAVED not in r.out or ASK_REPEAT in r.out:
        problems.append("the failure is not reported as it should be: %r" % r.out[-200:])


def prepare(work):
    shutil.copy(EXAMPLE_DATA, os.path.join(work, "data.csv"))


def case_folder(work, problems):
    os.mkdir(os.path.join(work, "Result.csv"))
    expect_failure(run(PROGRAM, work, answers(8)), problems)
    if not os.path.isdir(os.path.join(work, "Result.csv")):
        problems.append("the folder Result.csv is gone")
    no_temporary(work, problems)


def case_held(work, problems):
    path = os.path.join(work, "Result.csv")
    with open(path, "wb") as f:
        f.write(OLD)
    with open(path, "rb") as held:
        fcntl.flock(held, fcntl.LOCK_EX | fcntl.LOCK_NB)
        expect_failure(run(PROGRAM, work, answers(8)), problems)
    if read(path) != OLD:
        problems.append("the held Result.csv was changed")
    no_temporary(work, problems)


def case_replaces_longer(work, problems):
    """A new complete file replaces a longer old one: nothing of the old is left at its end."""
    with open(os.path.join(work, "Result.csv"), "wb") as f:
        f.write(b"x" * 100000)
    r = run(PROGRAM, work, answers(8))
    ended_well(r, problems)
    if ASK_REPEAT not in r.out:
        problems.append("no saved repeat question")
    complete_result(work, 8, problems)
    no_temporary(work, problems)


def case_faults(work, problems):
    """Each fault of FAULTS in a folder of its own with an old Result.csv and the user's files."""
    ended_well(run(PROGRAM, work, answers(8)), problems)
    new = read(os.path.join(work, "Result.csv"))
    picture = read(os.path.join(work, "Result.svg"))
    env = {"LD_PRELOAD": FAULTS_LIBRARY, "ASAN_OPTIONS": "verify_asan_link_order=0:" +
           os.environ.get("ASAN_OPTIONS", "")}
    for fault, outcome in FAULTS:
        found = []
        with tempfile.TemporaryDirectory() as folder:
            prepare(folder)
            files = dict(USERS, **{"data.csv": read(os.path.join(folder, "data.csv")),
                                   "Result.csv": OLD})
            for name, data in files.items():
                with open(os.path.join(folder, name), "wb") as f:
                    f.write(data)
            r = run(PROGRAM, folder, answers(8), env=dict(env, DFT_FAULT=fault))
            if outcome == "saved":
                ended_well(r, found)
                if ASK_REPEAT not in r.out:
                    found.append("no saved repeat question: %r" % r.out[-200:])
            else:
                expect_failure(r, found)
            files["Result.csv"] = OLD if outcome == "old" else new
            if outcome == "saved" and fault != "write:%d:EIO" % (WRITES + 1):
                files["Result.svg"] = picture
            now = {name: read(os.path.join(folder, name)) for name in os.listdir(folder)}
            if outcome == "saved" and fault.endswith("taken"):
                files.update({n: d for n, d in now.items() if d == b"another's"})
            for name in sorted(set(files) | set(now)):
                if files.get(name) != now.get(name):
                    found.append("%s is %r, not %r" % (name, (now.get(name) or b"")[:40],
                                                       (files.get(name) or b"")[:40]))
        problems += ["%s: %s" % (fault, p) for p in found]


def case_flushed(work, problems):
    """strace: the new file is fsync'd before the rename, and the folder after it."""
    log = os.path.join(work, "strace.log")
    ended_well(run(PROGRAM, work, answers(8), command=[
        "strace", "-f", "-qq", "-o", log, "-e", "trace=open,openat,fsync,rename"]), problems)
    calls = re.sub(r"(?m)^\d+ +", "", read(log).decode("utf-8", "replace"))
    order = (r'open(?:at)?\([^\n]*"(Result\.csv\.dftanalyze-[^"]+)"[^\n]*O_EXCL[^\n]* = (\d+)\n'
             r'(?:.*\n)*?fsync\(\2\) += 0\n(?:.*\n)*?rename\("\1", "Result\.csv"\) += 0\n'
             r'(?:.*\n)*?openat\(AT_FDCWD, "\."[^\n]*O_DIRECTORY[^\n]* = (\d+)\n'
             r'(?:.*\n)*?fsync\(\3\) += 0\n')
    if not re.search(order, calls):
        problems.append("no fsync of the new file before its rename and of the folder after "
                        "it:\n%s" % calls[-1500:])


CASES = [
    ("a Result.csv that is a folder", case_folder),
    ("a Result.csv another process holds (flock)", case_held),
    ("a longer old Result.csv is replaced whole", case_replaces_longer),
    ("a fault at each step of the save", case_faults),
    ("the new file and the folder flushed in order", case_flushed),
]


def main():
    results = []
    for name, case in CASES:
        problems = []
        with tempfile.TemporaryDirectory() as work:
            prepare(work)
            case(work, problems)
        results.append(report(name, problems))
    return finish("hostile Result.csv", results)


if __name__ == "__main__":
    sys.exit(main())
