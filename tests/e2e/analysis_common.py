"""analysis_common.py: the names analysis_wine.py takes from the end-to-end driver (driver.py),
kept under their old module until that test runs on the driver itself."""
from driver import *  # noqa: F401,F403
from driver import Line


def run_line(program, work, answers):
    """(exit code, standard output as bytes) of the line console given answers (a str)."""
    r = Line(program).run({"stdin": answers.encode("utf-8")}, work)
    return r.code, r.raw
