"""hostile_run.py: what the hostile-input tests share: the analysis run's texts (from
analysis_common), one bounded run of the program as a filter, and the checks every hostile
case ends with: exit code 0 (no crash, no sanitizer report), no hang, no temporary file left,
and a Result.csv that is either absent, the previous file unchanged, or complete.

A run never waits longer than TIMEOUT seconds; a run that does is killed and reported as a hang.
"""
import os
import re
import signal
import subprocess

TIMEOUT = 120   # seconds: generous for the AddressSanitizer build and a loaded machine

# The dialogue's texts, as the line console shows them, are the analysis tests' own.
from analysis_common import (ASK_AGAIN, ASK_IMPORT, ASK_N, ASK_PROCEED, ASK_REPEAT,  # noqa: F401
                             ASK_REPEAT_UNSAVED, ASK_SHOW, BAD_N, BANNER, NO_DATA, RESULT_HEADER,
                             SAVE_FAILED, SHORT_DATA)
TEMPORARY_MARK = ".dftanalyze-"   # in the name of every file the program makes to replace another
SANITIZER_MARKS = (b"AddressSanitizer", b"runtime error:", b"LeakSanitizer", b"ThreadSanitizer")


class Run:
    def __init__(self, code, out, err, hung):
        self.code = code      # exit code; negative: killed by that signal
        self.out = out        # standard output as text (UTF-8, undecodable bytes replaced)
        self.raw = b""        # standard output as bytes
        self.err = err
        self.hung = hung


def run(program, work, given, close_stdin=False, command=None, env=None):
    """Runs the program in work with given (bytes) on a pipe as standard input, or with standard
    input closed altogether (close_stdin). Bounded by TIMEOUT. command: the program behind a
    command of its own (a list); env: variables added to the environment."""
    def close_fd0():
        os.close(0)
    proc = subprocess.Popen((command or []) + [program], cwd=work, env=dict(os.environ, **(env or {})),
                            stdin=None if close_stdin else subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, start_new_session=True,
                            preexec_fn=close_fd0 if close_stdin else None)
    try:
        out, err = proc.communicate(None if close_stdin else given, timeout=TIMEOUT)
        hung = False
    except subprocess.TimeoutExpired:
        os.killpg(proc.pid, signal.SIGKILL)
        out, err = proc.communicate()
        hung = True
    r = Run(proc.returncode, out.decode("utf-8", "replace"), err, hung)
    r.raw = out
    return r


def ended_well(r, problems):
    """A run ended as the program ends: exit code 0, in time, no sanitizer report."""
    if r.hung:
        problems.append("hung (killed after %d s)" % TIMEOUT)
    elif r.code != 0:
        problems.append("exit code %d; stderr %r" % (r.code, r.err[-600:]))
    if any(m in r.err for m in SANITIZER_MARKS):
        problems.append("sanitizer report: %r" % r.err[-600:])


def result_lines(path):
    """Result.csv's lines (bytes, CR LF removed), or None when it does not exist."""
    if not os.path.exists(path):
        return None
    with open(path, "rb") as f:
        data = f.read()
    if not data.endswith(b"\r\n"):
        return [data]   # not ended by a whole line: torn
    return data[:-2].split(b"\r\n")


NUMBER = rb"-?(\d+(\.\d+)?(e[+-]\d+)?|inf|nan)"
LINE = re.compile(NUMBER + b"," + NUMBER + b"," + NUMBER)


def complete_result(work, count, problems):
    """Result.csv is complete for N = count: the header and N/2 (rounded down) well-formed lines."""
    lines = result_lines(os.path.join(work, "Result.csv"))
    if lines is None:
        problems.append("no Result.csv")
        return
    want = count // 2
    if lines[0] + b"\r\n" != RESULT_HEADER or len(lines) != want + 1:
        problems.append("Result.csv has %d lines (header %r), want %d and the header"
                        % (len(lines), lines[0][:40], want + 1))
        return
    for i, line in enumerate(lines[1:]):
        if not LINE.fullmatch(line):
            problems.append("Result.csv line %d is torn or malformed: %r" % (i + 1, line[:80]))
            return


def no_temporary(work, problems):
    left = [name for name in os.listdir(work) if TEMPORARY_MARK in name]
    if left:
        problems.append("the program's temporary files were left behind: %s" % left)


def report(name, problems):
    for p in problems:
        print("FAIL %s: %s" % (name, p))
    return not problems


def finish(kind, results):
    failed = sum(1 for ok in results if not ok)
    print("%d of %d %s cases passed" % (len(results) - failed, len(results), kind))
    return 1 if failed else 0
