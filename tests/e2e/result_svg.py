#!/usr/bin/env python3
"""result_svg.py: Result.svg end to end. Usage: result_svg.py PROGRAM [WORK_DIR].

Line-console sessions at N = 256 (the example data) and N = 20000: Result.svg must parse as XML
(SVG 1.1, no script, no external reference, under 200 KB), name its y axis with Result.csv's third
header word, draw one point a bin, or each pixel column's lowest and highest bin, where Result.csv's
LogAbs puts them, and mark the five highest local maxima (bin 0 left out) with their numbers.
Headless Chromium draws it into WORK_DIR/n256.png and n20000.png (default: e2e-result-svg/ beside
the program). Then a Result.svg that cannot be replaced (a folder; a file another holds) leaves it
as it was, Result.csv saved, the dialogue unchanged and no temporary file.
"""
import fcntl
import os
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
import zlib

sys.dont_write_bytecode = True   # no __pycache__ in the source tree
from analysis_common import ASK_REPEAT, SAVE_FAILED, example_data, long_signal

PROGRAM = os.path.abspath(sys.argv[1])
WORK = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else os.path.join(
    os.path.dirname(PROGRAM), "e2e-result-svg")
NS = "{http://www.w3.org/2000/svg}"
CHROMIUM = ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
            "--no-first-run", "--disable-background-networking", "--disable-component-update",
            "--disable-sync", "--window-size=1000,600"]


def run(work, data, count):
    """Runs N = count on data in work, the display skipped; returns standard output. N = 20000
    takes seconds of transform, many more under the sanitizers: a timeout of its own."""
    with open(os.path.join(work, "data.csv"), "wb") as f:
        f.write(data)
    done = subprocess.run([PROGRAM], input=b"%d\nYES\n\nNO\n\n" % count, cwd=work,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=500)
    assert done.returncode == 0, "exit code %d" % done.returncode
    return done.stdout.decode("utf-8")


def group(root, name):
    return root.find(".//%sg[@class='%s']" % (NS, name))


def linear(pairs):
    """The map through the first and the last (value, pixel) pair."""
    (v0, p0), (v1, p1) = pairs[0], pairs[-1]
    return lambda v: p0 + (v - v0) * (p1 - p0) / (v1 - v0)


def near(got, want, what):
    assert abs(got - want) <= 0.11, "%s at %.2f, want %.2f" % (what, got, want)


def local_maxima(values):
    peaks = [k for k in range(1, len(values)) if values[k] > values[k - 1]
             and (k + 1 == len(values) or values[k] >= values[k + 1])]
    return sorted(peaks, key=lambda k: (-values[k], k))[:5]


