#!/usr/bin/env python3
"""Prints the structure figures of the logging screen and the data file's
records, so a refactor can say what it changed:

  - public mutable fields of LoggingSession (core/logscreen/logging_session.h);
  - places that switch ScreenUpdatesEnabled by hand (assignments);
  - Bind* calls (a Bind... method called through an object);
  - functions longer than 80 lines in core/ (data tables are not functions);
  - files longer than 600 lines in core/;
  - places that know a record column: lines outside record_layout.h that
    read or write a record's byte at a literal column number.

    scripts/measure-structure.py [--list] [REPOSITORY]

--list also prints every place counted. The parsing is textual: comments and
literals are blanked first, then braces are followed, so a function is the
block after a parameter list at namespace or class level."""

import pathlib
import re
import sys

SCANNED = ("core", "windows", "tools")
SUFFIXES = {".h", ".cpp"}
LONG_FUNCTION = 80
LONG_FILE = 600


def sources(root, tops=SCANNED):
    for top in tops:
        for path in sorted((root / top).rglob("*")):
            if path.suffix in SUFFIXES and path.is_file():
                yield path


def blank_comments_and_literals(text):
    """The text with comments, strings, characters and preprocessor lines
    replaced by spaces; line breaks stay, so line numbers hold."""
    out = []
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and c == "#":
            while i < n and text[i] != "\n":
                # A continued preprocessor line goes on after a backslash.
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    out.append(" \n")
                    i += 2
                    continue
                out.append(" ")
                i += 1
            continue
        if c == "/" and text.startswith("//", i):
            while i < n and text[i] != "\n":
                out.append(" ")
                i += 1
            continue
        if c == "/" and text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append(re.sub(r"[^\n]", " ", text[i:end]))
            i = end
            continue
        if c == "R" and text.startswith('R"', i):
            m = re.match(r'R"([^(]*)\(', text[i:])
            if m:
                close = ")" + m.group(1) + '"'
                end = text.find(close, i + len(m.group(0)))
                end = n if end < 0 else end + len(close)
                out.append(re.sub(r"[^\n]", " ", text[i:end]))
                i = end
                continue
        if c in "\"'":
            # A digit separator (1'000) is not a character literal.
            if c == "'" and i > 0 and text[i - 1].isalnum() and i + 1 < n and text[i + 1].isalnum():
                out.append(" ")
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + " " * (min(j, n) - i - 1) + (c if j < n else ""))
            i = j + 1
            continue
        out.append(c)
        line_start = c == "\n" or (line_start and c in " \t")
        i += 1
    return "".join(out)


FUNCTION_HEADER = re.compile(
    r"\)\s*(const\s*)?(noexcept\s*(\([^)]*\)\s*)?)?(override\s*)?(final\s*)?(->\s*[\w:<>,\s*&]+)?$")
CONSTRUCTOR_INIT = re.compile(r"\)\s*(noexcept\s*)?:\s*[\s\S]*[\w>]\s*$")
SCOPE_HEADER = re.compile(r"\b(namespace|extern)\b")
CLASS_HEADER = re.compile(r"^\s*(template\s*<[^>]*>\s*)?(class|struct|union)\b[^=]*$")


def functions(text):
    """(first line, last line, name) of every function body at namespace or
    class level."""
    clean = blank_comments_and_literals(text)
    found = []
    stack = []  # 'scope', 'class', 'function', 'init', 'other'
    boundary = 0
    line = 1
    function_start = None
    for i, c in enumerate(clean):
        if c == "\n":
            line += 1
            continue
        at_top = all(kind in ("scope", "class") for kind in stack)
        if c == ";" and at_top:
            boundary = i + 1
        elif c == "{":
            if not at_top:
                stack.append("nested")
                continue
            header = clean[boundary:i]
            stripped = header.strip()
            if SCOPE_HEADER.search(stripped) and "(" not in stripped:
                stack.append("scope")
                boundary = i + 1
            elif CLASS_HEADER.search(stripped) and "(" not in stripped:
                stack.append("class")
                boundary = i + 1
            elif "=" not in re.sub(r"\([^)]*\)", "", stripped) and FUNCTION_HEADER.search(stripped):
                first_offset = boundary + len(header) - len(header.lstrip())
                first = clean.count("\n", 0, first_offset) + 1
                name = re.search(r"([~\w:]+|operator\s*\S+)\s*\(", stripped)
                function_start = (first, name.group(1) if name else "?")
                stack.append("function")
            elif CONSTRUCTOR_INIT.search(stripped) and "=" not in stripped.split(")")[0]:
                stack.append("init")  # a member initialised with braces
            else:
                stack.append("other")
        elif c == "}":
            if not stack:
                continue
            kind = stack.pop()
            if kind == "function" and all(k in ("scope", "class") for k in stack):
                found.append((function_start[0], line, function_start[1]))
                boundary = i + 1
            elif kind in ("scope", "class", "other") and all(k in ("scope", "class") for k in stack):
                boundary = i + 1
    return found


