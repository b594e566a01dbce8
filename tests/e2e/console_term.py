"""console_term.py: the terminal console's adapter: the program in a pane of a private tmux
server (its own socket), keys in with send-keys, the screen out with capture-pane.

A question is asked when the cursor shows (only while a line is open) and its row or the rows
above it changed. At every question the screen must be a fresh draw: the line console's output
wrapped at the pane's width (a wide character never split), ending at the cursor on the bottom
row, or earlier with the session's start at the top. A run ends by itself or with Ctrl+C; the
shell behind must then see exit code 0, the modes as before, the main screen and cursor back,
and the end of the line console's output in the terminal's own colours (no SGR code after the
main screen came back), unless a signal ended the program.
"""
import os
import re
import shlex
import subprocess
import tempfile
import unicodedata

from driver import At, Paste, Run, wait

DEADLINE = 120.0   # seconds for one tmux call and for one wait (N = 100001 on a loaded machine)
ENV = dict(os.environ, LC_ALL="C.UTF-8", LANG="C.UTF-8")
ENV.pop("TMUX", None)
SHELL = ('S=$(stty -g); %s; echo "EXIT=$? SAME=$([ "$(stty -g)" = "$S" ] && echo yes)";'
         ' exec cat')   # reports the program's exit code and whether the modes are as before


def width(ch):
    return 2 if unicodedata.east_asian_width(ch) in "WF" else 1


def wrap(line, cols):
    """A line as a terminal of cols columns shows it: a character that would pass the right edge
    starts the next screen line; blanks at the right dropped."""
    lines, x = [""], 0
    for ch in line.expandtabs(8):
        w = width(ch)
        if x + w > cols and x:
            lines.append("")
            x = 0
        lines[-1], x = lines[-1] + ch, x + w
    return [l.rstrip() for l in lines]


class Screen:
    def __init__(self, head, text):
        alt, shown, x, y, self.cols, self.height = head.split()
        self.cols, self.height = int(self.cols), int(self.height)
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
        self.during = None       # [what, fn, done]: fn(screen) at each look until it says done
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
                                 "#{alternate_on} #{cursor_flag} #{cursor_x} #{cursor_y}"
                                 " #{pane_width} #{pane_height}", ";",
                                 "capture-pane", "-p", "-t", "s").split("\n", 1))

    def wait(self, what, check):
        def look():
            self.last = s = self.state()
            if self.during and not self.during[2]:
                self.during[2] = self.during[1](s)
            return s if check(s) else None
        return wait(what, look, DEADLINE, 0.03,
                    lambda: "; screen:\n" + "\n".join(self.last.rows).rstrip())

    def keys(self, text):
        for i, part in enumerate(text.split("\b")):
            if i:
                self.tmux("send-keys", "-t", "s", "BSpace")
            if part:
                self.tmux("send-keys", "-t", "s", "-l", "--", part)

    def pid(self):
        shell = self.tmux("display-message", "-p", "-t", "s", "#{pane_pid}").strip()
        with open("/proc/%s/task/%s/children" % (shell, shell)) as f:
            return int(f.read().split()[0])

    def fresh(self, s):
        """The transcript's screen lines that s shows as a fresh draw at a question, or None. The
        cursor stands right after the question (a stale picture cut narrower has it further)."""
        want = [l for row in self.transcript.split("\n") for l in wrap(row, s.cols)]
        rows = s.rows[:s.y + 1]
        if any(s.rows[s.y + 1:]) or not 0 <= s.x - sum(map(width, rows[-1])) <= 1:
            return None
        return next((want[:i + 1] for i in range(s.y, len(want))
                     if want[i - s.y:i] == rows[:-1] and want[i].startswith(rows[-1])
                     and (i == s.y or s.y == s.height - 1)), None)

    def question_line(self, s):
        shown, count = self.fresh(s), 0
        for row in self.transcript.split("\n") if shown else []:
            count += len(wrap(row, s.cols))
            if count >= len(shown):
                return row
        return None

    def check_screen(self, s, r):
        if not r.problems and self.fresh(s) is None:
            r.problems.append("the screen at a question is not a fresh draw of the line "
                              "console's output:\n" + "\n".join(s.rows[:s.y + 1]))

    def answer(self, answer, s):
        if isinstance(answer, At):
            line = self.question_line(s) if self.transcript else s.rows[s.y]   # bench: none
            if not (line or "").startswith(answer.question.rstrip()):
                raise AssertionError("not at the question %r" % answer.question)
            for fn in answer.fns:
                fn(self)
            return self.wait("the question again", lambda t: t.ended or t.open)
        if isinstance(answer, Paste):
            self.tmux("set-buffer", "--", answer)
            self.tmux("paste-buffer", "-p", "-t", "s")
        else:
            self.keys(answer)
        line = self.question_line(s)
        if line is not None:   # the question's line with the answer typed, Backspace's gone
            typed = wrap(line, s.cols)
            self.wait("the answer %r whole" % answer,
                      lambda t: t.rows[t.y + 1 - len(typed):t.y + 1] == typed
                      or t.rows[t.y - len(typed):t.y] == typed and not t.rows[t.y])
        self.tmux("send-keys", "-t", "s", "Enter")
        t = self.wait("the question after %r" % answer, lambda t: t.ended or (
            t.open and (t.y, t.rows[:t.y]) != (s.y, s.rows[:s.y])))
        if self.during:   # a step looked at the screens while the answer was waited for
            what, _, done = self.during
            self.during = None
            if not done:
                raise AssertionError("%s: not seen while the answer was waited for" % what)
            t = self.wait("a fresh draw after " + what,
                          lambda t: t.ended or t.open and self.fresh(t) is not None)
        return t

    def run(self, case, work):
        runs = [self.session(case, work, cols, rows)
                for cols, rows in case.get("sizes", [(80, 24)])]
        r = max(runs, key=lambda run: run.code != 0)
        r.problems = [p for run in runs for p in run.problems]
        return r

    def session(self, case, work, cols, rows):
        self.work, r, self.signalled = work, Run(None), False
        self.size = cols, rows
        self.tmux("new-session", "-d", "-s", "s", "-x", str(cols), "-y", str(rows), "-c", work,
                  "sh", "-c", SHELL % shlex.quote(self.program))
        out = tempfile.NamedTemporaryFile(prefix="dft-e2e-term-")   # the bytes the pane got
        self.tmux("pipe-pane", "-t", "s", "cat >> " + shlex.quote(out.name))
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
                    .split("\nEXIT=")[0].split("\n")][1:]   # wrapped rows joined; the first
            # may be the end of a line whose start lies above the pane
            want = [row.expandtabs(8).rstrip() for row in self.transcript.rstrip("\n").split("\n")]
            if not self.signalled and rows != want[-len(rows):]:
                r.problems.append("the normal screen at the end is not the end of the session:\n"
                                  + "\n".join(rows))
            left = out.read().rpartition(b"\x1b[?1049l")[2]   # the session left behind
            if not self.signalled and re.search(rb"\x1b\[[0-9;]*m", left):
                r.problems.append("colour codes in the session left on the normal screen: %r"
                                  % left[:300])
        finally:
            self.tmux("kill-session", "-t", "s", check=False)
            out.close()
        return r

    def close(self):
        self.tmux("kill-server", check=False)
        socket = os.path.join(os.environ.get("TMUX_TMPDIR", "/tmp"), "tmux-%d" % os.getuid(),
                              self.socket)
        if os.path.exists(socket):
            os.unlink(socket)
