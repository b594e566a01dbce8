"""console_term.py: the terminal console's adapter for the driver. The program runs in a pane of
a private tmux server (its own socket, killed at the end whatever happened); keys go in with
send-keys, the screen comes out with capture-pane.

A question counts as asked when the cursor shows (the console shows it only while a line is
open) and the cursor's row number or the rows above it differ from those at the question before:
while an answer is echoed, both stay. At every question the screen must be a run of rows of the
line console's output for the same case (its own row compared without the answer), with nothing
below the cursor. A run ends by itself or with Ctrl+C at the question where its answers ran out;
either way the shell behind the program must see exit code 0 and the terminal's modes as before,
the main screen back and the cursor shown. Every tmux call and every wait has a deadline.
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


def without_backspaces(answer):
    """The answer as typed once each Backspace has taken the character before it."""
    if not isinstance(answer, str):
        return answer
    kept = ""
    for c in answer:
        kept = kept[:-1] if c == "\b" else kept + c
    return kept


class Term:
    name = "term"

    def __init__(self, program):
        self.program = program
        self.socket = "dft-e2e-%d" % os.getpid()
        self.work = None         # the folder of the run under way
        self.transcript = ""     # the line console's output for the same case

    def can_run(self, case):
        return "stdin" not in case and "term" in case.get("consoles", ("term",))

    def reference_case(self, case):
        """The line console echoes a Backspace's victim; the reference types without them."""
        return dict(case, answers=[without_backspaces(a) for a in case.get("answers", [])])

    def tmux(self, *args, check=True):
        done = subprocess.run(["tmux", "-L", self.socket, "-f", "/dev/null"] + list(args),
                              env=ENV, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=DEADLINE)
        if check and done.returncode != 0:
            raise AssertionError("tmux %s: %s" % (" ".join(args), done.stderr.decode().strip()))
        return done.stdout.decode("utf-8", "replace")

    def state(self):
        head, _, text = self.tmux(
            "display-message", "-p", "-t", "s",
            "#{alternate_on} #{cursor_flag} #{cursor_x} #{cursor_y}", ";",
            "capture-pane", "-p", "-t", "s").partition("\n")
        return Screen(head, text)

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
        return int(subprocess.run(["ps", "-o", "pid=", "--ppid", shell], stdout=subprocess.PIPE,
                                  timeout=DEADLINE).stdout.split()[0])

    def check_screen(self, s, r):
        want = [row.expandtabs(8).rstrip() for row in self.transcript.split("\n")]
        rows = s.rows[:s.y + 1]
        if r.problems or not any(s.rows[s.y + 1:]) and any(
                want[i - s.y:i] == rows[:-1] and want[i].startswith(rows[-1])
                for i in range(s.y, len(want))):
            return
        r.problems.append("the screen at a question is not the line console's output:\n"
                          + "\n".join(rows))

    def run(self, case, work):
        self.work = work
        self.tmux("new-session", "-d", "-s", "s", "-x", "132", "-y", "40", "-c", work,
                  "sh", "-c", SHELL % shlex.quote(self.program))
        r, s = Run(None), None
        try:
            s = self.wait("the first question", lambda t: t.ended or t.open)
            for answer in case.get("answers", []):
                if s.ended:
                    r.problems.append("the program ended before all answers were given")
                    break
                self.check_screen(s, r)
                if isinstance(answer, At):
                    if not s.rows[s.y].startswith(answer.question.rstrip()):
                        r.problems.append("not at the question %r" % answer.question)
                    for fn in answer.fns:
                        fn(self)
                    s = self.wait("the question again", lambda t: t.ended or t.open)
                    continue
                if isinstance(answer, Paste):
                    self.tmux("set-buffer", "--", answer)
                    self.tmux("paste-buffer", "-p", "-t", "s")
                else:
                    self.keys(answer)
                self.tmux("send-keys", "-t", "s", "Enter")
                s = self.wait("the question after %r" % answer, lambda t, q=s: t.ended or (
                    t.open and (t.y, t.rows[:t.y]) != (q.y, q.rows[:q.y])))
            if not s.ended:
                self.check_screen(s, r)
                self.tmux("send-keys", "-t", "s", "C-c")
                s = self.wait("the end after Ctrl+C", lambda t: t.ended)
            end = next(row for row in s.rows if row.startswith("EXIT="))
            r.code = int(end.split()[0][5:])
            if not end.endswith("SAME=yes") or not s.shown:
                r.problems.append("the terminal is not as it was: %s, cursor shown %s"
                                  % (end, s.shown))
        finally:
            self.tmux("kill-session", "-t", "s", check=False)
        return r

    def close(self):
        self.tmux("kill-server", check=False)
        socket = os.path.join(os.environ.get("TMUX_TMPDIR", "/tmp"), "tmux-%d" % os.getuid(),
                              self.socket)
        if os.path.exists(socket):
            os.unlink(socket)
