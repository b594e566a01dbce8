"""driver.py: the one driver of the end-to-end tests. A case (a row of cases.py) runs in a scratch
folder on a console adapter, and every run ends with the same checks. A case is a dict of these
keys alone (any other, which no check reads, fails the row); every key but name may be left out:
  name, data  what the case shows; data.csv's bytes, or FIFO: a named pipe without a writer
  files       {name: bytes or FOLDER} there before the run, the same after (Result.csv unless
              saved); hold: the name of one held with an exclusive flock while the program runs
  env, command, args  variables added ({build}: the program's folder); a command to run it
              behind; the program's arguments. long: left out in a sanitized build (N = 100001)
  answers     each typed and ended with Enter ("\b" is Backspace); Paste(text) is pasted, then
              Enter; At(question, fn, ...) calls fn(console) while the program waits at question
  stdin       the raw bytes of standard input instead of answers, or CLOSED: no descriptor 0
  out, err, says, ends  standard output, standard error byte for byte as expected/OUT, ERR;
              {text: times} it holds text exactly that often; it ends with this text. The
              run's folder stands in the output checks as {work}, whatever its name
  code        the exit code, 0 unless given
  result      Result.csv byte for byte as expected/RESULT; saved: Result.csv is complete for
              N = saved (its header and N/2 well-formed lines)
  picture     False: no Result.svg although Result.csv is saved
  clash       a file left with these bytes is another's, not the program's
  after       fn(console) for each, after the run on the line console
  consoles    those it runs on; by default line and term where they can give its input
  shot        (window) a name: the window at its last question is expected/wineV/NAME.png
  sizes       (terminal) the (columns, rows) it runs at, one run each; 80 x 24 if not given

Every run must end with its exit code within TIMEOUT, without a sanitizer report, leaving no file
but data.csv, Result.csv, Result.svg (well-formed XML, there exactly when Result.csv was saved)
and the case's files. The output checks and after hold on the line console; any other console's
Result.csv and Result.svg must be the line console's for the case typed without what Backspace
took, whose output it gets as transcript.
"""
import fcntl
import math
import os
import re
import select
import signal
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET


def read(path):
    with open(path, "rb") as f:
        return f.read()


TIMEOUT = 300   # seconds for one run: N = 20000 in the AddressSanitizer build on a loaded machine
HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLE = read(os.path.join(HERE, "..", "..", "examples", "data.csv"))
EXPECTED_DIR = os.path.join(HERE, "expected")
WRITE = "--write-expected" in sys.argv   # writes out and result files, for a person to review
FIFO, FOLDER, CLOSED = "fifo", "folder", "closed"
KEYS = set("name data files hold env command args answers stdin out err says ends code result saved"
           " picture clash after consoles shot sizes long".split())
KEPT = {"data.csv", "Result.csv", "Result.svg"}
SANITIZER_MARKS = (b"AddressSanitizer", b"runtime error:", b"LeakSanitizer", b"ThreadSanitizer")

# The dialogue's texts as the line console shows them (UTF-8, CR LF as LF).
ASK_N = "N=? "
ASK_AGAIN = "? "
ASK_IMPORT = "Excel data.csv よりデーターを取り込みます(YES or NO)? "
ASK_PROCEED = "データー抽出しました。これから変換処理します（Enter)? "
ASK_SHOW = "解析結果を表示しますか？(Yes or NO)? "
ASK_REPEAT_UNSAVED = "(終了するにはENTERをやり直すには9と入力)"
ASK_REPEAT = "Excel Result.csv に解析結果を保存しました。" + ASK_REPEAT_UNSAVED
BAD_N = "Nは1から100001までの整数で入力してください\n"
NO_DATA = "data.csv を開けません\n"
SHORT_DATA = "data.csv のデータが足りません。足りない分は0とします\n"
SAVE_FAILED = "Result.csv に保存できませんでした\n"
NOT_FOUND = "{work}/data.csv: ファイルまたはフォルダが見つかりません\n"
TOO_MANY = "入力データの個数が多すぎます\n"
RESULT_HEADER = "虚数部,実数部,絶対値(対数)\r\n".encode("cp932")


def wait(what, predicate, timeout=TIMEOUT, step=0.1, screen=lambda: ""):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = predicate()
        if value is not None:
            return value
        time.sleep(step)
    raise AssertionError("no %s within %g s%s" % (what, timeout, screen()))


class Paste(str):
    """An answer pasted where the console has a clipboard, typed where it has none."""


class At:
    def __init__(self, question, *fns):
        self.question, self.fns = question, fns


