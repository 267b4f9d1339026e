#!/usr/bin/env python3
"""Runs the mutant table: one-line faults put into real rules, one at a time,
each followed by the native build and the native tests (the unit suite
first, then the rest for a mutant it does not kill). A mutant is killed
when the build or a test fails; one that passes everything survived, and the
tests have a hole there.

Each mutant names a text that must stand exactly once in the product code
(core/, tools/, windows/) and what replaces it, so the table still finds its
places after files move. The source is always put back, also on Ctrl-C.

    scripts/mutants.py [--build DIR] [--list FILE] [--only ID,...] [--report FILE]

The table is tests/mutants.txt: blocks of "id: description", "- text", "+ text".
Exit status: 0 every mutant killed, 1 a mutant survived, 2 a mutant whose text
is not found exactly once (the table needs mending).
"""
import argparse
import os
import pathlib
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
SEARCHED = ("core", "tools", "windows")
# Tests that look at the machine, not the code: left out of every run.
MACHINE_TESTS = "install_check"
UNIT_TARGET, UNIT_TEST = "tesselog-tests", "^unit$"


def read_table(path):
    mutants, current = [], None
    for number, line in enumerate(path.read_text().splitlines(), 1):
        if not line.strip() or line.startswith("#"):
            continue
        if line.startswith("- ") and current is not None:
            current["old"] = line[2:]
        elif line.startswith("+ ") and current is not None:
            current["new"] = line[2:]
        elif ":" in line and not line.startswith((" ", "-", "+")):
            ident, text = line.split(":", 1)
            current = {"id": ident.strip(), "what": text.strip(), "line": number}
            mutants.append(current)
        else:
            sys.exit(f"{path}:{number}: cannot read this line")
    for m in mutants:
        if "old" not in m or "new" not in m:
            sys.exit(f"{path}:{m['line']}: mutant {m['id']} needs a '- ' and a '+ ' line")
    return mutants


def find_unique(text):
    """The one file that holds the text once, or an error message."""
    places = []
    for top in SEARCHED:
        for path in (ROOT / top).rglob("*"):
            if path.suffix not in (".cpp", ".h") or not path.is_file():
                continue
            count = path.read_text(encoding="latin-1").count(text)
            places += [path] * count
    if len(places) != 1:
        return None, f"found {len(places)} times"
    return places[0], None


def run(command, log):
    with open(log, "a") as out:
        out.write("$ " + " ".join(command) + "\n")
        out.flush()
        return subprocess.run(command, cwd=ROOT, stdout=out, stderr=subprocess.STDOUT).returncode


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=str(ROOT / "build" / "mutants"))
    parser.add_argument("--list", default=str(ROOT / "tests" / "mutants.txt"))
    parser.add_argument("--only", default="")
    parser.add_argument("--report", default="")
    args = parser.parse_args()
    build = pathlib.Path(args.build)
    mutants = read_table(pathlib.Path(args.list))
    if args.only:
        wanted = set(args.only.split(","))
        mutants = [m for m in mutants if m["id"] in wanted]

    build.mkdir(parents=True, exist_ok=True)
    log = build / "mutants.log"
    log.write_text("")
    jobs = str(os.cpu_count() or 2)
    if run(["cmake", "-S", ".", "-B", str(build), "-DCMAKE_BUILD_TYPE=RelWithDebInfo"], log) != 0 or \
       run(["cmake", "--build", str(build), "-j", jobs], log) != 0 or \
       run(["ctest", "--test-dir", str(build), "-E", MACHINE_TESTS], log) != 0:
        sys.exit(f"the unmutated tree does not build or pass its tests: see {log}")

    rows, broken = [], False
    for m in mutants:
        path, error = find_unique(m["old"])
        if path is None:
            rows.append((m, "NOT FOUND", error))
            broken = True
            continue
        original = path.read_text(encoding="latin-1")
        started = time.time()
        try:
            path.write_text(original.replace(m["old"], m["new"], 1), encoding="latin-1")
            with open(log, "a") as out:
                out.write(f"\n==== {m['id']}: {m['what']} ({path.relative_to(ROOT)})\n")
            # The unit suite first, alone: it kills most mutants, and building
            # it relinks one program instead of every tool.
            if run(["cmake", "--build", str(build), "--target", UNIT_TARGET, "-j", jobs], log) != 0:
                verdict = "killed (build)"
            elif run(["ctest", "--test-dir", str(build), "-R", UNIT_TEST], log) != 0:
                verdict = "killed"
            elif run(["cmake", "--build", str(build), "-j", jobs], log) != 0:
                verdict = "killed (build)"
            elif run(["ctest", "--test-dir", str(build), "-E", MACHINE_TESTS, "--stop-on-failure"], log) != 0:
                verdict = "killed"
            else:
                verdict = "SURVIVED"
        finally:
            path.write_text(original, encoding="latin-1")
        rows.append((m, verdict, f"{path.relative_to(ROOT)}, {time.time() - started:.0f} s"))
        print(f"{m['id']:>4}  {verdict:<15} {m['what']}", flush=True)

    # Leave the build tree matching the source again.
    run(["cmake", "--build", str(build), "-j", jobs], log)
    killed = sum(1 for _, v, _ in rows if v.startswith("killed"))
    lines = ["| id | mutant | result |", "| --- | --- | --- |"]
    lines += [f"| {m['id']} | {m['what']} | {v} |" for m, v, _ in rows]
    summary = f"{killed} of {len(rows)} mutants killed"
    print(summary)
    if args.report:
        pathlib.Path(args.report).write_text("\n".join(lines) + "\n\n" + summary + "\n")
    if broken:
        sys.exit(2)
    sys.exit(0 if killed == len(rows) else 1)


if __name__ == "__main__":
    main()
