"""tmux_pane.py: a private tmux server for the terminal end-to-end tests: commands, the pane's
screen, bounded polling, and the server's removal whatever happened.

Each test process gets its own socket name, so tests may run side by side; kill_server() ends the
server and removes the socket file. Every call and every wait has a deadline.
"""
import os
import subprocess
import time

SOCKET = "dft-e2e-%d" % os.getpid()
DEADLINE = 20.0   # seconds for one tmux call and for one wait
ENV = dict(os.environ, LC_ALL="C.UTF-8", LANG="C.UTF-8")
ENV.pop("TMUX", None)


def tmux(*args):
    done = subprocess.run(["tmux", "-L", SOCKET, "-f", "/dev/null"] + list(args), env=ENV,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=DEADLINE)
    if done.returncode != 0:
        raise AssertionError("tmux %s: %s" % (" ".join(args), done.stderr.decode().strip()))
    return done.stdout.decode("utf-8", "replace")


def screen(session="t"):
    """The pane's rows; capture-pane drops trailing blanks, so "? " reads "?"."""
    return tmux("capture-pane", "-p", "-t", session).rstrip("\n").split("\n") + [""] * 60


def pane(fmt, session="t"):
    return tmux("display-message", "-p", "-t", session, fmt).strip()


def wait_for(what, check, session="t"):
    """Polls the pane until check(lines) holds; fails with the last screen at the deadline."""
    end = time.monotonic() + DEADLINE
    while True:
        lines = screen(session)
        if check(lines):
            return lines
        if time.monotonic() > end:
            raise AssertionError("%s: not seen within %.0f s; screen:\n%s"
                                 % (what, DEADLINE, "\n".join(lines).rstrip()))
        time.sleep(0.05)


def kill_server():
    subprocess.run(["tmux", "-L", SOCKET, "kill-server"], env=ENV, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=DEADLINE)
    socket = os.path.join(os.environ.get("TMUX_TMPDIR", "/tmp"), "tmux-%d" % os.getuid(), SOCKET)
    if os.path.exists(socket):
        os.unlink(socket)
