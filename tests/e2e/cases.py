#!/usr/bin/env python3
"""cases.py TABLE CONSOLE PROGRAM [REFERENCE_PROGRAM] [--write-expected]: the end-to-end cases,
one table each (analysis: the dialogue and its files; hostile: input no user would give; saving:
a save that fails at each step, see save_faults.c), run by driver.py on a console (line, term,
wine). The keys of a row are driver.py's; expected/ holds the reviewed outputs.
"""
import fcntl
import os
import re
import signal
import subprocess
import sys
import threading
import time

sys.dont_write_bytecode = True   # no __pycache__ in the source tree
from driver import (ASK_AGAIN, ASK_IMPORT, ASK_N, ASK_PROCEED, ASK_REPEAT, ASK_REPEAT_UNSAVED,
                    ASK_SHOW, BAD_N, CLOSED, FIFO, FOLDER, NO_DATA, NOT_FOUND, SAVE_FAILED,
                    SHORT_DATA, TOO_MANY, At, Line, Paste, column, EXAMPLE,
                    long_signal, main, read)

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
    def step(con):
        with open(os.path.join(con.work, name), "rb") as f:
            fcntl.flock(f, fcntl.LOCK_EX | fcntl.LOCK_NB)   # OSError (EAGAIN) while held
    return step


def data_becomes(data):
    return lambda con: open(os.path.join(con.work, "data.csv"), "wb").write(data)


def unwritable_folder(con):
    os.chmod(con.work, 0o555)


def resized(*sizes):
    """The terminal at each (columns, rows) in turn, then its own size: a fresh draw each time."""
    def step(con):
        for cols, rows in sizes + (con.size,) if con.name == "term" else ():
            con.tmux("resize-window", "-t", "s", "-x", str(cols), "-y", str(rows))
            con.wait("a fresh draw at %d x %d" % (cols, rows), lambda t: (
                t.cols, t.height) == (cols, rows) and t.open and con.fresh(t) is not None)
    return step


def progress_shown(con):
    """The wait shows its progress on the screen; the fresh draws after show it in no row."""
    con.during = ["the progress on the screen", lambda t: any(
        re.search(r"計算中 \d+%", row) for row in t.rows), False]


def half_typed(text):
    """Typed without Enter before the window is closed: the line must not reach the program."""
    return lambda con: con.name == "wine" and con.call("xdotool", "type", text) and time.sleep(1)


def suspended(key):
    """SIGTSTP (key None) or the key stops the program with the terminal given back (the main
    screen, autowrap on, cooked modes); SIGCONT takes it again with the same screen and caret."""
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


ANALYSIS = [
    dict(name="--version: the version alone, no session", consoles=["line"], args=["--version"],
         out="version.txt", err="empty.txt"),
    dict(name="any other argument: the usage on standard error, exit code 2", consoles=["line"],
         args=["--version", "x"], code=2, out="empty.txt", err="usage.txt"),
    dict(name="N = 4 with 1, 0, 0, 0; empty answers mean yes", data=ONE_ZERO,
         answers=["4", "", "", "", ""], out="n4.txt", result="n4.csv"),
    dict(name="import NO and no ask N again without N=; No means yes; display no skips",
         data=ONE_ZERO, answers=["4", "NO", "2", "no", "4", "No", "", "no", ""],
         out="import_no.txt", result="n4.csv"),
    dict(name="N of 0, -3, 2.5, 100002, 1e5, 16abc, 1 2 or Enter alone is asked again; 1.0 and"
              " blanks around it are 1; one bin shown, the header line alone written",
         data=column(["2"]), answers=["0", "-3", "2.5", "100002", "1e5", "16abc", "1 2", "",
                                      " 1.0 "] + one_pass(1, "YES")[1:],
         out="bad_n.txt", result="n1.csv", consoles=ALL),
    dict(name="a missing data.csv is reported, where and why, and N asked again",
         answers=["4", "YES", "1", ""], out="missing_data.txt"),
    dict(name="too few samples are reported once and read as 0", data=column(["1", "2"]),
         answers=one_pass(4, "YES"), out="short_data.txt", result="short_data.csv"),
    dict(name="a Result.csv that is a folder is reported", data=ONE_ZERO,
         files={"Result.csv": FOLDER}, answers=["4", "", "", "no", ""], out="save_failed.txt"),
    dict(name="a Result.csv held by another is reported and left as it was", data=ONE_ZERO,
         files={"Result.csv": EARLIER}, hold="Result.csv", answers=["4", "", "", "no", ""],
         says={SAVE_FAILED: 1, "{work}/Result.csv: ほかのプログラムが使用中です\n": 1}),
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
         out="example256.txt", result="example256.csv"),
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
              " without code page 932 dropped", data=ONE_ZERO, result="n4.csv", consoles=ALL,
         shot="japanese", answers=["5\b", Paste("4"), "日本語ｶﾅ\U0001F600", "", "no", ""],
         says={ASK_IMPORT + "日本語ｶﾅ\n": 1, BAD_N: 1, ASK_N + "\n": 1}),
    dict(name="a shorter terminal keeps the input line at its bottom, a taller one brings the rows"
              " back", consoles=["term"], data=ONE_ZERO, result="n4.csv",
         answers=["4", At(ASK_IMPORT, resized((80, 4), (80, 40))), "YES", "", "NO", ""]),
    dict(name="N = 256 displayed at 80 x 24, 40 x 20 and 100 x 30: every line whole, resized and"
              " drawn afresh", consoles=["term"], sizes=[(80, 24), (40, 20), (100, 30)],
         data=EXAMPLE, result="example256.csv",
         answers=one_pass(256, "YES")[:-1] + [At(ASK_REPEAT, resized((40, 12), (100, 30))), ""]),
    dict(name="the wait of N = 100001 shows its progress on the screen, and in no row",
         consoles=["term"], data=long_signal(100001), long=True, saved=100001,
         answers=one_pass(100001)[:2] + [At(ASK_PROCEED, progress_shown), "", "NO", ""]),
    dict(name="SIGTSTP and Ctrl+Z give the terminal back, SIGCONT takes it again and redraws",
         consoles=["term"], data=ONE_ZERO, result="n4.csv",
         answers=["4", At(ASK_IMPORT, suspended(None), suspended("C-z")), "YES", "", "NO", ""]),
]


def hostile_data(name, data, n, short, show="NO", **more):
    return dict(name=name, data=data, answers=one_pass(n, show), saved=n,
                says={SHORT_DATA: int(short), ASK_REPEAT: 1}, **more)


def typed(name, stdin, n, says):
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
    """DFT_FAULT=plan fails a step of the save (save_faults.c) beside an old Result.csv and the
    user's files. outcome: "old" reported, the old file kept; "unsure" reported, the new file in
    place but not known to be on the disk; "saved"; "csv" saved, but no Result.svg."""
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


SAVING += [
    dict(name="data.csv read while another holds a shared lock on it", data=EXAMPLE,
         answers=[At(ASK_N, shared_lock)] + one_pass(8), saved=8),
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
