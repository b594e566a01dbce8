#!/usr/bin/env python3
"""wine_console.py: end-to-end test of the Windows console window under Wine.

Runs the 64-bit program on a private X server (Xvfb) in a private Wine prefix inside the build
folder, types answers into the window "BASIC PROMPT" with xdotool (ASCII, Japanese, Backspace),
pastes through the X clipboard with Ctrl+V, and checks what the stand-in dialogue received: it
appends every line it prints back ("[a][b]" in code page 932) to standin.log in its working
directory. Closing the window with Alt+F4 while the program waits for a line must end it with exit
code 0, and so must an empty first answer. A screenshot of the window, taken while a Japanese
answer is being typed, is kept as screenshot.png in the work folder for a person to look at.

The prefix maps "ＭＳ 明朝" to IPAMincho. The dialogue runs once more in a second prefix with no
font mapping (e2e-plain-wineprefix), where the window must find a Japanese face itself: its
screenshot (screenshot-plain.png) must equal the first pixel for pixel.

Wine runs in the C.UTF-8 locale, whose ANSI code page is 1252, not 932: the Japanese texts come
through only because the window converts with code page 932 itself.

Usage: wine_console.py PATH/TO/console_standin.exe [WORK_DIR]
WORK_DIR defaults to e2e/ beside the program. Exit code 0 passed, 1 failed, 77 skipped (no
program, or a tool missing).

Every wait is bounded; Xvfb, the program, xclip and the prefix's wineserver are ended by process
id (and wineserver -k) on every way out.
"""
import ctypes
import ctypes.util
import os
import shutil
import signal
import re
import subprocess
import sys
import time

SKIP = 77
TITLE = "BASIC PROMPT"
ANSWER_JA = "\u65E5\u672C\u8A9E"   # 日本語
ANSWER_KANA = "\u30C6\u30B9\u30C8"   # テスト
HALF_TYPED = "\u540D\u524D"          # 名前
JAPANESE_TYPED = ANSWER_JA + ANSWER_KANA + HALF_TYPED


def cp932(text):
    return text.encode("cp932")


class Failure(Exception):
    pass


