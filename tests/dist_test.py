#!/usr/bin/env python3
"""The distribution zip: two runs of scripts/dist.py give the same bytes; it
holds the programs, the guides and the three empty data folders and nothing
else; partsdl.exe's version resource holds the version; the guides are
Shift-JIS with CRLF line ends and read back as the rendered Markdown. The
programs' headers and exports are pe_headers.sh's, on the same build.
  dist_test.py SOURCE_ROOT BUILD_DIR
"""
import os
import re
import subprocess
import sys
import tempfile
import zipfile

root, build = sys.argv[1:3]
dist = os.path.join(root, "scripts", "dist.py")
PROGRAMS = ["partsdl.exe", "UNLHA32.DLL", "FIGDRAW.dll"]
failed = 0


def ok(what, condition):
    global failed
    print(("ok: " if condition else "FAILED: ") + what)
    failed += not condition


def run(*args, **kwargs):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE, **kwargs).stdout


with tempfile.TemporaryDirectory() as scratch:
    first, second = os.path.join(scratch, "1"), os.path.join(scratch, "2")
    run(sys.executable, dist, "--build", build, "--out", first)
    run(sys.executable, dist, "--build", build, "--out", second)
    with open(os.path.join(build, "partsdl-version.txt")) as f:
        version = f.read().strip()
    name = f"partsdl-{version}.zip"
    with open(os.path.join(first, name), "rb") as a, open(os.path.join(second, name), "rb") as b:
        ok("two runs give the same zip bytes", a.read() == b.read())

    archive = zipfile.ZipFile(os.path.join(first, name))
    programs = [p for p in PROGRAMS if os.path.isfile(os.path.join(build, "bin", p))]
    expected = sorted(programs + ["guide-en.txt", "guide-ja.txt", "HDINI/", "HDTMP/", "HDPARTS/"])
    names = [info.filename for info in archive.infolist()]
    ok(f"the zip holds {expected}, sorted", names == expected)
    ok("every program is in the build", len(programs) == 3 or
       bool(os.environ.get("PARTSDL_DIST_ALLOW_MISSING")))
    ok("the folders are empty entries",
       all(archive.getinfo(f).file_size == 0 and archive.getinfo(f).is_dir()
           for f in ["HDINI/", "HDTMP/", "HDPARTS/"]))
    ok("one time stamp for every entry", len({i.date_time for i in archive.infolist()}) == 1)

    archive.extractall(scratch)

    with open(os.path.join(scratch, "partsdl.exe"), "rb") as f:
        exe = f.read()
    # The string's key, NUL, padding to four bytes, then its value, in UTF-16.
    value = re.search("FileVersion\0".encode("utf-16-le") + b"(?:\0\0)?((?:[^\0]\0)*)\0\0", exe)
    ok(f"partsdl.exe's version resource says {version}",
       value is not None and value.group(1).decode("utf-16-le") == version)

    for guide, source in [("guide-ja.txt", "guide-ja.md"), ("guide-en.txt", "guide-en.md")]:
        with open(os.path.join(scratch, guide), "rb") as f:
            data = f.read()
        ok(f"{guide} ends every line with CRLF", data.endswith(b"\r\n") and
           data.count(b"\n") == data.count(b"\r\n"))
        decoded = run("iconv", "-f", "CP932", "-t", "UTF-8", os.path.join(scratch, guide))
        rendered = run(sys.executable, dist, "--render", os.path.join(root, "docs", source))
        ok(f"{guide} is Shift-JIS and reads as the rendered {source}",
           decoded.replace(b"\r\n", b"\n") == rendered)

print(f"{failed} failed")
sys.exit(1 if failed else 0)
