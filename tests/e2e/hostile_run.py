"""hostile_run.py: what hostile_result.py takes from the end-to-end driver (driver.py): one
bounded run of the line console, and the checks a hostile case ends with. It goes once that
test runs on the driver itself."""
import os

from driver import *  # noqa: F401,F403
from driver import CLOSED, Line, check_csv, read

TEMPORARY = "Result.csv.tmp"


def run(program, work, given, close_stdin=False):
    """The line console in work given bytes on standard input, or none at all (close_stdin)."""
    return Line(program).run({"stdin": CLOSED if close_stdin else given}, work)


def complete_result(work, count, problems):
    path = os.path.join(work, "Result.csv")
    problems += check_csv(read(path), count) if os.path.isfile(path) else ["no Result.csv"]


def no_temporary(work, problems):
    if os.path.lexists(os.path.join(work, TEMPORARY)):
        problems.append("the temporary %s was left behind" % TEMPORARY)