class Harness:
    def __init__(self, exe, work):
        self.exe = os.path.abspath(exe)
        self.work = os.path.abspath(work)
        self.prefix = os.path.join(os.path.dirname(self.exe), "e2e-wineprefix")
        self.xvfb = None
        self.display = None
        self.children = []   # processes to end by pid on the way out
        self.env = None
        self.window = None   # the window of the running program, for a screenshot on failure

    # ---- bounded process helpers ----

    def run(self, args, timeout=30, check=True, **kw):
        r = subprocess.run(args, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                           timeout=timeout, **kw)
        if check and r.returncode != 0:
            raise Failure("%s failed (%d): %s" % (args[0], r.returncode, r.stderr.decode(errors="replace")))
        return r

    def spawn(self, args, log, **kw):
        out = open(os.path.join(self.work, log), "ab")
        p = subprocess.Popen(args, env=self.env, stdout=out, stderr=subprocess.STDOUT, **kw)
        out.close()
        self.children.append(p)
        return p

    @staticmethod
    def wait_until(what, predicate, timeout, step=0.1):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            value = predicate()
            if value:
                return value
            time.sleep(step)
        raise Failure("timed out after %g s waiting for %s" % (timeout, what))

    # ---- X server ----

    def start_xvfb(self):
        for n in range(77, 140):
            if os.path.exists("/tmp/.X%d-lock" % n) or os.path.exists("/tmp/.X11-unix/X%d" % n):
                continue
            log = open(os.path.join(self.work, "xvfb.log"), "ab")
            p = subprocess.Popen(["Xvfb", ":%d" % n, "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                 stdout=log, stderr=subprocess.STDOUT)
            log.close()
            socket = "/tmp/.X11-unix/X%d" % n
            end = time.monotonic() + 10
            while time.monotonic() < end and p.poll() is None and not os.path.exists(socket):
                time.sleep(0.05)
            if p.poll() is None and os.path.exists(socket):
                self.xvfb, self.display = p, ":%d" % n
                return
            p.kill()
            p.wait(5)
        raise Failure("no free X display for Xvfb")

    def map_keys(self, text):
        """Gives each non-ASCII character of text a spare keycode of its own before Wine starts.
        Without this xdotool remaps a keycode for every such character while it types, and Wine
        may translate the key with the mapping before the change."""
        x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
        x11.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int,
                                            ctypes.POINTER(ctypes.c_int)]
        x11.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                               ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
        x11.XDisplayKeycodes.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                         ctypes.POINTER(ctypes.c_int)]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XFree.argtypes = [ctypes.c_void_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        dpy = x11.XOpenDisplay(self.display.encode())
        if not dpy:
            raise Failure("cannot open display %s" % self.display)
        try:
            lo, hi = ctypes.c_int(), ctypes.c_int()
            x11.XDisplayKeycodes(dpy, ctypes.byref(lo), ctypes.byref(hi))
            per = ctypes.c_int()
            count = hi.value - lo.value + 1
            table = x11.XGetKeyboardMapping(dpy, lo.value, count, ctypes.byref(per))
            free = [lo.value + k for k in range(count)
                    if all(table[k * per.value + j] == 0 for j in range(per.value))]
            x11.XFree(table)
            chars = sorted({c for c in text if ord(c) > 0x7E})
            if len(chars) > len(free):
                raise Failure("not enough spare keycodes for %d characters" % len(chars))
            for code, c in zip(reversed(free), chars):
                syms = (ctypes.c_ulong * 2)(0x01000000 | ord(c), 0x01000000 | ord(c))
                x11.XChangeKeyboardMapping(dpy, code, 2, syms, 1)
            x11.XSync(dpy, 0)
        finally:
            x11.XCloseDisplay(dpy)

    # ---- Wine prefix ----

    def make_env(self):
        env = dict(os.environ)
        env.update(DISPLAY=self.display, WINEPREFIX=self.prefix, WINEDEBUG="-all",
                   WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
                   LANG="C.UTF-8", LC_ALL="C.UTF-8")
        self.env = env

    def prepare_prefix(self, map_font=True):
        ready = os.path.join(self.prefix, "dft-e2e-ready")
        if os.path.exists(ready):
            return
        os.makedirs(self.prefix, exist_ok=True)
        print("e2e: making the Wine prefix %s (once)" % self.prefix, flush=True)
        self.run(["wineboot", "-i"], timeout=240)
        # map_font: the Japanese font stands in for "ＭＳ 明朝" (else the window must find a face
        # itself); the caret does not blink, so that a screenshot always shows it.
        reg = "Windows Registry Editor Version 5.00\r\n\r\n"
        if map_font:
            reg += ("[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n"
                    "\"\uFF2D\uFF33 \u660E\u671D\"=\"IPAMincho\"\r\n\r\n")
        reg += "[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n\"CursorBlinkRate\"=\"-1\"\r\n"
        path = os.path.join(self.work, "fonts.reg")
        with open(path, "wb") as f:
            f.write(b"\xff\xfe" + reg.encode("utf-16-le"))
        self.run(["wine", "regedit", "/S", path], timeout=120)
        self.run(["wineserver", "-w"], timeout=120)
        open(ready, "w").close()

    # ---- the program and its window ----

    def start_program(self):
        log = os.path.join(self.work, "standin.log")
        if os.path.exists(log):
            os.remove(log)
        p = self.spawn(["wine", self.exe], "program.log", cwd=self.work)
        window = self.wait_until("the window \"%s\"" % TITLE, lambda: self.find_window(p), 120, 0.25)
        self.window = window
        return p, window

    def find_window(self, program):
        if program.poll() is not None:
            raise Failure("the program ended (exit code %d) before its window came" % program.returncode)
        r = self.run(["xdotool", "search", "--name", "^%s$" % TITLE], check=False)
        ids = r.stdout.split()
        return ids[0].decode() if ids else None

    def focus(self, window):
        self.run(["xdotool", "mousemove", "--window", window, "40", "40", "click", "1"], check=False)
        self.run(["xdotool", "windowfocus", window], check=False)
        time.sleep(0.3)

    def wait_for_prompt(self, window):
        # The stand-in prints its title and "? " and opens the line at once: once white pixels
        # show, the line is open a moment later.
        self.wait_until("the first prompt", lambda: self.white_pixels(self.grab(window)) > 20, 60, 0.25)
        time.sleep(0.5)

    def type(self, text):
        self.run(["xdotool", "type", "--delay", "60", text], timeout=60)

    def key(self, *keys):
        self.run(["xdotool", "key", "--delay", "60"] + list(keys), timeout=30)

    def log_bytes(self):
        try:
            with open(os.path.join(self.work, "standin.log"), "rb") as f:
                return f.read()
        except FileNotFoundError:
            return b""

    def expect_log(self, what, expected, timeout=20):
        try:
            self.wait_until(what, lambda: self.log_bytes() == expected, timeout)
        except Failure:
            raise Failure("%s: standin.log holds %r, expected %r" % (what, self.log_bytes(), expected))
        time.sleep(0.5)   # the stand-in asks again: the next line opens
        print("e2e: ok   %s" % what, flush=True)

    def wait_exit(self, program, what, timeout=30):
        try:
            code = program.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("%s: the program did not end within %d s" % (what, timeout))
        if code != 0:
            raise Failure("%s: exit code %d, expected 0" % (what, code))
        print("e2e: ok   %s (exit code 0)" % what, flush=True)

    # ---- screenshots: ImageMagick's import as (width, height, RGB rows), PNG by its convert ----

    def grab(self, window):
        r = self.run(["import", "-silent", "-window", window, "-depth", "8", "ppm:-"], check=False,
                     timeout=20)
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", r.stdout)
        if r.returncode != 0 or header is None:
            return None
        width, height = int(header.group(1)), int(header.group(2))
        pixels = r.stdout[header.end():]
        return width, height, [pixels[3 * width * y:3 * width * (y + 1)] for y in range(height)]

    def write_png(self, path, image):
        width, height, rows = image
        ppm = b"P6 %d %d 255\n" % (width, height) + b"".join(rows)
        self.run(["convert", "ppm:-", "png:" + path], input=ppm, timeout=60)

    def save_failure_shot(self):
        """After a failure: the window as it was, as failure.png in the work folder, if it can."""
        try:
            image = self.grab(self.window) if self.window else None
            if image is not None:
                self.write_png(os.path.join(self.work, "failure.png"), image)
        except (Failure, subprocess.TimeoutExpired):
            pass
        print("e2e: logs and screenshot in %s" % self.work)

    @staticmethod
    def white_pixels(image):
        if image is None:
            return 0
        width, height, rows = image
        return sum(1 for row in rows for i in range(0, len(row), 3) if row[i:i + 3] == b"\xff\xff\xff")

    # ---- the tests ----

    def test_dialogue(self, shot):
        """The dialogue; returns the screenshot of the half-typed answer, kept as shot."""
        program, window = self.start_program()
        self.focus(window)
        self.wait_for_prompt(window)
        log = b""

        self.type("abc,def")
        self.key("Return")
        log += b"[abc][def]\r\n"
        self.expect_log("ASCII answers", log)

        self.type("abx")
        self.key("BackSpace")
        self.type("c,d")
        self.key("Return")
        log += b"[abc][d]\r\n"
        self.expect_log("Backspace removes the last byte", log)

        self.type(ANSWER_JA + "," + ANSWER_KANA)
        self.key("Return")
        log += b"[" + cp932(ANSWER_JA) + b"][" + cp932(ANSWER_KANA) + b"]\r\n"
        self.expect_log("Japanese answers arrive as code page 932", log)

        clip = subprocess.Popen(["xclip", "-selection", "clipboard", "-t", "UTF8_STRING", "-quiet"],
                                env=self.env, stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        self.children.append(clip)
        clip.stdin.write("3,\u8CBC\u4ED8".encode("utf-8"))   # 3,貼付
        clip.stdin.close()
        time.sleep(0.5)
        self.key("ctrl+v")
        self.key("Return")
        log += b"[3][" + cp932("\u8CBC\u4ED8") + b"]\r\n"
        self.expect_log("Ctrl+V pastes the clipboard's text", log)

        # A Japanese answer half typed: the screenshot shows the prompt, the answer and the caret.
        self.type(HALF_TYPED)
        time.sleep(1.0)
        image = self.grab(window)
        if image is None:
            raise Failure("no screenshot of the window")
        png = os.path.join(self.work, shot)
        self.write_png(png, image)
        check_screenshot(image)
        print("e2e: ok   screenshot %s" % png, flush=True)

        # 名前 is still in the line: Backspace it away (two bytes a character). The stand-in has
        # two variables, so a bare Enter is too few items; "," gives an empty first answer, which
        # ends the program.
        self.key(*["BackSpace"] * 4)
        self.type(",")
        self.key("Return")
        self.wait_exit(program, "an empty first answer ends the program")
        return image

    def test_close_while_waiting(self):
        program, window = self.start_program()
        self.focus(window)
        self.wait_for_prompt(window)
        self.type("12")   # a line half typed
        self.key("alt+F4")
        self.wait_exit(program, "Alt+F4 while the program waits for a line")
        if self.log_bytes() != b"":
            raise Failure("the half-typed line reached the program: %r" % self.log_bytes())

    def use_prefix(self, name, map_font):
        """Another prefix beside the program (made once); the current one's server is ended."""
        self.run(["wineserver", "-k"], check=False)
        self.prefix = os.path.join(os.path.dirname(self.exe), name)
        self.make_env()
        self.prepare_prefix(map_font)

    # ---- cleanup ----

    def stop(self):
        for p in self.children:
            if p.poll() is None:
                p.kill()
                try:
                    p.wait(10)
                except subprocess.TimeoutExpired:
                    pass
        if self.env is not None:
            try:
                subprocess.run(["wineserver", "-k"], env=self.env, timeout=30,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            except subprocess.TimeoutExpired:
                pass
        if self.xvfb is not None and self.xvfb.poll() is None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(10)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait(10)


def same_pixels(mapped, plain):
    """Without a font mapping the window finds IPAMincho itself: it must draw what it draws with
    IPAMincho standing in for "ＭＳ 明朝", not boxes or another face."""
    if mapped[:2] != plain[:2]:
        raise Failure("the windows differ in size: %s and %s" % (mapped[:2], plain[:2]))
    rows = [y for y, (a, b) in enumerate(zip(mapped[2], plain[2])) if a != b]
    if rows:
        raise Failure("without the font mapping %d pixel rows differ, from row %d"
                      % (len(rows), rows[0]))
    print("e2e: ok   without the font mapping the window draws the same pixels", flush=True)


def check_screenshot(image):
    """White text on black: nearly every pixel black, a few hundred pure white ones."""
    width, height, rows = image
    black = white = 0
    for row in rows:
        for i in range(0, len(row), 3):
            px = row[i:i + 3]
            if px == b"\x00\x00\x00":
                black += 1
            elif px == b"\xff\xff\xff":
                white += 1
    total = width * height
    if black < total * 0.8 or white < 200:
        raise Failure("the window is not white text on black: %d black, %d white of %d pixels"
                      % (black, white, total))


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    exe = sys.argv[1]
    if not os.path.exists(exe):
        print("e2e: SKIPPED: %s is not built (make build, or build the win64 folder first)" % exe)
        return SKIP
    for tool in ("Xvfb", "wine", "wineserver", "xdotool", "xclip", "import", "convert"):
        if shutil.which(tool) is None:
            print("e2e: SKIPPED: %s is not installed (tools/setup-deps installs it)" % tool)
            return SKIP
    work = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(os.path.abspath(exe)), "e2e")
    os.makedirs(work, exist_ok=True)

    h = Harness(exe, work)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))   # ctest's timeout: clean up still
    try:
        h.start_xvfb()
        h.make_env()
        h.map_keys(JAPANESE_TYPED)
        h.prepare_prefix()
        mapped = h.test_dialogue("screenshot.png")
        h.test_close_while_waiting()
        h.use_prefix("e2e-plain-wineprefix", map_font=False)
        same_pixels(mapped, h.test_dialogue("screenshot-plain.png"))
    except (Failure, subprocess.TimeoutExpired) as e:
        print("e2e: FAILED: %s" % e, flush=True)
        h.save_failure_shot()
        return 1
    finally:
        h.stop()
    print("e2e: all passed; screenshots screenshot.png, screenshot-plain.png in %s" % work)
    return 0


if __name__ == "__main__":
    sys.exit(main())
