"""analysis_common.py: the names analysis_wine.py and the old analysis tests took from here,
kept until the Wine tests run on the end-to-end driver (driver.py): its texts and sample files,
a line-console run, and a plain double transform with the program's angles (a = (step * n) * k,
step = (2 * 3.141592) / N, the sums for n = 0 .. N-1) to check numbers to a relative 1e-9."""
import math
import os

from driver import *  # noqa: F401,F403
from driver import RESULT_HEADER, Line, read


def run_line(program, work, answers):
    """(exit code, standard output as bytes) of the line console given answers (a str)."""
    r = Line(program).run({"stdin": answers.encode("utf-8")}, work)
    return r.code, r.raw


def reference_result(program, work, data, count):
    """Result.csv as the Linux line console writes it for data and N = count, no display."""
    with open(os.path.join(work, "data.csv"), "wb") as f:
        f.write(data)
    code, out = run_line(program, work, "%d\nYES\n\nNO\n\n" % count)
    if code != 0 or not os.path.exists(os.path.join(work, "Result.csv")):
        raise AssertionError("the line console wrote no Result.csv (exit code %d): %r"
                             % (code, out[-300:]))
    return read(os.path.join(work, "Result.csv"))


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
