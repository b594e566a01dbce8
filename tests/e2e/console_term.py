"""console_term.py: the terminal console's adapter for the driver. The program runs in a pane of
a private tmux server (its own socket, killed at the end whatever happened); keys go in with
send-keys, the screen comes out with capture-pane. Every tmux call and every wait has a deadline.

A question counts as asked when the cursor shows (the console shows it only while a line is
open) and its row number or the rows above it differ from those at the question before: while
an answer is echoed, both stay. At every question the screen must be a run of rows of the line
console's output for the same case (the question's row without its answer), with nothing below
the cursor. A run ends by itself or with Ctrl+C at the question where its answers ran out; the
shell behind the program must then see exit code 0, the terminal's modes as before, the main
screen back and the cursor shown, and above its report the end of the line console's output: the
session left on the normal screen (not after a signal, which ends the program where it is).
"""
import os
import shlex
import subprocess
import time

from driver import At, Paste, Run

DEADLINE = 30.0   # seconds for one tmux call and for one wait
ENV = dict(os.environ, LC_ALL="C.UTF-8", LANG="C.UTF-8")
ENV.pop("TMUX", None)
SHELL = ('S=$(stty -g); %s; echo "EXIT=$? SAME=$([ "$(stty -g)" = "$S" ] && echo yes)";'
         ' exec cat')   # reports the program's exit code and whether the modes are as before


class Screen:
    def __init__(self, head, text):
        alt, shown, x, y = head.split()
        self.shown = shown == "1"
        self.open = alt == "1" and self.shown     # an input line is open
        self.x, self.y = int(x), int(y)           # the cursor, in cells from the top left
        self.rows = [row.rstrip() for row in text.split("\n")]
        self.ended = alt == "0" and any(row.startswith("EXIT=") for row in self.rows)


class Term:
    name = "term"

    def __init__(self, program):
        self.program = program
        self.socket = "dft-e2e-%d" % os.getpid()
        self.work = None         # the folder of the run under way
        self.transcript = ""     # the line console's output for the same case
        self.signalled = False   # a step of the run under way ended the program by a signal
        # One server for all runs: one exiting after its last session could take the next's socket.
        self.tmux("start-server", ";", "set-option", "-g", "exit-empty", "off")

    def can_run(self, case):
        return "stdin" not in case and "term" in case.get("consoles", ["term"])

    def tmux(self, *args, check=True):
        done = subprocess.run(["tmux", "-L", self.socket, "-f", "/dev/null"] + list(args),
                              env=ENV, capture_output=True, timeout=DEADLINE)
        if check and done.returncode != 0:
            raise AssertionError("tmux %s: %s" % (" ".join(args), done.stderr.decode().strip()))
        return done.stdout.decode("utf-8", "replace")

    def state(self):
        return Screen(*self.tmux("display-message", "-p", "-t", "s",
                                 "#{alternate_on} #{cursor_flag} #{cursor_x} #{cursor_y}", ";",
                                 "capture-pane", "-p", "-t", "s").split("\n", 1))

    def wait(self, what, check):
        end = time.monotonic() + DEADLINE
        while True:
            s = self.state()
            if check(s):
                return s
            if time.monotonic() > end:
                raise AssertionError("%s: not seen within %.0f s; screen:\n%s"
                                     % (what, DEADLINE, "\n".join(s.rows).rstrip()))
            time.sleep(0.03)

    def keys(self, text):
        """Types text; each "\\b" is the Backspace key."""
        for i, part in enumerate(text.split("\b")):
            if i:
                self.tmux("send-keys", "-t", "s", "BSpace")
            if part:
                self.tmux("send-keys", "-t", "s", "-l", "--", part)

    def pid(self):
        """The program's process id: the one child of the pane's shell."""
        shell = self.tmux("display-message", "-p", "-t", "s", "#{pane_pid}").strip()
        with open("/proc/%s/task/%s/children" % (shell, shell)) as f:
            return int(f.read().split()[0])

    def check_screen(self, s, r):
        want = [row.expandtabs(8).rstrip() for row in self.transcript.split("\n")]
        rows = s.rows[:s.y + 1]
        if not r.problems and (any(s.rows[s.y + 1:]) or not any(
                want[i - s.y:i] == rows[:-1] and want[i].startswith(rows[-1])
                for i in range(s.y, len(want)))):
            r.problems.append("the screen at a question is not the line console's output:\n"
                              + "\n".join(rows))

    def answer(self, answer, s):
        """Gives one answer at the question of screen s; returns the screen that follows."""
        if isinstance(answer, At):
            if not s.rows[s.y].startswith(answer.question.rstrip()):
                raise AssertionError("not at the question %r" % answer.question)
            for fn in answer.fns:
                fn(self)
            return self.wait("the question again", lambda t: t.ended or t.open)
        if isinstance(answer, Paste):
            self.tmux("set-buffer", "--", answer)
            self.tmux("paste-buffer", "-p", "-t", "s")
        else:
            self.keys(answer)
        self.tmux("send-keys", "-t", "s", "Enter")
        return self.wait("the question after %r" % answer, lambda t: t.ended or (
            t.open and (t.y, t.rows[:t.y]) != (s.y, s.rows[:s.y])))

    def run(self, case, work):
        self.work, r, self.signalled = work, Run(None), False
        self.tmux("new-session", "-d", "-s", "s", "-x", "132", "-y", "40", "-c", work,
                  "sh", "-c", SHELL % shlex.quote(self.program))
        try:
            s = self.wait("the first question", lambda t: t.ended or t.open)
            for answer in case.get("answers", []):
                if s.ended:
                    raise AssertionError("the program ended before all answers were given")
                self.check_screen(s, r)
                s = self.answer(answer, s)
            if not s.ended:
                self.check_screen(s, r)
                self.tmux("send-keys", "-t", "s", "C-c")
                s = self.wait("the end after Ctrl+C", lambda t: t.ended)
            end = next(row for row in s.rows if row.startswith("EXIT="))
            r.code = int(end.split()[0][5:])
            if not end.endswith("SAME=yes") or not s.shown:
                r.problems.append("the terminal is not as it was: %s, cursor shown: %s"
                                  % (end, s.shown))
            rows = [row.rstrip() for row in self.tmux("capture-pane", "-p", "-J", "-t", "s")
                    .split("\nEXIT=")[0].split("\n")]   # wrapped rows joined
            want = [row.expandtabs(8).rstrip() for row in self.transcript.rstrip("\n").split("\n")]
            if not self.signalled and rows != want[-len(rows):]:
                r.problems.append("the normal screen at the end is not the end of the session:\n"
                                  + "\n".join(rows))
        finally:
            self.tmux("kill-session", "-t", "s", check=False)
        return r

    def close(self):
        self.tmux("kill-server", check=False)
        socket = os.path.join(os.environ.get("TMUX_TMPDIR", "/tmp"), "tmux-%d" % os.getuid(),
                              self.socket)
        if os.path.exists(socket):
            os.unlink(socket)
