#!/usr/bin/env python3
"""The user guides' message tables and the program's texts are the same set.

Every message a guide lists is a string literal of the program (adjacent
literals joined, as the compiler joins them; a message that starts with %s
may be the literal the program puts after a path), and every Japanese
sentence literal of the program ("。" in it) is in the guides' table. Both
guides list the same messages in the same order.
  guide_messages_test.py SOURCE_ROOT
"""
import os
import re
import sys

FOLDERS = ["flow", "ui", "store", "catalogue", "download", "app", "figure"]
TOKEN = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:[^"\\\n]|\\.)*"|\'(?:[^\'\\\n]|\\.)*\'|\s+|[^"\'/\s]+|/',
                   re.S)


def literals(text):
    """The string literals of C++ source text, adjacent ones joined."""
    found, run = [], None
    for token in TOKEN.findall(text):
        if token.startswith('"'):
            run = (run or "") + token[1:-1]
        elif token.isspace() or token.startswith("//") or token.startswith("/*"):
            continue
        elif run is not None:
            found.append(run)
            run = None
    if run is not None:
        found.append(run)
    return found


def guide_messages(path):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    section = re.search(r"<!-- messages:begin -->(.*)<!-- messages:end -->", text, re.S)
    if not section:
        sys.exit(f"{path}: no messages section")
    return re.findall(r"^\| `([^`]+)` \|", section.group(1), re.M)


def main():
    root = sys.argv[1]
    program = set()
    for folder in FOLDERS:
        for name in sorted(os.listdir(os.path.join(root, folder))):
            if name.endswith((".cpp", ".h")):
                with open(os.path.join(root, folder, name), encoding="utf-8") as f:
                    program.update(literals(f.read()))
    ja = guide_messages(os.path.join(root, "docs", "guide-ja.md"))
    en = guide_messages(os.path.join(root, "docs", "guide-en.md"))
    failed = []
    if ja != en:
        failed.append("guide-ja.md and guide-en.md list different messages: "
                      f"{sorted(set(ja) ^ set(en))}")
    for message in ja:
        if message not in program and not (message.startswith("%s") and message[2:] in program):
            failed.append(f"the guide lists a message the program does not have: {message}")
    if len(set(ja)) != len(ja):
        failed.append("the guide lists a message twice")
    for literal in sorted(program):
        if "。" in literal and not any(literal in message for message in ja):
            failed.append(f"the program has a message the guide does not list: {literal}")
    for line in failed:
        print("FAILED:", line)
    print(f"{len(ja)} messages in the guides, {len(failed)} problems")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
