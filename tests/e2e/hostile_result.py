#!/usr/bin/env python3
"""hostile_result.py: a Result.csv that cannot be written, end to end. Usage: hostile_result.py PROGRAM.

The program writes Result.csv.tmp beside Result.csv and renames it over Result.csv only once it
is complete. So whatever goes wrong, Result.csv is either the previous file, unchanged, or the
new one, whole; the user reads "Result.csv に保存できませんでした" and a repeat question that does
not claim a save; and no temporary file is left behind (unless it belongs to another).

The full disk is a 32 KiB tmpfs mounted for the test where mount works (root with the right to
mount); elsewhere Result.csv.tmp is a symlink to /dev/full, whose open for writing fails (the
program cannot empty a device), which is checked before it is relied on.
"""
import fcntl
import os
import shutil
import subprocess
import sys
import tempfile

from hostile_run import (ASK_REPEAT, ASK_REPEAT_UNSAVED, SAVE_FAILED, TEMPORARY, complete_result,
                         ended_well, finish, no_temporary, report, run)

PROGRAM = os.path.abspath(sys.argv[1])
HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLE_DATA = os.path.join(HERE, "..", "..", "examples", "data.csv")
OLD = b"old,complete\r\n"


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


def case_temporary_held(work, problems):
    """Another run holds the temporary name: nothing of it is touched, Result.csv stays."""
    path = os.path.join(work, "Result.csv")
    with open(path, "wb") as f:
        f.write(OLD)
    tmp = os.path.join(work, TEMPORARY)
    with open(tmp, "wb") as f:
        f.write(b"another's")
    with open(tmp, "rb") as held:
        fcntl.flock(held, fcntl.LOCK_EX | fcntl.LOCK_NB)
        expect_failure(run(PROGRAM, work, answers(8)), problems)
    if read(path) != OLD or read(tmp) != b"another's":
        problems.append("Result.csv or another's temporary file was changed")


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


def mount_small_disk(path):
    done = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=32k", "tmpfs", path],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return done.returncode == 0


def case_full_disk(work, problems):
    """The disk fills up in the middle of the file: the previous Result.csv stays whole."""
    disk = os.path.join(work, "disk")
    os.mkdir(disk)
    if mount_small_disk(disk):
        try:
            prepare(disk)
            r = run(PROGRAM, disk, answers(8))   # the previous, complete Result.csv
            ended_well(r, problems)
            complete_result(disk, 8, problems)
            before = read(os.path.join(disk, "Result.csv"))
            expect_failure(run(PROGRAM, disk, answers(2048)), problems)   # about 56 KB
            if read(os.path.join(disk, "Result.csv")) != before:
                problems.append("the previous Result.csv was changed")
            no_temporary(disk, problems)
        finally:
            if subprocess.run(["umount", disk]).returncode != 0:
                subprocess.run(["umount", "-l", disk])
        print("full disk: a 32 KiB tmpfs")
        return
    prepare(disk)
    with open(os.path.join(disk, "Result.csv"), "wb") as f:
        f.write(OLD)
    os.symlink("/dev/full", os.path.join(disk, TEMPORARY))
    try:
        with open(os.path.join(disk, TEMPORARY), "wb") as f:
            f.write(b"x")
            f.flush()
        problems.append("/dev/full took a write: no full disk to test with")
        return
    except OSError:
        pass
    expect_failure(run(PROGRAM, disk, answers(8)), problems)
    if read(os.path.join(disk, "Result.csv")) != OLD:
        problems.append("the previous Result.csv was changed")
    print("full disk: no mount here; Result.csv.tmp is a symlink to /dev/full")


CASES = [
    ("a Result.csv that is a folder", case_folder),
    ("a Result.csv another process holds (flock)", case_held),
    ("a temporary name another process holds", case_temporary_held),
    ("a longer old Result.csv is replaced whole", case_replaces_longer),
    ("a full disk in the middle of the file", case_full_disk),
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
