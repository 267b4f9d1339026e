#!/usr/bin/env python3
"""The folders of core/ stand on floors: each includes only its own folder and
the folders below it, and the logging session's header is included in core/
only by the logging screen's own files. Under every floor stand the resource
ids (resources/*_ids.h), shared by the .rc files and the code: core/ may
include those and nothing else of resources/, and they include nothing of
core/.

Reads every `#include "core/..."` of core/, windows/ and tools/ and prints one
line per include that breaks the rule (file, line, the two folders); exits 1
when there is one. Usage: check-floors.py [REPOSITORY]  (default: the one this
script lives in)."""

import pathlib
import re
import sys

# Lowest first.
FLOORS = [
    "platform",
    "common",
    "settings",
    "datafile",
    "acquisition",
    "gps",
    "qc",
    "map",
    "existing",
    "export",
    "logscreen",
    "shell",
]

SESSION_HEADER = "core/logscreen/logging_session.h"
SESSION_FOLDER = "logscreen"
SCANNED = ["core", "windows", "tools"]
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp", ".cc"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"core/([^/"]+)/([^"]+)"')
RESOURCE_INCLUDE = re.compile(r'^\s*#\s*include\s+"resources/([^"]+)"')
RESOURCE_IDS = re.compile(r"^[a-z0-9_]+_ids\.h$")
RESOURCE_SUFFIXES = {".h", ".rc"}


def core_folder(relative):
    parts = relative.parts
    return parts[1] if len(parts) > 2 and parts[0] == "core" else None


def breaches(root):
    """(file, line number, message) for every include against the floors."""
    found = []
    for top in SCANNED:
        for path in sorted((root / top).rglob("*")):
            if path.suffix not in SOURCE_SUFFIXES or not path.is_file():
                continue
            relative = path.relative_to(root)
            folder = core_folder(relative)
            text = path.read_text(encoding="latin-1")
            for number, line in enumerate(text.splitlines(), 1):
                resource = RESOURCE_INCLUDE.match(line)
                if resource and folder is not None:
                    found += resource_breaches(root, (str(relative), number), folder, resource.group(1))
                match = INCLUDE.match(line)
                if not match or folder is None:
                    continue
                target = match.group(1)
                where = (str(relative), number)
                if folder not in FLOORS:
                    found.append(where + (f"folder core/{folder} stands on no floor",))
                elif target not in FLOORS:
                    found.append(where + (f"core/{folder} includes core/{target}, which stands on no floor",))
                elif FLOORS.index(target) > FLOORS.index(folder):
                    found.append(where + (f"core/{folder} includes core/{target}, a floor above it",))
                if f"core/{target}/{match.group(2)}" == SESSION_HEADER and folder != SESSION_FOLDER:
                    found.append(where + (f"core/{folder} includes the logging session ({SESSION_HEADER})",))
    found += resources_including_core(root)
    return found


def resource_breaches(root, where, folder, name):
    """A core/ include of resources/: a table of ids that is there."""
    if not RESOURCE_IDS.match(name):
        return [where + (f"core/{folder} includes resources/{name}, which is not a table of ids",)]
    if not (root / "resources" / name).is_file():
        return [where + (f"core/{folder} includes resources/{name}, which does not exist",)]
    return []


def resources_including_core(root):
    """The ids and scripts of resources/ stand below every floor."""
    found = []
    folder = root / "resources"
    if not folder.is_dir():
        return found
    for path in sorted(folder.rglob("*")):
        if path.suffix not in RESOURCE_SUFFIXES or not path.is_file():
            continue
        for number, line in enumerate(path.read_text(encoding="latin-1").splitlines(), 1):
            match = INCLUDE.match(line)
            if match:
                found.append((str(path.relative_to(root)), number,
                              f"resources/ includes core/{match.group(1)}, a floor above every resource"))
    return found


def main(argv):
    root = pathlib.Path(argv[1]) if len(argv) > 1 else pathlib.Path(__file__).resolve().parent.parent
    if not (root / "core").is_dir():
        print(f"check-floors: no core/ folder in {root}", file=sys.stderr)
        return 2
    found = breaches(root)
    for file, number, message in found:
        print(f"{file}:{number}: {message}")
    print(f"check-floors: {len(found)} include(s) against the floors resources < " + " < ".join(FLOORS))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
