#!/usr/bin/env python3
"""cases.py: the end-to-end cases as data, one table each, run by driver.py on a console.

Usage: cases.py TABLE CONSOLE PROGRAM [REFERENCE_PROGRAM] [--write-expected]
  analysis  the dialogue and its files, on the line console and the terminal, a few rows in
            the window under Wine (line, term, wine)
  hostile   input no user would give: data.csv, typed lines, standard input that ends or is
            closed at every question (line console)
  saving    a Result.csv or Result.svg that cannot be written: a fault at each step of the save
            (save_faults.c), the order of its flushes (strace) (line console)
The keys of a row are those of driver.py; expected/ holds the reviewed outputs.
"""
import fcntl
import os
import re
import signal
import subprocess
import sys
import tempfile
import threading
import time
import xml.etree.ElementTree as ET

sys.dont_write_bytecode = True   # no __pycache__ in the source tree
from driver import (ASK_AGAIN, ASK_IMPORT, ASK_N, ASK_PROCEED, ASK_REPEAT, ASK_REPEAT_UNSAVED,
                    ASK_SHOW, BAD_N, CLOSED, FIFO, FOLDER, NO_DATA, NOT_FOUND, SAVE_FAILED,
                    SHORT_DATA, TOO_MANY, At, Line, Paste, check_csv, column, EXAMPLE,
                    long_signal, main, read, wait)
from console_wine import cells, save_shot, still

ONE_ZERO = column(["1", "0", "0", "0"])
FIXTURES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "io", "fixtures")
JAPANESE_HEADER = ("data.csv に数値として読めない項目が 4 個あります（最初は 1 行目の「測定値」を 0 "
                   "としました）\n")
# Run as nobody when the tests run as root, whom a folder's permissions do not stop.
AS_USER = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] if os.geteuid() == 0 else []
EARLIER = b"an earlier result\r\n"
ALL = ["line", "term", "wine"]


def one_pass(n, show="NO"):
    return ["%d" % n, "YES", "", show, ""]


# ---- steps taken while the program waits at a question (the terminal's do nothing on the line
# console, which runs each terminal case as its reference) ----------------------------------------

def released(name):
    """The program has let go of the file: an exclusive flock on it can be taken now."""
    def step(con):
        with open(os.path.join(con.work, name), "rb") as f:
            fcntl.flock(f, fcntl.LOCK_EX | fcntl.LOCK_NB)   # OSError (EAGAIN) while held
    return step


def data_becomes(data):
    return lambda con: open(os.path.join(con.work, "data.csv"), "wb").write(data)


def read_only(name):
    return lambda con: os.chmod(os.path.join(con.work, name), 0o444)


def unwritable_folder(con):
    os.chmod(con.work, 0o555)


def resized(*sizes):
    """The terminal at each (columns, rows) in turn, then at the run's own size again: each time
    the screen is a fresh draw, the input line on its bottom row or the session from its top."""
    def step(con):
        for cols, rows in sizes + (con.size,) if con.name == "term" else ():
            con.tmux("resize-window", "-t", "s", "-x", str(cols), "-y", str(rows))
            con.wait("a fresh draw at %d x %d" % (cols, rows), lambda t: (
                t.cols, t.height) == (cols, rows) and t.open and con.fresh(t) is not None)
    return step


def resized_during_display(con):
    """Once the first result lines show, the terminal shrinks, grows and shrinks while the
    display goes on, then comes back to its size: the next question finds a fresh draw."""
    def resize(t):
        if not any(re.match(r"-?\d\S* +-?\d", row) for row in t.rows):
            return False
        for cols, rows in ((40, 10), (100, 30), (50, 12), con.size):
            con.tmux("resize-window", "-t", "s", "-x", str(cols), "-y", str(rows))
            time.sleep(0.05)
        return True
    con.during = ["the resizes during the display", resize, False]


def progress_shown(con):
    """The wait after the proceed question shows its progress on the screen; the next question's
    fresh draw and the session left at the end show that it went into no row."""
    con.during = ["the progress on the screen", lambda t: any(
        re.search(r"計算中 \d+%", row) for row in t.rows), False]


