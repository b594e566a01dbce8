"""console_wine.py: the window's adapter for the driver: the 64-bit Windows program under Wine on
a private X server (Xvfb); ASCII answers typed with xdotool a key at a time (a Backspace is the
key), each seen on the screen before the next; text beyond ASCII and a Paste through the X
clipboard (xclip) and Ctrl+V. Wine runs in the C.UTF-8 locale, whose ANSI code page is 1252:
the Japanese comes through only because the window converts with code page 932 itself.

A row's shot=NAME keeps the window at its last question as e2e-wine/NAME.png beside the program,
whose pixels (not PNG bytes: ImageMagick 7 writes other chunks) must be expected/wineV/NAME.png's,
V the running Wine's major version (Wine 10's caption is taller, its window shorter). The prefix
e2e-wineprefix maps IPAMincho in for "ＭＳ 明朝"; plain=True runs again in e2e-plain-wineprefix,
which maps none, so the window must find a Japanese face itself. Each prefix is made once.

A question counts as asked when text has appeared below all the window showed when the answer
was typed (more ink than a caret has) and the window has stopped changing: the program prints a
question and opens its line at once. Where the answers run out the window is closed with Alt+F4.
Xvfb, xclip and the program are ended by process id, each prefix's wineserver with -k.
"""
import itertools
import os
import re
import select
import shutil
import subprocess
import tempfile
import time

from driver import EXPECTED_DIR, TIMEOUT, WRITE, At, Paste, Run, wait

TITLE = "BASIC PROMPT"
INK = 180    # colour bytes of new text below the last row: more than a caret alone
FRAME = 2    # pixels of window frame on every side, which the ink count leaves out
DEEP = "a-folder-name-forty-characters-long-----"   # seven deep: a path beyond 260 characters
PREFIXES = {"e2e-wineprefix": '"\uFF2D\uFF33 \u660E\u671D"="IPAMincho"\r\n',
            "e2e-plain-wineprefix": ""}
REG = ("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\"
       "Replacements]\r\n%s\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
       "\"CursorBlinkRate\"=\"-1\"\r\n")


def bottom(image):
    """The lowest pixel row inside the frame with any colour byte not 0 (the backdrop is black)."""
    return max((y for y, row in enumerate(image[1][FRAME:-FRAME], FRAME)
                if row[3 * FRAME:-3 * FRAME].strip(b"\0")), default=-1)


