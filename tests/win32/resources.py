"""resources.py WINDRES PROGRAM VERSION: the exe's VERSIONINFO says VERSION (project()'s) and names
the program; its manifest (resource 1, type 24) says asInvoker and PerMonitorV2."""
import re
import subprocess
import sys

windres, program, version = sys.argv[1:4]
rc = subprocess.run([windres, "-J", "coff", "-O", "rc", "-i", program], capture_output=True,
                    text=True).stdout
numbers = ", ".join(version.split(".") + ["0"])
want = {"FILEVERSION": numbers, "PRODUCTVERSION": numbers, "FileVersion": version,
        "ProductVersion": version, "ProductName": "dftanalyze",
        "FileDescription": "DFT(IDFT) ANALYZE", "OriginalFilename": "dftanalyze.exe"}
got = dict(re.findall(r'^ *(FILEVERSION|PRODUCTVERSION) (.*)$', rc, re.M) +
           re.findall(r'^ *VALUE "(\w+)", "(.*)"$', rc, re.M))
problems = ["%s is %r, want %r" % (k, got.get(k), v) for k, v in want.items() if got.get(k) != v]
manifest = "".join(re.findall(r'^1 24 .*\nBEGIN\n(.*?)^END', rc, re.M | re.S)).replace('""', '"')
problems += ["the manifest does not say " + m for m in ('level="asInvoker"', ">PerMonitorV2<")
             if m not in manifest]
sys.exit("\n".join(problems) or 0)