def long_functions(root):
    out = []
    for path in sources(root, ("core",)):
        for first, last, name in functions(path.read_text(encoding="latin-1")):
            length = last - first + 1
            if length > LONG_FUNCTION:
                out.append(f"{path.relative_to(root)}:{first}: {name} ({length} lines)")
    return out


def long_files(root):
    out = []
    for path in sources(root, ("core",)):
        count = path.read_text(encoding="latin-1").count("\n")
        if count > LONG_FILE:
            out.append(f"{path.relative_to(root)} ({count} lines)")
    return out


def session_public_fields(root):
    """Public data members of LoggingSession that are not const."""
    header = root / "core/logscreen/logging_session.h"
    clean = blank_comments_and_literals(header.read_text(encoding="latin-1"))
    m = re.search(r"\bclass\s+LoggingSession\b[^;{]*\{", clean)
    if not m:
        return []
    out, depth, access, statement = [], 1, "private", ""
    line = clean.count("\n", 0, m.end()) + 1
    for c in clean[m.end():]:
        if c == "\n":
            line += 1
        if c == "{":
            depth += 1
        elif c == "}":
            depth -= 1
            if depth == 0:
                break
            if depth == 1 and "=" not in statement:
                statement = ""  # an inline body ended: no field
            continue
        if depth != 1:
            continue
        statement += c
        label = re.match(r"\s*(public|private|protected)\s*:(?!:)", statement)
        if label:
            access = label.group(1)
            statement = statement[label.end():]
            continue
        if c != ";":
            continue
        text = " ".join(statement.split())
        statement = ""
        if access != "public" or not text or "(" in text.split("=")[0] and "std::function" not in text:
            continue
        if "operator" in text or re.match(r"(static|using|typedef|friend|constexpr|const\b|enum|struct|class)\b", text):
            continue
        text = re.sub(r"\{[^}]*\}", "", text)
        names = [part.split("=")[0].split("[")[0].split()[-1].strip("&*") for part in text[:-1].split(",")]
        out += [f"logging_session.h:{line}: {name}" for name in names if name]
    return out


def by_pattern(root, pattern, skip=()):
    out = []
    for path in sources(root):
        relative = str(path.relative_to(root))
        if relative in skip:
            continue
        clean = blank_comments_and_literals(path.read_text(encoding="latin-1"))
        for number, text in enumerate(clean.splitlines(), 1):
            if pattern.search(text):
                out.append(f"{relative}:{number}: {text.strip()}")
    return out


SCREEN_UPDATES = re.compile(r"(?<![\w])ScreenUpdatesEnabled\s*=(?!=)(?<!\bint32_t ScreenUpdatesEnabled =)")
SCREEN_UPDATES_DECLARED = re.compile(r"\b(int32_t|int|bool)\s+ScreenUpdatesEnabled\b")
BIND_CALL = re.compile(r"(\.|->)\s*Bind[A-Z]\w*\s*\(")
# A record byte at a literal column: r[5], record + 12, a parser or checker
# given the record and a column (ParseNumber(r, 1, 7), DigitAt(r, 15)), or a
# record builder's field at a column (g1.Fixed(1, 7, 3, ...), r.Tick(16, ...)).
RECORD_COLUMN = re.compile(
    r"\b(r|record|rec|bytes_)\s*\[\s*\d+\s*\]"
    r"|\b(r|record)\s*\+\s*\d+\b"
    r"|\b(ParseNumber|ParseInt|DigitAt|AssignTrimmed|RawColumns|Number|Integer|Digit)\s*\([^)]*\br\s*,\s*\d+"
    r"|\b(?!c\b|canvas\b)\w+\.(Fixed|Text|Digit|Int|Char|Tick)\s*\(\s*\d+\s*,")


def record_columns(root):
    return by_pattern(root, RECORD_COLUMN, skip=("core/datafile/record_layout.h",))


def main():
    args = [a for a in sys.argv[1:] if a != "--list"]
    listing = "--list" in sys.argv[1:]
    root = pathlib.Path(args[0]) if args else pathlib.Path(__file__).resolve().parent.parent
    toggles = [t for t in by_pattern(root, SCREEN_UPDATES) if not SCREEN_UPDATES_DECLARED.search(t)]
    figures = [
        ("public mutable fields of LoggingSession", session_public_fields(root)),
        ("places that switch ScreenUpdatesEnabled by hand", toggles),
        ("Bind* calls", by_pattern(root, BIND_CALL)),
        (f"functions over {LONG_FUNCTION} lines in core/", long_functions(root)),
        (f"files over {LONG_FILE} lines in core/", long_files(root)),
        ("places that know a record column", record_columns(root)),
    ]
    width = max(len(name) for name, _ in figures)
    for name, places in figures:
        print(f"{name:<{width}}  {len(places):>4}")
        if listing:
            for place in places:
                print(f"    {place}")


if __name__ == "__main__":
    main()
