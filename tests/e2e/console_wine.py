"""console_wine.py: the window's adapter: the 64-bit Windows program under Wine on a private X
server (Xvfb). Wine runs in the C.UTF-8 locale, whose ANSI code page is 1252: the Japanese comes
through only because the window converts with code page 932 itself. The prefix, made once, maps
IPAMincho in for "ＭＳ 明朝".

A row's shot=NAME keeps the window at its last question as e2e-wine/NAME.png, whose pixels (not
PNG bytes: ImageMagick 7 writes other chunks) must be expected/wineV/NAME.png's, V the running
Wine's major version (Wine 10's caption is taller, its window shorter).

A question counts as asked when text has appeared below all the window showed when the answer
was typed (more ink than a caret has) and the window has stopped changing. Where the answers
run out the window is closed with Alt+F4.
"""
import os
import re
import select
import shutil
import subprocess
import time

from driver import EXPECTED_DIR, TIMEOUT, WRITE, At, Paste, Run, wait

TITLE = "BASIC PROMPT"
INK = 180    # colour bytes of new text below the last row: more than a caret alone
FRAME = 2    # pixels of window frame on every side, which the ink count leaves out
PREFIX = "e2e-wineprefix"
FONTS = '"\uFF2D\uFF33 \u660E\u671D"="IPAMincho"\r\n'
REG = ("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\"
       "Replacements]\r\n%s\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"
       "\"CursorBlinkRate\"=\"-1\"\r\n")


def bottom(image):
    return max((y for y, row in enumerate(image[1][FRAME:-FRAME], FRAME)
                if row[3 * FRAME:-3 * FRAME].strip(b"\0")), default=-1)


class Wine:
    name = "wine"

    def __init__(self, program):
        self.program, self.work = program, None
        self.children = []
        self.shots = os.path.join(os.path.dirname(program), "e2e-wine")
        os.makedirs(self.shots, exist_ok=True)
        self.log = open(os.path.join(self.shots, "wine.log"), "wb")
        # Xvfb picks a free display itself and names it on a pipe: a number chosen here from the
        # lock files could be taken by an X server of another folder or file system meanwhile.
        # It writes the number and its newline in two writes, and ends if the pipe has closed
        # before the second: read up to the newline. -noreset keeps one server state through a
        # gap with no client.
        named, told = os.pipe()
        self.children.append(subprocess.Popen(
            ["Xvfb", "-displayfd", str(told), "-screen", "0", "1024x768x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(told,), stdout=self.log, stderr=self.log))
        os.close(told)
        ready = select.select([named], [], [], 60)[0]
        with os.fdopen(named, "rb") as pipe:   # the newline follows the number at once
            display = pipe.readline().decode() if ready else ""
        display = display.strip() if display.endswith("\n") else ""
        if not display.isdigit():
            raise AssertionError("no X server within 60 s")
        self.env = dict(os.environ, DISPLAY=":" + display, WINEDEBUG="-all", LANG="C.UTF-8",
                        LC_ALL="C.UTF-8", WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        version = re.match(r"wine-(\d+)\.", self.call("wine", "--version").stdout.decode())
        self.pictures = os.path.join(EXPECTED_DIR, "wine" + (version.group(1) if version else "?"))
        self.env["WINEPREFIX"] = prefix = os.path.join(os.path.dirname(program), PREFIX)
        if not os.path.exists(os.path.join(prefix, "dft-e2e-ready")):   # made once
            os.makedirs(prefix, exist_ok=True)
            self.call("wineboot", "-i", timeout=240)
            reg = os.path.join(prefix, "dft-e2e.reg")
            with open(reg, "wb") as f:
                f.write(b"\xff\xfe" + (REG % FONTS).encode("utf-16-le"))
            self.call("wine", "regedit", "/S", reg, timeout=120)
            self.call("wineserver", "-w", timeout=120)
            open(os.path.join(prefix, "dft-e2e-ready"), "w").close()

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

    def grab(self):
        try:   # import waits for a click once the window is gone
            ppm = self.call("import", "-silent", "-window", self.window, "-depth", "8", "ppm:-",
                            timeout=10).stdout
        except subprocess.TimeoutExpired:
            return None
        head = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        w, h = map(int, head.groups()) if head else (0, 0)
        return head and (ppm, [ppm[head.end() + 3 * w * y:][:3 * w] for y in range(h)])

    def asked(self, proc, shown):
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
        """Sends keys and waits for the window to change, so a key lost under load ends the run
        as a lost key, not later as a wrong answer."""
        before = self.grab()
        self.call("xdotool", *keys)
        try:
            wait(what, lambda: (self.grab() or before)[0] != before[0] or None, timeout=30)
        except AssertionError:
            raise AssertionError("the program did not receive %s: the window did not change "
                                 "within 30 s" % what) from None

    def paste(self, text):
        clip = self.spawn(["xclip", "-selection", "clipboard", "-t", "UTF8_STRING", "-quiet"],
                          stdin=subprocess.PIPE)
        clip.stdin.write(text.encode())
        clip.stdin.close()
        wait("the clipboard " + text, lambda: self.call(
            "xclip", "-o", "-selection", "clipboard").stdout == text.encode() or None)
        self.echoed("the paste of %r" % text, "key", "ctrl+v")

    def give(self, answer):
        """ASCII typed a key at a time, text beyond ASCII pasted (a key of its own would need a
        keycode remapped while Wine reads it)."""
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

    def run(self, case, work):
        self.work = work
        proc = self.spawn(["wine", self.program], cwd=work)
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
            png = save_shot(self, last, case["shot"])
            want = os.path.join(self.pictures, case["shot"] + ".png")
            if WRITE:
                os.makedirs(self.pictures, exist_ok=True)
                shutil.copy(png, want)
            elif self.call("convert", want, "-depth", "8", "ppm:-").stdout != last[0]:
                r.problems.append("the window is not %s's pixels (see %s)" % (want, png))
        return r

    def close(self):
        # Not through call: the children must end also when the X server has ended first.
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True, timeout=60)
        for p in reversed(self.children):
            p.kill()
            p.wait()
        self.log.close()


def save_shot(con, image, name):
    """The window as e2e-wine/NAME.png beside the program, with no time in it: the same window
    is the same file."""
    png = os.path.join(con.shots, name + ".png")
    con.call("convert", "ppm:-", "-define", "png:exclude-chunks=date,time", png, input=image[0])
    return png

