#!/usr/bin/env python3
"""resources.py WINDRES PROGRAM VERSION: the Windows program's resources, read back from the exe
by windres: a VERSIONINFO whose numbers and strings are VERSION (CMake's project()) and name the
program, and a manifest (resource 1 of type 24) that runs it as the user and aware of each
monitor's DPI, for Windows 7 to 11."""
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

windres, program, version = sys.argv[1:4]
rc = subprocess.run([windres, "-J", "coff", "-O", "rc", "-i", program], capture_output=True,
                    text=True).stdout   # nothing when the exe holds no resources
numbers = ", ".join(version.split(".") + ["0"])
want = {"FILEVERSION": numbers, "PRODUCTVERSION": numbers, "FileVersion": version,
        "ProductVersion": version, "ProductName": "dftanalyze",
        "FileDescription": "DFT(IDFT) ANALYZE", "OriginalFilename": "dftanalyze.exe"}
got = dict(re.findall(r'^ *(FILEVERSION|PRODUCTVERSION) (.*)$', rc, re.M) +
           re.findall(r'^ *VALUE "(\w+)", "(.*)"$', rc, re.M))
problems = ["%s is %r, want %r" % (k, got.get(k), v) for k, v in want.items() if got.get(k) != v]
manifest = re.search(r"^1 24 .*\nBEGIN\n(.*?)^END", rc, re.M | re.S)
if not manifest:
    problems.append("no manifest (resource 1 of type 24)")
else:
    text = "".join(re.findall(r'^ *"(.*)"$', manifest.group(1), re.M))
    root = ET.fromstring(text.replace('""', '"').replace("\\n", "\n").encode())
    found = {e.tag.split("}")[1]: e.get("level") or e.get("Id") or e.text for e in root.iter()}
    for tag, value in (("requestedExecutionLevel", "asInvoker"), ("dpiAwareness", "PerMonitorV2"),
                       ("supportedOS", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}")):
        if found.get(tag) != value:
            problems.append("manifest: %s is %r, want %r" % (tag, found.get(tag), value))
for p in problems:
    print("FAIL", p)
sys.exit(1 if problems else 0)
