#!/usr/bin/env python3
"""make dist: the zip that CAD operators unpack into the suite's program folder.

  dist.py [--build build/windows] [--out build/dist]   write partsdl-<version>.zip
  dist.py --render docs/guide-ja.md                    print a guide as plain text

The zip holds the 32-bit programs of the build (partsdl.exe, UNLHA32.DLL,
FIGDRAW.dll), the guides as plain Shift-JIS text with CRLF line ends, and the
empty data folders HDINI/, HDTMP/, HDPARTS/ (folder entries only, so that
unpacking never overwrites anything of a user's library). The same sources
give the same bytes: entries sorted, one fixed time, fixed attributes.
A program missing from the build stops the script unless
PARTSDL_DIST_ALLOW_MISSING is set.
"""
import argparse
import os
import re
import sys
import time
import unicodedata
import zipfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROGRAMS = ["partsdl.exe", "UNLHA32.DLL", "FIGDRAW.dll"]
FOLDERS = ["HDINI/", "HDTMP/", "HDPARTS/"]
GUIDES = {"guide-ja.txt": "docs/guide-ja.md", "guide-en.txt": "docs/guide-en.md"}
# The line of a guide that names the version it describes.
VERSION_LINE = re.compile(r"^(?:バージョン|Version) (\S+)$", re.M)


def width(text):
    """Columns the text takes in a fixed-width Japanese font."""
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def inline(text):
    """Markdown inline marks to plain text."""
    text = re.sub(r"\[([^\]]*)\]\(([^)]*)\)", r"\1", text)
    text = re.sub(r"\*\*(.+?)\*\*", r"\1", text)
    return text.replace("`", "")


def table_rows(block):
    """The cells of a Markdown table, its separator row left out."""
    rows = []
    for line in block:
        cells = [c.strip() for c in line.strip().strip("|").split("|")]
        if not all(re.fullmatch(r":?-+:?", c) for c in cells):
            rows.append(cells)
    return rows


def render_table(block):
    """Each row as a bullet: the first cell, then the others under their headings.
    A message's own line breaks (written \\n as in the program) break the line."""
    heading, *rows = table_rows(block)
    out = []
    for cells in rows:
        first = inline(cells[0]).replace("\\n\\r", "\\n").split("\\n")
        out.append("● " + first[0])
        out += ["  " + more for more in first[1:]]
        for name, cell in zip(heading[1:], cells[1:]):
            out.append("    " + inline(name) + ": " + inline(cell))
        out.append("")
    return out


def render(markdown):
    """A guide in Markdown as plain text lines: headings underlined, images and
    comments left out, tables as lists."""
    markdown = re.sub(r"<!--.*?-->\n?", "", markdown, flags=re.S)
    lines = markdown.split("\n")
    out = []
    i = 0
    while i < len(lines):
        line = lines[i].rstrip()
        if line.startswith("|"):
            block = []
            while i < len(lines) and lines[i].startswith("|"):
                block.append(lines[i])
                i += 1
            out += render_table(block)
            continue
        i += 1
        heading = re.match(r"(#+) (.*)", line)
        if heading:
            level, text = len(heading.group(1)), inline(heading.group(2))
            if level <= 2:
                out += [text, ("=" if level == 1 else "-") * width(text)]
            else:
                out.append("■ " + text)
        elif re.fullmatch(r"!\[[^\]]*\]\([^)]*\)", line.strip()):
            continue
        else:
            out.append(inline(line))
    # One blank line between blocks, none at either end.
    text = re.sub(r"\n{3,}", "\n\n", "\n".join(out)).strip("\n")
    return text + "\n"


def guide_text(path, version):
    with open(os.path.join(ROOT, path), encoding="utf-8") as f:
        markdown = f.read()
    named = VERSION_LINE.search(markdown)
    if not named or named.group(1) != version:
        sys.exit(f"dist: {path} names version {named.group(1) if named else '(none)'}, "
                 f"the program is {version}")
    try:
        return render(markdown).replace("\n", "\r\n").encode("cp932")
    except UnicodeEncodeError as error:
        sys.exit(f"dist: {path} has a character Shift-JIS cannot hold: {error}")


def entry(name, date_time):
    info = zipfile.ZipInfo(name, date_time)
    info.create_system = 3  # attributes as Unix ones, whatever machine makes it
    if name.endswith("/"):
        info.external_attr = (0o40755 << 16) | 0x10  # MS-DOS directory bit
    else:
        info.external_attr = 0o100644 << 16
        info.compress_type = zipfile.ZIP_DEFLATED
    return info


def make_zip(build, out):
    with open(os.path.join(build, "partsdl-version.txt")) as f:
        version = f.read().strip()
    bin_dir = os.path.join(build, "bin")
    members = {}
    missing = [p for p in PROGRAMS if not os.path.isfile(os.path.join(bin_dir, p))]
    if missing and not os.environ.get("PARTSDL_DIST_ALLOW_MISSING"):
        sys.exit(f"dist: {', '.join(missing)} missing from {bin_dir} "
                 "(set PARTSDL_DIST_ALLOW_MISSING=1 to package without)")
    for program in PROGRAMS:
        if program not in missing:
            with open(os.path.join(bin_dir, program), "rb") as f:
                members[program] = f.read()
    for name, source in GUIDES.items():
        members[name] = guide_text(source, version)
    for folder in FOLDERS:
        members[folder] = b""

    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", "1735689600"))  # 2025-01-01
    date_time = time.gmtime(max(epoch, 315532800))[:6]  # zip times start in 1980
    os.makedirs(out, exist_ok=True)
    path = os.path.join(out, f"partsdl-{version}.zip")
    work = path + ".new"
    with zipfile.ZipFile(work, "w") as archive:
        for name in sorted(members):
            archive.writestr(entry(name, date_time), members[name], compresslevel=9)
    os.replace(work, path)
    print(path)
    for name in sorted(members):
        print(f"  {len(members[name]):9d}  {name}")
    if missing:
        print(f"dist: packaged without {', '.join(missing)}", file=sys.stderr)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "windows"))
    parser.add_argument("--out", default=os.path.join(ROOT, "build", "dist"))
    parser.add_argument("--render", metavar="GUIDE_MD")
    args = parser.parse_args()
    if args.render:
        with open(args.render, encoding="utf-8") as f:
            sys.stdout.write(render(f.read()))
    else:
        make_zip(args.build, args.out)


if __name__ == "__main__":
    main()
