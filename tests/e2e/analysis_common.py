"""analysis_common.py: what the end-to-end tests of the analysis run share: its texts as the line
console shows them (UTF-8, CR LF as LF), the sample files, a run of the program as a filter, and
a plain double transform to check "Result.csv" against.

The reference transform takes the program's angles: a = (step * n) * k with step = (2 * 3.141592)
/ N (3.141592, not pi), each product rounded to a double in that order, and the sums in the order
n = 0 .. N-1; only sine and cosine are Python's. So every value must agree to about 1e-12 and is
checked to a relative 1e-9 (an absolute 1e-9 for values near 0).
"""
import math
import os
import subprocess

TIMEOUT = 60   # seconds for one run of the program as a filter
HERE = os.path.dirname(os.path.abspath(__file__))
EXAMPLE_DATA = os.path.join(HERE, "..", "..", "examples", "data.csv")
EXPECTED_DIR = os.path.join(HERE, "expected")

BANNER = ("*" * 56 + "\n" + "*                  DFT(IDFT) ANALYZE                   *\n" + "*" * 56 + "\n")
ASK_IMPORT = "Excel data.csv よりデーターを取り込みます(YES or NO)? "
ASK_PROCEED = "データー抽出しました。これから変換処理します（Enter)? "
ASK_SHOW = "解析結果を表示しますか？(Yes or NO)? "
ASK_REPEAT = "Excel Result.csv に解析結果を保存しました。(終了するにはENTERをやり直すには9と入力)"
ASK_REPEAT_UNSAVED = "(終了するにはENTERをやり直すには9と入力)"
RESULT_TITLE = "解析結果"
ASK_N = "N=? "
ASK_AGAIN = "? "
BAD_N = "Nは1から100001までの整数で入力してください\n"
NO_DATA = "data.csv を開けません\n"
SHORT_DATA = "data.csv のデータが足りません。足りない分は0とします\n"
SAVE_FAILED = "Result.csv に保存できませんでした\n"
RESULT_HEADER = "虚数部,実数部,絶対値(対数)\r\n".encode("cp932")


def example_data():
    with open(EXAMPLE_DATA, "rb") as f:
        return f.read()


def column(values):
    """A data.csv as a spreadsheet writes one column: one value a line, CR LF."""
    return b"".join(b"%s\r\n" % v.encode() if isinstance(v, str) else b"%r\r\n" % v
                    for v in values)


def long_signal(count):
    """count samples of two tones and a slow ripple, six decimals each, as a spreadsheet writes
    them; the same bytes on every run."""
    values = []
    for n in range(count):
        x = (math.sin(2 * math.pi * 37 * n / count) + 0.5 * math.cos(2 * math.pi * 121 * n / count)
             + 0.01 * ((n * 7919) % 101 - 50) / 50)
        values.append("%.6f" % x)
    return column(values)


def run_line(program, work, answers):
    """Runs the program in work with the answers (a str, one line each) on standard input;
    returns (exit code, standard output as bytes)."""
    done = subprocess.run([program], input=answers.encode("utf-8"), cwd=work,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=TIMEOUT)
    return done.returncode, done.stdout


def reference_result(program, work, data, count):
    """Result.csv as the Linux line console writes it for data and N = count, the display
    skipped. Runs in work, which it leaves holding data.csv and Result.csv."""
    with open(os.path.join(work, "data.csv"), "wb") as f:
        f.write(data)
    code, out = run_line(program, work, "%d\nYES\n\nNO\n\n" % count)
    path = os.path.join(work, "Result.csv")
    if code != 0 or not os.path.exists(path):
        raise AssertionError("the line console did not write Result.csv (exit code %d): %r"
                             % (code, out[-300:]))
    with open(path, "rb") as f:
        return f.read()


def parse_samples(data, count):
    """The first count samples of a one-column data.csv; missing ones are 0."""
    values = [float(v) for v in data.replace(b"\r", b"").split(b"\n") if v.strip()]
    return (values + [0.0] * count)[:count]


def plain_transform(samples):
    """Every bin's (real, imaginary) part, the program's angles and order of summation."""
    count = len(samples)
    step = (2 * 3.141592) / count
    bins = []
    for k in range(count):
        re = im = 0.0
        for n, x in enumerate(samples):
            a = (step * n) * k
            re = re + x * math.cos(a)
            im = im - x * math.sin(a)
        bins.append((re, im))
    return bins


def log_abs(re, im):
    total = abs(re) + abs(im)
    return math.log(total) if total != 0 else 0.0


def close(got, want):
    return abs(got - want) <= max(1e-9 * abs(want), 1e-9)


def check_result_csv(result, bins):
    """Problems of a Result.csv against the reference bins: the header, floor(N/2) lines of
    imaginary part, real part and LogAbs, CR LF each."""
    count = len(bins)
    if not result.startswith(RESULT_HEADER):
        return ["Result.csv does not start with its header: %r" % result[:40]]
    body = result[len(RESULT_HEADER):]
    if body and not body.endswith(b"\r\n"):
        return ["Result.csv does not end in CR LF"]
    lines = body.split(b"\r\n")[:-1] if body else []
    if len(lines) != count // 2:
        return ["Result.csv has %d data lines, want %d" % (len(lines), count // 2)]
    problems = []
    for i, line in enumerate(lines):
        re, im = bins[i]
        fields = line.split(b",")
        got = [float(f) for f in fields] if len(fields) == 3 else []
        want = [im, re, log_abs(re, im)]
        if not got or not all(close(g, w) for g, w in zip(got, want)):
            problems.append("Result.csv line %d: %r, want about %r" % (i + 2, line, want))
    return problems[:5]


def check_display(lines, bins):
    """Problems of the displayed lines (imaginary part, TAB, real part; all N bins)."""
    if len(lines) != len(bins):
        return ["%d lines displayed, want %d" % (len(lines), len(bins))]
    problems = []
    for i, line in enumerate(lines):
        re, im = bins[i]
        fields = line.split("\t")
        got = [float(f) for f in fields] if len(fields) == 2 else []
        if not got or not close(got[0], im) or not close(got[1], re):
            problems.append("display line %d: %r, want about %r, %r" % (i, line, im, re))
    return problems[:5]