class Run:
    """One run: the exit code (negative: a signal's), standard output if any, the console's
    own problems."""
    def __init__(self, code, raw=None, err=b"", hung=False):
        self.code, self.raw, self.err, self.hung, self.problems = code, raw, err, hung, []
        self.out = None if raw is None else raw.decode("utf-8", "replace")


# ---- sample files, Result.csv -------------------------------------------------------------------

def column(values):
    return b"".join(b"%s\r\n" % str(v).encode() for v in values)


def long_signal(count):
    """count samples of two tones and a slow ripple, six decimals each; the same on every run."""
    return column(["%.6f" % (math.sin(2 * math.pi * 37 * n / count)
                             + 0.5 * math.cos(2 * math.pi * 121 * n / count)
                             + 0.01 * ((n * 7919) % 101 - 50) / 50) for n in range(count)])


RESULT_LINE = re.compile(b",".join([rb"-?(\d+(\.\d+)?(e[+-]\d+)?|inf|nan)"] * 3))


def check_csv(data, count):
    lines = data.split(b"\r\n")
    if lines[0] + b"\r\n" != RESULT_HEADER or lines[-1] or len(lines) != count // 2 + 2 or not all(
            RESULT_LINE.fullmatch(line) for line in lines[1:-1]):
        return ["Result.csv is torn or malformed, want the header and %d lines: %r"
                % (count // 2, data[:200])]
    return []


# ---- the line console: the program as a filter on pipes ---------------------------------------

def read_until(proc, out, tail):
    fd, deadline, mark = proc.stdout.fileno(), time.monotonic() + TIMEOUT, len(out)
    while len(out) <= mark or not out.endswith(tail):
        left = deadline - time.monotonic()
        if left <= 0:
            raise AssertionError("standard output does not come to %r: %r" % (tail, out[-200:]))
        if select.select([fd], [], [], min(left, 1.0))[0]:
            chunk = os.read(fd, 65536)
            if not chunk:
                raise AssertionError("standard output ended before %r: %r" % (tail, out[-200:]))
            out += chunk
    return out


class Line:
    name = "line"

    def __init__(self, program):
        self.program, self.work = program, None   # work: the folder of the run under way

    def can_run(self, case):
        return "line" in case.get("consoles", ["line"])

    def close(self):
        pass

    def run(self, case, work):
        """Answers before an At go in at once; at an At, standard output is read up to its
        question before its steps are taken."""
        self.work = work
        closed = case.get("stdin") is CLOSED
        given, out, hung = b"" if closed else case.get("stdin", b""), b"", False
        env = {k: v.format(build=os.path.dirname(self.program))
               for k, v in case.get("env", {}).items()}
        proc = subprocess.Popen(case.get("command", []) + [self.program] + case.get("args", []),
                                cwd=work, env=dict(os.environ, **env), stdout=subprocess.PIPE,
                                stdin=None if closed else subprocess.PIPE, stderr=subprocess.PIPE,
                                start_new_session=True,
                                preexec_fn=(lambda: os.close(0)) if closed else None)
        try:
            for answer in case.get("answers", []):
                if isinstance(answer, At):
                    proc.stdin.write(given)
                    proc.stdin.flush()
                    given, out = b"", read_until(proc, out, answer.question.encode())
                    for fn in answer.fns:
                        fn(self)
                else:
                    given += answer.encode() + b"\n"
            try:
                rest, err = proc.communicate(None if closed else given, timeout=TIMEOUT)
            except subprocess.TimeoutExpired:
                os.killpg(proc.pid, signal.SIGKILL)
                rest, err = proc.communicate()
                hung = True
        finally:
            if proc.poll() is None:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()
        return Run(proc.returncode, out + rest, err, hung)


# ---- a case: its folder, its run, its checks ---------------------------------------------------

def run_in(console, case, work):
    files = dict(case.get("files", {}), **({} if case.get("data") is None else
                                           {"data.csv": case["data"]}))
    for name, data in files.items():
        path = os.path.join(work, name)
        if data in (FIFO, FOLDER):
            (os.mkfifo if data is FIFO else os.mkdir)(path)
        else:
            with open(path, "wb") as f:
                f.write(data)
    if not case.get("hold"):
        return console.run(case, work)
    with open(os.path.join(work, case["hold"]), "rb") as held:
        fcntl.flock(held, fcntl.LOCK_EX | fcntl.LOCK_NB)
        return console.run(case, work)


def expected(name, got, what, problems):
    path = os.path.join(EXPECTED_DIR, name)
    if WRITE:
        with open(path, "wb") as f:
            f.write(got)
    elif got != read(path):
        problems.append("%s differs from expected/%s:\n  got  %.1500r\n  want %.1500r"
                        % (what, name, got, read(path)))


def ended_well(r, code, problems):
    if r.hung:
        problems.append("hung (killed after %d s)" % TIMEOUT)
    elif r.code != code:
        problems.append("exit code %d; stderr %r" % (r.code, r.err[-600:]))
    if any(m in r.err for m in SANITIZER_MARKS):
        problems.append("sanitizer report: %r" % r.err[-600:])


def check_output(case, out, raw, err, problems):
    if "out" in case:
        expected(case["out"], raw, "standard output", problems)
    if "err" in case:
        expected(case["err"], err, "standard error", problems)
    for text, times in case.get("says", {}).items():
        if out.count(text) != times:
            problems.append("%r printed %d times, want %d" % (text, out.count(text), times))
    if not out.endswith(case.get("ends", "")):
        problems.append("output ends %r, want %r" % (out[-120:], case["ends"][-60:]))


def saves(case):
    return "result" in case or "saved" in case


def check_files(case, work, problems):
    path, want = os.path.join(work, "Result.csv"), case.get("result")
    for name, was in case.get("files", {}).items():
        now = os.path.join(work, name)
        if not (name == "Result.csv" and saves(case)) and not (
                os.path.isdir(now) if was is FOLDER else os.path.isfile(now) and read(now) == was):
            problems.append("%s is not as it was before the run" % name)
    if not saves(case):
        if "Result.csv" not in case.get("files", {}) and os.path.lexists(path):
            problems.append("a Result.csv was written")
    elif not os.path.isfile(path):
        problems.append("no Result.csv")
    else:
        if want is not None:
            expected(want, read(path), "Result.csv", problems)
        if "saved" in case:
            problems += check_csv(read(path), case["saved"])
    svg = os.path.join(work, "Result.svg")
    if "Result.svg" not in case.get("files", {}):
        if saves(case) and case.get("picture", True):
            ET.parse(svg)   # raises on no file or a torn one
        elif os.path.lexists(svg):
            problems.append("a Result.svg was written")
    left = sorted(n for n in set(os.listdir(work)) - KEPT - set(case.get("files", {}))
                  if read(os.path.join(work, n)) != case.get("clash"))
    if left:
        problems.append("files left behind: %s" % left)


def typed(answer):
    while isinstance(answer, str) and "\b" in answer:
        answer = re.sub(".?\b", "", answer, count=1)
    return answer


def run_case(console, case, reference):
    with tempfile.TemporaryDirectory() as work, tempfile.TemporaryDirectory() as ref_work:
        if console.name != "line":
            ref_case = dict(case, answers=[typed(a) for a in case.get("answers", [])])
            console.transcript = run_in(reference, ref_case, ref_work).out.replace(
                os.path.realpath(ref_work), os.path.realpath(work))   # as it runs in work
        r = run_in(console, case, work)
        if r.raw is not None:
            r.raw = r.raw.replace(os.path.realpath(work).encode(), b"{work}")
            r.out = r.raw.decode("utf-8", "replace")
        problems = list(r.problems)
        ended_well(r, case.get("code", 0), problems)
        if r.out is not None:
            check_output(case, r.out, r.raw, r.err, problems)
            for fn in case.get("after", []):
                fn(console)
        check_files(case, work, problems)
        for name in ("Result.csv", "Result.svg") if console.name != "line" else ():
            mine, theirs = ([read(f) for f in [os.path.join(w, name)] if os.path.isfile(f)]
                            for w in (work, ref_work))
            if mine != theirs:
                problems.append("%s is not the line console's" % name)
    return problems


def unknown_keys(case):
    extra = sorted(set(case) - KEYS)
    return ["unknown keys %s: no check reads them" % extra] if extra else []


def main(tables, consoles):
    table, kind, *programs = [a for a in sys.argv[1:] if not a.startswith("--")]
    programs = [os.path.abspath(p) for p in programs]
    if not os.path.exists(programs[0]):
        print("FAILED: %s is not built" % programs[0])
        return 1
    console, reference = consoles[kind](programs[0]), Line(programs[-1])
    sanitized = b"__asan_init" in read(programs[0]) or b"__tsan_init" in read(programs[0])
    cases = [c for c in tables[table] if unknown_keys(c) or console.can_run(c)
             and not (c.get("long") and sanitized)]
    failed = 0
    try:
        for case in cases:
            try:
                problems = unknown_keys(case) or run_case(console, case, reference)
            except (AssertionError, OSError, subprocess.SubprocessError, ET.ParseError) as e:
                problems = [str(e)]
            for p in problems:
                print("FAIL %s: %s" % (case["name"], p), flush=True)
            failed += bool(problems)
    finally:
        console.close()
    print("%d of %d %s (%s console) cases passed" % (len(cases) - failed, len(cases), table, kind))
    return 1 if failed else 0
