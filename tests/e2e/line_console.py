#!/usr/bin/env python3
"""The line console as a filter: the program with standard input and output on pipes.

Usage: line_console.py PROGRAM. Drives the stand-in dialogue ("? " asks for two comma-separated
answers, "[a][b]" echoes them, an empty first answer ends) and checks standard output byte for
byte, the exit code, and the code page 932 bytes the program stored (standin.log). Every run is
bounded by a timeout.
"""
import os
import subprocess
import sys
import tempfile

PROGRAM = os.path.abspath(sys.argv[1])
TIMEOUT = 20

BANNER = "dftanalyze stand-in\n"
TOO_FEW = "入力データの個数が足りません\n"
TOO_MANY = "入力データの個数が多すぎます\n"

# name, standard input (UTF-8), expected standard output (UTF-8), expected standin.log (bytes)
CASES = [
    ("answers then an empty answer ends",
     "abc,def\n,\n",
     BANNER + "? abc,def\n[abc][def]\n? ,\n",
     b"[abc][def]\r\n"),
    ("CR LF ends a line like LF",
     "1,2\r\n,\r\n",
     BANNER + "? 1,2\n[1][2]\n? ,\n",
     b"[1][2]\r\n"),
    ("too few and too many items ask again",
     "x\n1,2,3\n4,5\n,\n",
     BANNER + "? x\n" + TOO_FEW + "? 1,2,3\n" + TOO_MANY + "? 4,5\n[4][5]\n? ,\n",
     b"[4][5]\r\n"),
    ("end of input while a line is open ends the program",
     "a,b\n",
     BANNER + "? a,b\n[a][b]\n? ",
     b"[a][b]\r\n"),
    ("end of input at once",
     "",
     BANNER + "? ",
     b""),
    ("a last line without its LF is still a line",
     "p,q",
     BANNER + "? p,q\n[p][q]\n? ",
     b"[p][q]\r\n"),
    ("a Japanese answer is stored as code page 932 and shown as UTF-8",
     "日本語,ｶﾅ\n,\n",
     BANNER + "? 日本語,ｶﾅ\n[日本語][ｶﾅ]\n? ,\n",
     b"[\x93\xfa\x96\x7b\x8c\xea][\xb6\xc5]\r\n"),   # 日本語, half-width カナ
    ("a character with no code page 932 form is dropped",
     "a\U0001F600b,c\n,\n",
     BANNER + "? ab,c\n[ab][c]\n? ,\n",
     b"[ab][c]\r\n"),
    ("backspace and tab reach the line editor",
     "ab\x08c,\td\n,\n",
     BANNER + "? abc,\td\n[ac][\td]\n? ,\n",
     b"[ac][\td]\r\n"),
]


def run_case(name, given, want_out, want_log):
    with tempfile.TemporaryDirectory() as work:
        done = subprocess.run([PROGRAM], input=given.encode("utf-8"), cwd=work,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=TIMEOUT)
        log_path = os.path.join(work, "standin.log")
        log = open(log_path, "rb").read() if os.path.exists(log_path) else b""
    problems = []
    if done.returncode != 0:
        problems.append("exit code %d" % done.returncode)
    if done.stdout != want_out.encode("utf-8"):
        problems.append("stdout %r, want %r" % (done.stdout, want_out.encode("utf-8")))
    if log != want_log:
        problems.append("stored %r, want %r" % (log, want_log))
    for p in problems:
        print("FAIL %s: %s" % (name, p))
    return not problems


def main():
    failed = [c[0] for c in CASES if not run_case(*c)]
    print("%d of %d line console cases passed" % (len(CASES) - len(failed), len(CASES)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
