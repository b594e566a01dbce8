#!/usr/bin/env python3
"""The terminal console driven through tmux: keys in with send-keys, the screen out with
capture-pane.

Usage: term_console.py PROGRAM. Runs the stand-in dialogue in a tmux pane of a private server
(its own socket name, killed at the end whatever happens) and checks: the first screen; Backspace
and a double-byte character typed as UTF-8 (stored as code page 932); a bracketed paste of "3,4";
a resize that scrolls; Ctrl+C ending with exit code 0 and the terminal as it was (modes, main
screen, cursor shown). Every wait polls the pane until a deadline.
"""
import os
import shlex
import signal
import subprocess
import sys
import tempfile
import time

PROGRAM = os.path.abspath(sys.argv[1])
sys.dont_write_bytecode = True   # no __pycache__ in the source tree
from tmux_pane import DEADLINE, ENV, kill_server, pane, screen, tmux, wait_for


def wait_for_log(path, want):
    end = time.monotonic() + DEADLINE
    while True:
        got = open(path, "rb").read() if os.path.exists(path) else b""
        if got == want:
            return
        if time.monotonic() > end:
            raise AssertionError("standin.log %r, want %r" % (got, want))
        time.sleep(0.05)


def start(session, work):
    """The program in a new pane, behind a shell that reports its exit code and whether the
    terminal's modes are as before; the pane stays for the checks afterwards."""
    shell = ('S1=$(stty -g); %s;'
             ' echo "EXIT=$? SAME=$([ "$(stty -g)" = "$S1" ] && echo yes)"; exec cat'
             % shlex.quote(PROGRAM))
    tmux("new-session", "-d", "-s", session, "-x", "40", "-y", "10", "-c", work, "sh", "-c", shell)


def check_restored(what, session):
    wait_for(what, lambda s: "EXIT=0 SAME=yes" in s, session)
    if pane("#{alternate_on}", session) != "0" or pane("#{cursor_flag}", session) != "1":
        raise AssertionError("%s: terminal not restored: alternate %s, cursor %s"
                             % (what, pane("#{alternate_on}", session),
                                pane("#{cursor_flag}", session)))


def pid_of(session):
    """The program's process id: the one child of the pane's shell."""
    shell = pane("#{pane_pid}", session)
    children = subprocess.run(["ps", "-o", "pid=", "--ppid", shell], stdout=subprocess.PIPE,
                              timeout=DEADLINE).stdout.split()
    if len(children) != 1:
        raise AssertionError("the shell of %s has children %r" % (session, children))
    return int(children[0])


def run(work):
    log = os.path.join(work, "standin.log")
    start("t", work)

    wait_for("the stand-in's first screen",
             lambda s: s[0] == "dftanalyze stand-in" and s[1] == "?")
    if pane("#{alternate_on}") != "1":
        raise AssertionError("the console is not on the alternate screen")

    # Backspace and a double-byte character.
    tmux("send-keys", "-t", "t", "-l", "ab")
    wait_for("the echo of ab", lambda s: s[1] == "? ab")
    tmux("send-keys", "-t", "t", "BSpace")
    wait_for("the echo of Backspace", lambda s: s[1] == "? a")
    tmux("send-keys", "-t", "t", "-l", "日本,x")
    tmux("send-keys", "-t", "t", "Enter")
    wait_for("the answer with a double-byte character", lambda s: s[2] == "[a日本][x]")
    wait_for_log(log, b"[a\x93\xfa\x96\x7b][x]\r\n")   # 日本 in code page 932

    # A bracketed paste: the text lands in the line, which stays open until Enter.
    wait_for("the next question", lambda s: s[3] == "?")
    tmux("set-buffer", "3,4")
    tmux("paste-buffer", "-p", "-t", "t")
    wait_for("the pasted text", lambda s: s[3] == "? 3,4")
    tmux("send-keys", "-t", "t", "Enter")
    wait_for("the pasted answer", lambda s: s[4] == "[3][4]" and s[5] == "?")

    # Six rows are in use, the cursor on row 5: four rows scroll two off the top, for good.
    tmux("resize-window", "-t", "t", "-y", "4")
    wait_for("the scroll of a shorter terminal",
             lambda s: s[:4] == ["[a日本][x]", "? 3,4", "[3][4]", "?"])
    tmux("resize-window", "-t", "t", "-y", "10")
    wait_for("a taller terminal without the scrolled rows",
             lambda s: s[0] == "[a日本][x]" and "dftanalyze stand-in" not in s)
    if pane("#{cursor_x},#{cursor_y}") != "2,3":
        raise AssertionError("caret at %s, want 2,3" % pane("#{cursor_x},#{cursor_y}"))

    # Ctrl+C closes the window: exit code 0, terminal modes and screen as they were.
    tmux("send-keys", "-t", "t", "C-c")
    check_restored("the end after Ctrl+C", "t")

    # The program's own end (an empty first answer) and SIGTERM restore the terminal too.
    start("end", work)
    wait_for("the first question", lambda s: s[1] == "?", "end")
    tmux("send-keys", "-t", "end", "-l", ",")
    tmux("send-keys", "-t", "end", "Enter")
    check_restored("the program's own end", "end")

    start("term", work)
    wait_for("the first question", lambda s: s[1] == "?", "term")
    tmux("send-keys", "-t", "term", "-l", "typing")   # the signal comes while a line is open
    wait_for("the typed text", lambda s: s[1] == "? typing", "term")
    os.kill(pid_of("term"), signal.SIGTERM)
    check_restored("the end by SIGTERM", "term")


def main():
    with tempfile.TemporaryDirectory() as work:
        try:
            run(work)
        except (AssertionError, subprocess.SubprocessError) as e:
            print("FAIL: %s" % e)
            return 1
        finally:
            kill_server()
    print("terminal console through tmux: passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
