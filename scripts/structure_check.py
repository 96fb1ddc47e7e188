#!/usr/bin/env python3
"""Checks the program's shape: no source file of the program over 600 lines, no function
over 80 lines, and no public data member in AppState. Prints what is over and exits 1."""
import os
import re
import sys

TOP = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PROGRAM = ["about", "accounting", "app", "link", "platform", "report", "settings", "spend",
           "storage", "tariffs", "ui"]
MOST_FILE_LINES, MOST_FUNCTION_LINES = 600, 80


def code_only(text):
    """The text with comments, strings and character literals blanked, lines kept."""
    out, i, n = [], 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append("\n" * text.count("\n", i, j))
            i = j
        elif text.startswith('R"', i):
            m = re.match(r'R"([^(]*)\(', text[i:])
            end = text.find(")" + m.group(1) + '"', i) if m else -1
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append('""' + "\n" * text.count("\n", i, j))
            i = j
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return "".join(out)


def long_functions(path):
    """(first line, length) of each function body in a .cpp file longer than the limit."""
    lines = code_only(open(path, encoding="utf-8").read()).split("\n")
    found, depth, start, scopes = [], 0, None, []
    for number, line in enumerate(lines, 1):
        for ch in line:
            if ch == "{":
                head = line.split("{")[0]
                opens_function = (start is None and ")" in line and
                                  not re.match(r"\s*(namespace|class|struct|enum)\b", head))
                if opens_function and all(kind != "function" for kind in scopes):
                    start = number
                    scopes.append("function")
                else:
                    scopes.append("block")
            elif ch == "}" and scopes:
                if scopes.pop() == "function":
                    if number - start + 1 > MOST_FUNCTION_LINES:
                        found.append((start, number - start + 1))
                    start = None
    return found


def main():
    problems = []
    for folder in PROGRAM:
        for root, _, files in os.walk(os.path.join(TOP, folder)):
            for name in sorted(files):
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(root, name)
                shown = os.path.relpath(path, TOP)
                count = sum(1 for _ in open(path, encoding="utf-8"))
                if count > MOST_FILE_LINES:
                    problems.append(f"{shown}: {count} lines")
                if name.endswith(".cpp"):
                    for first, length in long_functions(path):
                        problems.append(f"{shown}:{first}: a function of {length} lines")
    header = code_only(open(os.path.join(TOP, "app", "AppState.h"), encoding="utf-8").read())
    public = re.search(r"class AppState\b.*?public:(.*?)(private:|protected:|\n};)", header, re.S)
    if public:
        body = re.sub(r"\{[^{}]*\}", ";", public.group(1))  # inline bodies out of the way
        for statement in body.split(";"):
            s = " ".join(statement.split())
            if s and "(" not in s and not s.startswith(("using ", "static ", "friend ", "enum ",
                                                          "Q_", "signals", "public")):
                problems.append(f"app/AppState.h: a public data member: {s}")
    for p in problems:
        print(p)
    if problems:
        sys.exit(1)
    print("Files within 600 lines, functions within 80, AppState without public data.")


if __name__ == "__main__":
    main()