def half_typed(text):
    """Typed in the window without Enter, a second before it is closed: closing it must not give
    the line to the program."""
    return lambda con: con.name == "wine" and con.call("xdotool", "type", text) and time.sleep(1)


def terminated_while_typing(con):
    if con.name == "term":
        con.keys("typing")
        con.wait("the typed text", lambda t: t.rows[t.y].endswith("typing"))
        con.signalled = True
        os.kill(con.pid(), signal.SIGTERM)


def suspended(key):
    """SIGTSTP (key None) or the key typed stops the program with the terminal given back: the
    main screen, autowrap on, the modes as before the program (cooked: icanon, echo, isig);
    SIGCONT takes it again: raw modes, the alternate screen, the same screen and caret."""
    def step(con):
        if con.name != "term":
            return
        tty, pid = con.tmux("display-message", "-p", "-t", "s", "#{pane_tty}").strip(), con.pid()
        modes = lambda: subprocess.run(["stty", "-a", "-F", tty], capture_output=True,
                                       text=True, timeout=30).stdout.split()
        flags = lambda: con.tmux("display-message", "-p", "-t", "s", "#{alternate_on}#{wrap_flag}")
        stopped = lambda: read("/proc/%d/stat" % pid).split(b") ")[1][:1] == b"T"
        s, raw = con.state(), modes()
        os.kill(pid, signal.SIGTSTP) if key is None else con.tmux("send-keys", "-t", "s", key)
        con.wait("stopped, the terminal given back", lambda t: stopped() and flags() == "01\n")
        cooked = modes()
        assert "-icanon" in raw and all(m in cooked for m in ("icanon", "echo", "isig")), cooked
        os.kill(pid, signal.SIGCONT)
        con.wait("the terminal taken again", lambda t: not stopped() and flags() == "10\n"
                 and t.open and (t.rows, t.x, t.y) == (s.rows, s.x, s.y))
        assert modes() == raw, "the modes after SIGCONT are not those before SIGTSTP"
    return step


def scrolled_back(con):
    """PageUp after PageUp shows the screens of the session above, a line-wrapped screen each
    (the caret hidden with its line), up to the banner; a key of the input line (Backspace on
    the empty line) brings the screen back as it was."""
    if con.name != "term":
        return
    s = con.state()
    shown = con.fresh(s)
    for top in range(len(shown) - s.height, -s.height, -s.height):
        con.tmux("send-keys", "-t", "s", "PageUp")
        page = shown[max(top - s.height, 0):][:s.height]
        con.wait("a page back", lambda t: not t.shown and t.rows[:len(page)] == page)
    assert page[0].startswith("*****"), "PageUp did not come to the banner"
    con.keys("\b")
    con.wait("the bottom again", lambda t: t.open and (t.rows, t.y) == (s.rows, s.y))


# ---- the window: its cells, the view scrolled back, a selection copied ------------------------

def first_question(con):
    """The window at the first question (con.first) and its cells (con.grid) measured on it;
    what the window shows is the shots' to check, pixel for pixel."""
    if con.name == "wine":
        con.first = still(con)
        con.grid = cells(con.first)


