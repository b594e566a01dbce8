"""analysis_common.py: the names analysis_wine.py takes from the end-to-end driver (driver.py),
kept under their old module until that test runs on the driver itself."""
import os

from driver import *  # noqa: F401,F403
from driver import Line, check_csv, read


def run_line(program, work, answers):
    """(exit code, standard output as bytes) of the line console given answers (a str)."""
    r = Line(program).run({"stdin": answers.encode("utf-8")}, work)
    return r.code, r.raw


def check_result_csv(result, bins):
    return check_csv(result, len(bins), bins)


def reference_result(program, work, data, count):
    """Result.csv as the Linux line console writes it for data and N = count, no display."""
    with open(os.path.join(work, "data.csv"), "wb") as f:
        f.write(data)
    code, out = run_line(program, work, "%d\nYES\n\nNO\n\n" % count)
    if code != 0 or not os.path.exists(os.path.join(work, "Result.csv")):
        raise AssertionError("the line console wrote no Result.csv (exit code %d): %r"
                             % (code, out[-300:]))
    return read(os.path.join(work, "Result.csv"))