class Wine:
    name = "wine"

    def __init__(self, program):
        self.program, self.work = program, None
        self.children, self.prefixes = [], set()
        self.shots = os.path.join(os.path.dirname(program), "e2e-wine")
        os.makedirs(self.shots, exist_ok=True)
        self.log = open(os.path.join(self.shots, "wine.log"), "wb")
        # Xvfb picks a free display itself and names it on a pipe: a number chosen here from the
        # lock files could be taken by an X server of another folder or file system meanwhile.
        # -noreset: a server that resets when its last client leaves (between two prefixes, say)
        # names its display again, finds the pipe closed and ends.
        named, told = os.pipe()
        self.children.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(told), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(told,), stdout=self.log, stderr=self.log))
        os.close(told)
        ready = select.select([named], [], [], 60)[0]
        display = os.read(named, 16).decode().strip() if ready else ""
        os.close(named)
        if not display.isdigit():
            raise AssertionError("no X server within 60 s")
        self.env = dict(os.environ, DISPLAY=":" + display, WINEDEBUG="-all", LANG="C.UTF-8",
                        LC_ALL="C.UTF-8", WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        version = re.match(r"wine-(\d+)\.", self.call("wine", "--version").stdout.decode())
        self.pictures = os.path.join(EXPECTED_DIR, "wine" + (version.group(1) if version else "?"))

    def can_run(self, case):
        return "wine" in case.get("consoles", [])

    def spawn(self, args, **kw):
        self.children.append(subprocess.Popen(args, env=self.env, stdout=self.log,
                                              stderr=self.log, **kw))
        return self.children[-1]

    def call(self, *args, timeout=60, env=None, **kw):
        if self.children[0].poll() is not None:
            raise RuntimeError("the X server has ended: see " + self.log.name)
        return subprocess.run(args, env=env or self.env, capture_output=True, timeout=timeout, **kw)

    def use_prefix(self, name):
        """Ends the last prefix's wineserver and makes this one, once."""
        self.call("wineserver", "-k")
        self.env["WINEPREFIX"] = prefix = os.path.join(os.path.dirname(self.program), name)
        self.prefixes.add(prefix)
        if not os.path.exists(os.path.join(prefix, "dft-e2e-ready")):
            os.makedirs(prefix, exist_ok=True)
            self.call("wineboot", "-i", timeout=240)
            reg = os.path.join(prefix, "dft-e2e.reg")
            with open(reg, "wb") as f:
                f.write(b"\xff\xfe" + (REG % PREFIXES[name]).encode("utf-16-le"))
            self.call("wine", "regedit", "/S", reg, timeout=120)
            self.call("wineserver", "-w", timeout=120)
            open(os.path.join(prefix, "dft-e2e-ready"), "w").close()

    def grab(self):
        """The window as (PPM, its pixel rows of RGB bytes), or None while there is none."""
        try:   # import waits for a click once the window is gone
            ppm = self.call("import", "-silent", "-window", self.window, "-depth", "8", "ppm:-",
                            timeout=10).stdout
        except subprocess.TimeoutExpired:
            return None
        head = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        w, h = map(int, head.groups()) if head else (0, 0)
        return head and (ppm, [ppm[head.end() + 3 * w * y:][:3 * w] for y in range(h)])

    def asked(self, proc, shown):
        """The window at the next question, once still; None when the program has ended."""
        def new_text():
            if proc.poll() is not None:
                return False
            image = self.grab()
            rows = image[1][max(shown + 1, FRAME):-FRAME] if image else []
            ink = sum(len(r) - 6 * FRAME - r[3 * FRAME:-3 * FRAME].count(0) for r in rows)
            return image if ink > INK else None
        image = wait("question", new_text)
        while image:
            time.sleep(0.2)
            again = self.grab()
            if again is None or again == image:
                time.sleep(0.3)
                return image
            image = again
        return None

    def echoed(self, what, *keys):
        """Sends keys and waits for the window to change: each key is given only once the one
        before it is on the screen, so a key Wine or the program lost under load ends the run
        at once, as a lost key, not later as a wrong answer."""
        before = self.grab()
        self.call("xdotool", *keys)
        try:
            wait(what, lambda: (self.grab() or before)[0] != before[0] or None, timeout=30)
        except AssertionError:
            raise AssertionError("the program did not receive %s: the window did not change "
                                 "within 30 s" % what) from None

    def paste(self, text):
        """Puts text on the X clipboard (xclip, until it reads back) and pastes it with Ctrl+V."""
        clip = self.spawn(["xclip", "-selection", "clipboard", "-t", "UTF8_STRING", "-quiet"],
                          stdin=subprocess.PIPE)
        clip.stdin.write(text.encode())
        clip.stdin.close()
        wait("the clipboard " + text, lambda: self.call(
            "xclip", "-o", "-selection", "clipboard").stdout == text.encode() or None)
        self.echoed("the paste of %r" % text, "key", "ctrl+v")

    def give(self, answer):
        """ASCII is typed a key at a time, text beyond ASCII pasted (a key of its own would need
        a keycode remapped while Wine reads it); each confirmed on the screen before the next."""
        if isinstance(answer, Paste):
            self.paste(str(answer))
        else:
            for i, part in enumerate(answer.split("\b")):
                if i:
                    self.echoed("the key BackSpace", "key", "BackSpace")
                for run in re.findall(r"[\0-~]+|[^\0-~]+", part):
                    if run[0] > "~":
                        self.paste(run)
                        continue
                    for c in run:
                        self.echoed("the key %r" % c, "type", c)
        shown = bottom(self.grab())
        self.call("xdotool", "key", "Return")
        return shown

    def session(self, case, work, prefix, suffix=""):
        self.use_prefix(prefix)
        cwd = os.path.join(work, *[DEEP] * 7) if case.get("deep") else work
        os.makedirs(cwd, exist_ok=True)
        proc = self.spawn(["wine", self.program], cwd=cwd)
        self.window = wait("window", lambda: proc.poll() is None and self.call(
            "xdotool", "search", "--name", "^%s$" % TITLE).stdout.split()[:1] or None)[0].decode()
        self.call("xdotool", "mousemove", "--window", self.window, "40", "40", "click", "1")
        self.call("xdotool", "windowfocus", self.window)
        image, last = self.asked(proc, -1), None
        for answer in case.get("answers", []):
            if image is None:
                raise AssertionError("the program ended before all answers were given")
            if isinstance(answer, At):
                for fn in answer.fns:
                    fn(self)
                continue
            last, image = image, self.asked(proc, self.give(answer))
        if image:
            last = image
            self.call("xdotool", "key", "alt+F4")
        try:
            r = Run(proc.wait(TIMEOUT))
        except subprocess.TimeoutExpired:
            proc.kill()
            r = Run(proc.wait(), hung=True)
        if case.get("shot") and last:
            png = save_shot(self, last, case["shot"] + suffix)
            want = os.path.join(self.pictures, case["shot"] + ".png")
            if WRITE:
                os.makedirs(self.pictures, exist_ok=True)
                shutil.copy(png, want)
            elif self.call("convert", want, "-depth", "8", "ppm:-").stdout != last[0]:
                r.problems.append("the window%s is not %s's pixels (see %s)" % (suffix, want, png))
        if case.get("deep"):
            shutil.rmtree(os.path.join(work, DEEP))
        return r

    def run(self, case, work):
        self.work = work
        r = self.session(case, work, "e2e-wineprefix")
        if case.get("plain"):
            with tempfile.TemporaryDirectory() as other:
                shutil.copy(os.path.join(work, "data.csv"), other)
                plain = self.session(case, other, "e2e-plain-wineprefix", "-plain")
            r.problems += plain.problems + (["exit code %d without a font mapping" % plain.code]
                                            if plain.code else [])
        return r

    def close(self):
        for prefix in self.prefixes:
            self.call("wineserver", "-k", env=dict(self.env, WINEPREFIX=prefix))
        for p in reversed(self.children):
            p.kill()
            p.wait()
        self.log.close()


# ---- the window's cells measured on its pixels, the view and the selection --------------------

LEVEL = 96   # a colour byte above this is ink: the text is white on black


def runs(xs):
    """Consecutive integers of xs as [first, last] pairs."""
    groups = (list(g) for _, g in itertools.groupby(enumerate(xs), lambda p: p[1] - p[0]))
    return [[g[0][1], g[-1][1]] for g in groups]


def ink(image, x0, x1, y0, y1):
    """Whether any pixel in columns x0..x1-1 of rows y0..y1-1 is ink."""
    return any(max(r[3 * x0:3 * x1] or b"\0") > LEVEL for r in image[1][y0:y1])


def inked(image, x0=FRAME, x1=None, y0=FRAME, y1=None, columns=True):
    """The pixel columns (or rows) inside the frame with ink in the given box."""
    w, h = len(image[1][0]) // 3 - FRAME, len(image[1]) - FRAME
    x1, y1 = x1 or w, y1 or h
    return ([x for x in range(FRAME, w) if ink(image, x, x + 1, y0, y1)] if columns else
            [y for y in range(FRAME, h) if ink(image, x0, x1, y, y + 1)])


def cells(image):
    """The cell grid at the first question: x0, y0 (the client's corner; the frame is alike on
    every side) and the cell's width (star to star in the banner's first row) and height (the
    first column's stars), x0 found from the caret, the last ink right of "N=?", at column 4."""
    band = runs(inked(image, columns=False))[0]   # row 0's stars
    stars = runs(inked(image, y0=band[0], y1=band[1] + 1))
    cw = (stars[-1][0] - stars[0][0]) // (len(stars) - 1)
    column = runs(inked(image, stars[0][0], stars[0][1] + 1, columns=False))   # rows 0 to 2, N
    ch = column[1][0] - column[0][0]
    assert column[2][0] - column[1][0] == ch, "rows are not evenly spaced: %s" % column
    x = runs(inked(image, y0=column[2][1] + 1))[-1]
    return x[0] - 4 * cw, x[0] - 4 * cw, cw, ch


def still(con):
    """The window once two grabs a moment apart are the same."""
    image, again = None, con.grab()
    while again != image:
        time.sleep(0.3)
        image, again = again, con.grab()
    return image


def save_shot(con, image, name):
    """The window as e2e-wine/NAME.png beside the program, with no time in it: the same window
    is the same file."""
    png = os.path.join(con.shots, name + ".png")
    con.call("convert", "ppm:-", "-define", "png:exclude-chunks=date,time", png, input=image[0])
    return png