def scrolled_back_and_copied(con):
    """After the display at N = 256: the wheel, and PageUp after PageDown took the view to the
    bottom again, each bring the view to the session's top, the same pixels both ways, showing
    the banner as the first question did; there result lines 1 to 5, dragged over and copied
    with Ctrl+C, are on the clipboard as shown (trailing blanks dropped; Wine hands the CR LF
    between rows to X as LF) and hold Result.csv's numbers; the copy clears the selection; a
    right click copies as well; a key typed into the input line returns the view to the bottom."""
    if con.name != "wine":
        return
    bottom, (x0, y0, cw, ch) = still(con), con.grid[:4]
    # Wine 10 leaves the client edge out of the X window once the scrollbar shows: the picture
    # loses the edge on every side, and the client's corner moves up and left by as much.
    edge = (len(con.first[1]) - len(bottom[1])) // 2
    window, at = con.window, lambda col, row: [str(x0 - edge + col * cw),
                                               str(y0 - edge + row * ch + ch // 2)]
    con.call("xdotool", "mousemove", "--window", window, *at(10, 5))
    con.call("xdotool", "click", "--repeat", "120", "--delay", "5", "4")
    top = still(con)
    banner = lambda image, x, y: [row[3 * x:3 * (x + 56 * cw)] for row in image[1][y:y + 3 * ch]]
    assert banner(top, x0 - edge, y0 - edge) == banner(con.first, x0, y0), \
        "the wheel did not bring the banner back"
    con.call("xdotool", "key", "--repeat", "12", "Next")
    assert still(con) == bottom, "PageDown did not return the view to the bottom"
    con.call("xdotool", "key", "--repeat", "12", "Prior")
    assert still(con) == top, "PageUp shows another picture than the wheel"
    lines = con.transcript.split("\n")
    first = next(i for i, line in enumerate(lines) if "\t" in line)   # result line 1
    def copied(last, how, *args):   # result line 1 to last dragged over, then copied
        con.call("xdotool", "mousemove", "--window", window, *at(0, first), "mousedown", "1",
                 "sleep", "0.2", "mousemove", "--window", window, *at(60, last), "sleep", "0.2",
                 "mouseup", "1")
        selected, want = still(con), "\n".join(
            line.expandtabs(8).rstrip() for line in lines[first:last + 1])
        con.call("xdotool", how, *args)
        wait(how + " " + want, lambda: con.call("xclip", "-o", "-selection", "clipboard").stdout
             == want.encode() or None)
        return selected, want
    selected, clip = copied(first + 4, "key", "ctrl+c")
    save_shot(con, top, "n256-top")
    save_shot(con, selected, "n256-selected")
    csv = read(os.path.join(con.work, "Result.csv")).decode("cp932").split("\r\n")[1:6]
    assert [line.split() for line in clip.split("\n")] == [r.split(",")[:2] for r in csv]
    assert selected != top and still(con) == top, "the selection is not shown, or not cleared"
    copied(first, "click", "3")   # a right click on it
    con.call("xdotool", "key", "x", "BackSpace")
    assert still(con) == bottom, "a key of the input line left the view back in the history"


# ---- Result.svg drawn (what it holds is the unit tests' to check) ---------------------------

CHROMIUM = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
            "--no-first-run", "--disable-background-networking", "--disable-component-update",
            "--disable-sync"]


def drawn(con):
    """Headless Chromium draws Result.svg into e2e-result-svg/Result.png beside the program: the
    blue line and the red peak marks must be on it."""
    path = os.path.join(con.work, "Result.svg")
    png = os.path.join(os.path.dirname(con.program), "e2e-result-svg", "Result.png")
    os.makedirs(os.path.dirname(png), exist_ok=True)
    with tempfile.TemporaryDirectory() as profile:
        subprocess.run(CHROMIUM + ["--user-data-dir=" + profile, "--screenshot=" + png,
                                   "--window-size=1000,%s" % ET.parse(path).getroot().get("height"),
                                   "file://" + path], capture_output=True, timeout=120)
    colours = [tuple(map(int, c)) for c in re.findall(r"(\d+): \((\d+),(\d+),(\d+)",
               subprocess.run(["convert", png, "-format", "%c", "histogram:info:-"],
                              capture_output=True, text=True, timeout=60).stdout)]
    line = sum(n for n, r, g, b in colours if b > 120 and r < 90 and g < 120)
    red = sum(n for n, r, g, b in colours if r > 150 and g < 90 and b < 90)
    assert line > 500 and red > 100, "%s: %d line and %d mark pixels" % (png, line, red)


ANALYSIS = [
    dict(name="--version: the version alone, no session", consoles=["line"], args=["--version"],
         out="version.txt", err="empty.txt"),
    dict(name="--help: the usage, no session", consoles=["line"], args=["--help"],
         out="usage.txt", err="empty.txt"),
    dict(name="any other argument: the usage on standard error, exit code 2", consoles=["line"],
         args=["--version", "x"], code=2, out="empty.txt", err="usage.txt"),
    dict(name="N = 4 with 1, 0, 0, 0; empty answers mean yes", data=ONE_ZERO,
         answers=["4", "", "", "", ""], out="n4.txt", result="n4.csv"),
    dict(name="import NO and no ask N again without N=; No means yes; display no skips",
         data=ONE_ZERO, answers=["4", "NO", "2", "no", "4", "No", "", "no", ""],
         out="import_no.txt", result="n4.csv"),
    dict(name="NO with a blank means yes; display NO skips; a repeat answer of 8 ends",
         data=ONE_ZERO, answers=["4", "NO ", "", "NO", "8"], out="import_no_blank.txt",
         result="n4.csv"),
    dict(name="N of 0, -3, 2.5, 100002, 1e5, 16abc, 1 2 or Enter alone is asked again; 1.0 and"
              " blanks around it are 1; one bin shown, the header line alone written",
         data=column(["2"]), answers=["0", "-3", "2.5", "100002", "1e5", "16abc", "1 2", "",
                                      " 1.0 "] + one_pass(1, "YES")[1:],
         out="bad_n.txt", result="n1.csv", consoles=ALL),
    dict(name="a missing data.csv is reported, where and why, and N asked again",
         answers=["4", "YES", "1", ""], out="missing_data.txt"),
    dict(name="a working folder of more than 260 characters starts Wine in another: the line says"
              " where the program looked", deep=True, answers=["4", "YES"], consoles=["wine"],
         shot="long-folder"),
    dict(name="too few samples are reported once and read as 0", data=column(["1", "2"]),
         answers=one_pass(4, "YES"), out="short_data.txt", result="short_data.csv"),
    dict(name="a Result.csv that is a folder is reported", data=ONE_ZERO,
         files={"Result.csv": FOLDER}, answers=["4", "", "", "no", ""], out="save_failed.txt"),
    dict(name="a Result.csv held by another is reported and left as it was", data=ONE_ZERO,
         files={"Result.csv": EARLIER}, hold="Result.csv", answers=["4", "", "", "no", ""],
         says={SAVE_FAILED: 1, "{work}/Result.csv: ほかのプログラムが使用中です\n": 1}),
    dict(name="a read-only Result.csv is reported and left as it was", data=ONE_ZERO,
         files={"Result.csv": EARLIER}, answers=["4", "", "", At(ASK_SHOW, read_only("Result.csv")),
                                                 "no", ""], consoles=["line"],
         says={SAVE_FAILED: 1, "{work}/Result.csv: アクセスが拒否されました\n": 1}),
    dict(name="a folder that may not be written is reported", data=ONE_ZERO, command=AS_USER,
         answers=["4", At(ASK_IMPORT, unwritable_folder), "", "", "no", ""], consoles=["line"],
         says={SAVE_FAILED: 1, "{work}: アクセスが拒否されました\n": 1}),
    dict(name="a UTF-16 export reads as its code page 932 twin (LibreOffice)", consoles=["line"],
         data=read(os.path.join(FIXTURES, "lo-utf16.csv")), answers=one_pass(12),
         result="lo_twins.csv", says={JAPANESE_HEADER: 1}),
    dict(name="the example data, N = 64; input ends (the window closed) at the repeat question",
         data=EXAMPLE, answers=one_pass(64)[:-1], result="example64.csv", consoles=ALL,
         shot="n64"),
    dict(name="input ends at the display question, the window closed with NO half typed",
         data=EXAMPLE, answers=["8", "YES", "", At(ASK_SHOW, half_typed("NO"))], consoles=ALL),
    dict(name="the example data, N = 256, displayed", data=EXAMPLE, answers=one_pass(256, "YES"),
         out="example256.txt", result="example256.csv", after=[drawn]),
    dict(name="display YES in a second pass after a first that declined it (on threads)",
         data=long_signal(257), answers=one_pass(257)[:-1] + ["9"] + one_pass(256, "YES"),
         out="display_after_no.txt", saved=256),
    dict(name="1000 of 1200 samples, N = 1000, displayed", data=long_signal(1200),
         answers=one_pass(1000, "YES"), result="long1000.csv", consoles=ALL, shot="n1000"),
    dict(name="data.csv and Result.csv are let go at the questions; 9 reads data.csv again"
              " from its start", data=column("123456"), out="second_pass.txt",
         result="second_pass.csv",
         answers=["6", "YES", At(ASK_PROCEED, released("data.csv")), "", "no",
                  At(ASK_REPEAT, released("Result.csv"), data_becomes(column("78"))),
                  "9", "4", "YES", "", "no", ""]),
    dict(name="Backspace takes a byte (N asked again); N pasted; Japanese is taken, a character"
              " without code page 932 dropped; in the window with and without a font mapping",
         data=ONE_ZERO, result="n4.csv", consoles=ALL, shot="japanese", plain=True,
         answers=["5\b", Paste("4"), "日本語ｶﾅ\U0001F600", "", "no", ""],
         says={ASK_IMPORT + "日本語ｶﾅ\n": 1, BAD_N: 1, ASK_N + "\n": 1}),
    dict(name="the first question's cells; N = 256 displayed, the window scrolled back to its top"
              " by the wheel and by PageUp, result lines selected and copied", data=EXAMPLE,
         result="example256.csv",
         answers=[At(ASK_N, first_question)] + one_pass(256, "YES")[:-1]
         + [At(ASK_REPEAT, scrolled_back_and_copied)], consoles=["wine"]),
    dict(name="a shorter terminal keeps the input line at its bottom, a taller one brings the rows"
              " back", consoles=["term"], data=ONE_ZERO, result="n4.csv",
         answers=["4", At(ASK_IMPORT, resized((80, 4), (80, 40))), "YES", "", "NO", ""]),
    dict(name="N = 256 displayed at 80 x 24, 40 x 20 and 100 x 30: every line whole, resized and"
              " drawn afresh, PageUp to the banner, a typed key the bottom again",
         consoles=["term"], sizes=[(80, 24), (40, 20), (100, 30)], data=EXAMPLE,
         answers=one_pass(256, "YES")[:-1] + [At(ASK_REPEAT, resized((40, 12), (100, 30)),
                                                  scrolled_back), ""], result="example256.csv"),
    dict(name="resized during the display of N = 20000", consoles=["term"],
         data=long_signal(20000), answers=one_pass(20000, "YES")[:3]
         + [At(ASK_SHOW, resized_during_display), "YES", ""], saved=20000),
    dict(name="the wait of N = 100001 shows its progress on the screen, and in no row",
         consoles=["term"], data=long_signal(100001), long=True, saved=100001,
         answers=one_pass(100001)[:2] + [At(ASK_PROCEED, progress_shown), "", "NO", ""]),
    dict(name="SIGTSTP and Ctrl+Z give the terminal back, SIGCONT takes it again and redraws",
         consoles=["term"], data=ONE_ZERO, result="n4.csv",
         answers=["4", At(ASK_IMPORT, suspended(None), suspended("C-z")), "YES", "", "NO", ""]),
    dict(name="SIGTERM while a line is typed gives the terminal back", consoles=["term"],
         data=ONE_ZERO, answers=["4", At(ASK_IMPORT, terminated_while_typing)]),
]


def hostile_data(name, data, n, short, show="NO", **more):
    """A data.csv no spreadsheet would write: the run ends normally, says so when data.csv
    held fewer than N items, and saves a complete Result.csv."""
    return dict(name=name, data=data, answers=one_pass(n, show), saved=n,
                says={SHORT_DATA: int(short), ASK_REPEAT: 1}, **more)


def typed(name, stdin, n, says):
    """Lines no user would type, piped into the dialogue on the example data; the editor keeps
    at most 255 bytes of a line."""
    return dict(name=name, data=EXAMPLE, stdin=stdin, says=says, saved=n)


REST = b"YES\n\nNO\n\n"   # import, proceed, no display, end
HOSTILE = [
    hostile_data("five megabytes of numbers on one line", b"0.25," * 1000000, 64, False),
    dict(name="one item of 256 MiB, infinity, read to its end in bounded room", answers=one_pass(2),
         data=b"7" * (1 << 28) + b"x", saved=2, says={SHORT_DATA: 1, "data.csv に数値として読めない"
         "項目が 1 個あります（最初は 1 行目の「%s」を inf としました）\n" % ("7" * 24): 1}),
    hostile_data("only commas, more than N", b"," * 1000, 64, False),
    hostile_data("only NUL bytes", b"\0" * 1000, 16, False, "YES"),
    hostile_data("a lone CR inside and at the end", b"1\r2\r", 2, True,
                 result="lone_cr.csv"),
    hostile_data("a quote never closed", b'"1,2,3\r\n4,5 6\t"7', 8, True),
    hostile_data("invalid code page 932 bytes", b"\x81\x82\xff\xfd\xa0\x80,\x82\r\n3\x81,\xfc",
                 6, True, "YES"),
    hostile_data("numbers of 400 digits", b"9" * 400 + b"\r\n1" + b"0" * 399 + b"\r\n0."
                 + b"0" * 398 + b"1\r\n-" + b"9" * 400 + b"\r\n", 4, False, "YES",
                 err="sqr_once.txt"),   # bins of NaN: the square root's error, one line once
    dict(name="a named pipe as data.csv is refused at once", data=FIFO,
         answers=["4", "YES"], says={NO_DATA: 1}, ends=ASK_AGAIN),
    typed("an answer of 10,000 digits to N", b"1" * 10000 + b"\n8\n" + REST, 8, {BAD_N: 1}),
    typed("10,000 bytes of double-byte characters",
          b"8\n" + "日".encode() * 3334 + b"\n" + "本".encode() * 3334 + b"\nNO\n\n", 8, {}),
    typed("10,000 commas are too many items", b"," * 10000 + b"\n8\n" + REST, 8, {TOO_MANY: 1}),
    typed("10,000 bytes without any line end at the last question",
          b"8\n" + REST[:-1] + b"x" * 10000, 8, {}),
    typed("control bytes in every answer",
          b"\x01\x02\x1b[A8\x7f\x00\n8\x08\x088\n\x16YES\x03\n\x07\nN\x08NO\n\x1b\n", 8,
          {BAD_N: 1}),
    typed("invalid UTF-8 around the answers",
          b"\xff\xfe8\xc0\xaf\n\xed\xa0\x80NO\n4\n\xf8\x88\x80\x80\x80YES\n\xe3\x81\n\x80NO\n\n",
          4, {BAD_N: 0}),
    typed("lone CR, CR LF and LF end lines alike", b"8\rYES\r\r\nNO\n\r", 8, {BAD_N: 0}),
    dict(name="a last line without its LF is still a line", data=EXAMPLE,
         stdin=b"4\nYES\n\nNO\n9", saved=4, ends=ASK_N),
    dict(name="standard input closed", data=EXAMPLE, stdin=CLOSED, ends=ASK_N),
    dict(name="input ends after a bad N", data=EXAMPLE, answers=["0"], ends=BAD_N + ASK_AGAIN),
    dict(name="input ends after NO", data=EXAMPLE, answers=["8", "NO"],
         ends=ASK_IMPORT + "NO\n" + ASK_AGAIN),
    dict(name="input ends after a missing data.csv", answers=["8", "YES"],
         ends=NO_DATA + NOT_FOUND + ASK_AGAIN),
]

# Two passes answered up to question k, then standard input ends: the run ends at once at that
# question, Result.csv absent before the first save and complete for the last pass saved after.
PASSES = [("8", ASK_N, 0), ("YES", ASK_IMPORT, 0), ("", ASK_PROCEED, 0), ("NO", ASK_SHOW, 8),
          ("9", ASK_REPEAT, 8), ("4", ASK_N, 8), ("YES", ASK_IMPORT, 8), ("", ASK_PROCEED, 8),
          ("YES", ASK_SHOW, 4), ("", ASK_REPEAT, 4)]
for k in range(len(PASSES) + 1):
    HOSTILE.append(dict(name="input ends after %d answers" % k, data=EXAMPLE,
                        answers=[a for a, _, _ in PASSES[:k]],
                        **({"ends": PASSES[k][1]} if k < len(PASSES) else {}),
                        **({"saved": PASSES[k - 1][2]} if k and PASSES[k - 1][2] else {})))


# ---- a Result.csv or Result.svg that cannot be written ----------------------------------------

OLD = b"old,complete\r\n"
USERS = {"Result.csv": OLD, "Result.csv.tmp": b"the user's own", "notes.txt": b"the user's notes"}
FAILED = {SAVE_FAILED: 1, ASK_REPEAT_UNSAVED: 1, ASK_REPEAT: 0}
SAVED = {SAVE_FAILED: 0, ASK_REPEAT: 1}
FAULTS_ENV = {"LD_PRELOAD": "{build}/libsave_faults.so",
              "ASAN_OPTIONS": "verify_asan_link_order=0:" + os.environ.get("ASAN_OPTIONS", "")}


REASONS = {"ENOSPC": "ディスクに空きがありません", "short": "ディスクに空きがありません",
           "EIO": "入出力エラーが起きました"}


def fault(plan, outcome):
    """DFT_FAULT=plan fails a step of the save (save_faults.c) in a folder with an old Result.csv
    and the user's own files. outcome: "old" reported, the old file kept; "unsure" reported, the
    new file in place but not known to be on the disk; "saved"; "csv" saved, but no Result.svg.
    A reported fault names its reason, and the folder (a new file refused) or Result.csv.
    A create that finds its name taken leaves the other's file ("another's") alone."""
    row = dict(name="a fault at the save: " + plan, data=EXAMPLE, files=USERS, answers=one_pass(8),
               env=dict(FAULTS_ENV, DFT_FAULT=plan), says=SAVED, clash=b"another's")
    if outcome in ("old", "unsure"):
        where = "{work}" if plan.startswith("create") else "{work}/Result.csv"
        row.update(says=dict(FAILED, **{"%s: %s\n" % (where, REASONS[plan.split(":")[-1]]): 1}))
    if outcome != "old":
        row.update(result="example8.csv", picture=outcome == "saved")
    return row


def flushed_in_order(con):
    """strace: the new file opened exclusively and fsync'd before the next open (which may reuse
    its number), renamed over Result.csv, then the folder opened and fsync'd likewise."""
    calls = re.sub(r"(?m)^\d+ +", "", read(os.path.join(con.work, "strace.log")).decode())
    os.remove(os.path.join(con.work, "strace.log"))
    assert re.search(
        r'open(?:at)?\([^\n]*"(Result\.csv\.dftanalyze-[^"]+)"[^\n]*O_EXCL[^\n]* = (\d+)\n'
        r'(?:(?!open).*\n)*?fsync\(\2\) += 0\n(?:.*\n)*?rename\("\1", "Result\.csv"\) += 0\n'
        r'(?:.*\n)*?openat\(AT_FDCWD, "\."[^\n]*O_DIRECTORY[^\n]* = (\d+)\n'
        r'(?:(?!open).*\n)*?fsync\(\3\) += 0\n', calls), "not flushed in order:\n" + calls[-1500:]


WRITES = 1   # Result.csv's for N = 8, its lines in one block; the next is Result.svg's
SAVING = [fault("%s:%s" % (step, error), "old")
          for step in ["create:1", "fsync:1", "close:1", "rename:1"] +
          ["write:%d" % n for n in range(1, WRITES + 1)] for error in ("ENOSPC", "EIO")] + [
    fault("write:1:short", "old"), fault("fsyncdir:1:EIO", "unsure"),
    fault("create:1:taken", "saved"), fault("write:%d:EIO" % (WRITES + 1), "csv"),
    dict(name="a longer old Result.csv is replaced whole", data=EXAMPLE, answers=one_pass(8),
         files={"Result.csv": b"x" * 100000}, result="example8.csv", says=SAVED),
    dict(name="the new file is flushed before its rename, the folder after it", data=EXAMPLE,
         answers=one_pass(8), result="example8.csv", after=[flushed_in_order],
         command=["strace", "-f", "-qq", "-o", "strace.log", "-e",
                  "trace=open,openat,fsync,rename"]),
    dict(name="a Result.svg that is a folder stays, Result.csv is saved", data=EXAMPLE,
         answers=one_pass(8), files={"Result.svg": FOLDER}, result="example8.csv",
         says=dict(SAVED, **{"{work}/Result.svg: フォルダです\n": 1})),
    dict(name="a Result.svg another holds stays, Result.csv is saved", data=EXAMPLE,
         answers=one_pass(8), files={"Result.svg": b"old"}, hold="Result.svg",
         result="example8.csv", says=SAVED),
]


# ---- a hostile world: another reader, another copy, a private file, a signal, links, names -----

def shared_lock(con):
    con.reader = open(os.path.join(con.work, "data.csv"), "rb")   # held to the run's end
    fcntl.flock(con.reader, fcntl.LOCK_SH | fcntl.LOCK_NB)


def private(con):
    os.chmod(os.path.join(con.work, "Result.csv"), 0o600)
    if os.geteuid() == 0:
        os.chown(os.path.join(con.work, "Result.csv"), 65534, 65534)


def kept_private(con):
    st = os.stat(os.path.join(con.work, "Result.csv"))
    assert st.st_mode & 0o777 == 0o600 and (os.geteuid() or st.st_uid == 65534), oct(st.st_mode)


def interrupt_save(con):
    """SIGINT once the save's new file is there (its write held up), to the PID in its name."""
    def send():
        for _ in range(3000):
            names = [n for n in os.listdir(con.work) if n.endswith(".tmp")]
            if names:
                return os.kill(int(names[0].split("-")[1]), signal.SIGINT)
            time.sleep(0.01)
    threading.Thread(target=send, daemon=True).start()


def link(target):
    return lambda con: os.symlink(target, os.path.join(con.work, "Result.csv"))


def no_link(con):
    assert not os.path.islink(os.path.join(con.work, "Result.csv")), "Result.csv is still a link"


def two_copies(con):
    """Two copies started at once in one folder, 20 times: each reads data.csv and saves."""
    for _ in range(20):
        runs = [subprocess.Popen([con.program], cwd=con.work, stdin=subprocess.PIPE,
                                 stdout=subprocess.PIPE, stderr=subprocess.PIPE) for _ in "ab"]
        for p in runs:
            out, err = p.communicate(b"8\nYES\n\nNO\n\n", timeout=120)
            assert p.returncode == 0 and ASK_REPEAT in out.decode(), (out[-300:], err[-300:])
        assert not check_csv(read(os.path.join(con.work, "Result.csv")), 8)


SAVING += [
    dict(name="data.csv read while another holds a shared lock on it", data=EXAMPLE,
         answers=[At(ASK_N, shared_lock)] + one_pass(8), saved=8, after=[two_copies]),
    dict(name="a file system without locks still reads data.csv", data=EXAMPLE, saved=8,
         env=dict(FAULTS_ENV, DFT_FAULT="flock:1:ENOLCK"), answers=one_pass(8)),
    dict(name="a private Result.csv of another owner stays so", data=EXAMPLE, saved=8,
         files={"Result.csv": OLD}, answers=[At(ASK_N, private)] + one_pass(8),
         after=[kept_private]),
    dict(name="SIGINT during a save: no new file left, the old kept, exit code 130",
         data=EXAMPLE, files={"Result.csv": OLD}, env=dict(FAULTS_ENV, DFT_FAULT="write:1:slow"),
         answers=one_pass(8)[:3] + [At(ASK_SHOW, interrupt_save), "NO"], code=130,
         command=["sh", "-c", '(cat; sleep 3) | "$0"']),   # input open past the signal
    dict(name="a dangling link named Result.csv: its name taken", data=EXAMPLE, saved=8,
         answers=[At(ASK_N, link("gone.csv"))] + one_pass(8), after=[no_link]),
    dict(name="a link to a file: replaced by a file, what it led to left alone", data=EXAMPLE,
         files={"target.csv": OLD}, answers=[At(ASK_N, link("target.csv"))] + one_pass(8),
         saved=8, after=[no_link]),
    dict(name="a UTF-8 folder name in the line, a character without code page 932 as ?",
         files={"日本語\U0001F600": FOLDER}, command=["sh", "-c", 'cd 日本語* && exec "$0"'],
         answers=["4", "YES"], says={NO_DATA: 1, NOT_FOUND.replace("{work}", "{work}/日本語?"): 1},
         ends=ASK_AGAIN),
]

if __name__ == "__main__":
    from console_term import Term
    from console_wine import Wine
    sys.exit(main({"analysis": ANALYSIS, "hostile": HOSTILE, "saving": SAVING},
                  {"line": Line, "term": Term, "wine": Wine}))