def check_picture(csv, svg, count):
    assert len(svg) < 200000, "Result.svg has %d bytes" % len(svg)
    root = ET.fromstring(svg)
    assert root.tag == NS + "svg" and root.get("version") == "1.1", root.tag
    assert root.get("font-family") == "sans-serif"
    for e in root.iter():
        assert e.tag != NS + "script" and not any("href" in a for a in e.attrib), e.tag
    header, *rows = csv.decode("cp932").split("\r\n")[:-1]
    values = [float(r.split(",")[2]) for r in rows]
    assert root.find(".//*[@class='value-name']").text == header.split(",")[2]
    assert "N = %d" % count in root.find(".//*[@class='title']").text
    ticks = [float(t.text) for t in group(root, "value-labels")]
    lines = [float(l.get("y1")) for l in group(root, "value-ticks")]
    y = linear(list(zip(ticks, lines)))
    frame = root.find("%srect[@fill='none']" % NS)
    left, columns = float(frame.get("x")), int(frame.get("width"))
    bins = len(values)
    if bins <= columns:   # one point a bin, in the middle of its slot
        x = lambda k: left + (k + 0.5) * columns / bins
    else:                 # bin k in pixel column k * columns // bins
        x = lambda k: left + k * columns // bins + 0.5
    points = [tuple(map(float, p.split(","))) for line in root.iter(NS + "polyline")
              for p in line.get("points").split()]
    if bins <= columns:
        assert len(points) == bins, "%d points for %d bins" % (len(points), bins)
        for k, (px, py) in enumerate(points):
            near(px, x(k), "bin %d's x" % k)
            near(py, y(values[k]), "bin %d's y" % k)
    else:
        drawn = {}
        for px, py in points:
            drawn.setdefault(px, []).append(py)
        assert len(drawn) == columns, "%d columns drawn" % len(drawn)
        own = [[] for _ in range(columns)]
        for k, v in enumerate(values):
            own[k * columns // bins].append(v)
        for c, (px, ys) in enumerate(sorted(drawn.items())):
            near(px, left + c + 0.5, "column %d's x" % c)
            near(min(ys), y(max(own[c])), "column %d's top" % c)
            near(max(ys), y(min(own[c])), "column %d's bottom" % c)
    marks = group(root, "peaks")
    labels = [int(t.text) for t in marks.iter(NS + "text")]
    assert labels == local_maxima(values), "peaks %s, want %s" % (labels, local_maxima(values))
    for k, c in zip(labels, marks.iter(NS + "circle")):
        near(float(c.get("cx")), x(k), "peak %d's x" % k)
        near(float(c.get("cy")), y(values[k]), "peak %d's y" % k)
    return labels[0]


def png_pixels(path):
    """The (r, g, b) of every pixel of an 8-bit, non-interlaced RGB or RGBA PNG."""
    data, pos, idat = open(path, "rb").read(), 8, b""
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind == b"IHDR":
            width, height, _, colour = struct.unpack(">IIBB", data[pos + 8:pos + 18])
        elif kind == b"IDAT":
            idat += data[pos + 8:pos + 8 + n]
        pos += 12 + n
    raw, size = zlib.decompress(idat), 4 if colour == 6 else 3
    stride, prev, pixels = width * size, bytearray(width * size), []
    for r in range(height):
        start = r * (stride + 1)
        kind, row = raw[start], bytearray(raw[start + 1:start + 1 + stride])
        for i in range(stride):
            a, b = row[i - size] if i >= size else 0, prev[i]
            c = prev[i - size] if i >= size else 0
            p = a + b - c
            paeth = (a if abs(p - a) <= min(abs(p - b), abs(p - c))
                     else b if abs(p - b) <= abs(p - c) else c)
            row[i] = (row[i] + (0, a, b, (a + b) // 2, paeth)[kind]) & 255
        pixels += [tuple(row[i:i + 3]) for i in range(0, stride, size)]
        prev = row
    return pixels


def draw(folder, name):
    """Headless Chromium's screenshot of folder/Result.svg as WORK/name; checks that the line and
    the peak marks are on it."""
    png = os.path.join(WORK, name)
    with tempfile.TemporaryDirectory() as profile:
        subprocess.run(CHROMIUM + ["--user-data-dir=" + profile, "--screenshot=" + png,
                                   "file://" + os.path.join(folder, "Result.svg")],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    pixels = png_pixels(png)
    line = sum(1 for r, g, b in pixels if b > 120 and r < 90 and g < 120)
    red = sum(1 for r, g, b in pixels if r > 150 and g < 90 and b < 90)
    assert line > 500 and red > 100, "%s: %d line and %d mark pixels" % (png, line, red)


def unreplaceable(work, kind):
    """Result.svg a folder, or a file held with flock: it stays, all else as ever."""
    path = os.path.join(work, "Result.svg")
    held = None
    if kind == "folder":
        os.mkdir(path)
    else:
        with open(path, "wb") as f:
            f.write(b"old")
        held = open(path, "rb")
        fcntl.flock(held, fcntl.LOCK_EX | fcntl.LOCK_NB)
    try:
        out = run(work, example_data(), 8)
    finally:
        if held:
            held.close()
    assert ASK_REPEAT in out and SAVE_FAILED not in out, out[-200:]
    assert os.path.isdir(path) if kind == "folder" else open(path, "rb").read() == b"old"
    assert sorted(os.listdir(work)) == ["Result.csv", "Result.svg", "data.csv"], os.listdir(work)
    return ""


def drawn(work, data, count):
    """A session whose Result.svg is checked and drawn; no temporary file may be left."""
    run(work, data, count)
    assert sorted(os.listdir(work)) == ["Result.csv", "Result.svg", "data.csv"], os.listdir(work)
    csv, svg = (open(os.path.join(work, n), "rb").read() for n in ("Result.csv", "Result.svg"))
    top = check_picture(csv, svg, count)
    draw(work, "n%d.png" % count)
    return " (%d bytes, strongest bin %d)" % (len(svg), top)


def main():
    os.makedirs(WORK, exist_ok=True)
    failed = 0
    cases = [("N = 256", drawn, example_data(), 256),
             ("N = 20000", drawn, long_signal(20000), 20000),
             ("an unreplaceable Result.svg: folder", unreplaceable, "folder"),
             ("an unreplaceable Result.svg: held", unreplaceable, "held")]
    for name, case, *args in cases:
        with tempfile.TemporaryDirectory() as work:
            try:
                print("ok   %s%s" % (name, case(work, *args)))
            except (AssertionError, OSError, subprocess.SubprocessError) as e:
                print("FAIL %s: %s" % (name, e))
                failed += 1
    print("%d of %d Result.svg cases passed" % (len(cases) - failed, len(cases)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
