#!/usr/bin/env python3
"""Checks a data file that was continued after a restart of the program.

    check_append.py FILE ORIGINAL [--min-readings N]

ORIGINAL is a copy of the file taken before it was chosen again. Checked:
  - FILE starts with ORIGINAL's bytes, and ORIGINAL is whole records;
  - the appended part starts with the appended header block: "rESSEL  W", H, four G,
    L, B, A, Z, "*"; its H record and its first and fourth G records (names, consoles,
    offsets, separations) equal ORIGINAL's;
  - "X$STARTED" follows the block, then at least N console readings and a "PAUSED";
  - the whole file holds one "TESSEL  W" (the first record) and one "rESSEL  W".
Prints a summary; exits 1 with the reasons on any failure.
"""
import argparse
import sys

RECORD = 27
TAGS = {0x54, 0x74, 0xD4, 0xF4, 0x14, 0x97, 0xA8, 0xB9, 0x3C}
BLOCK_KINDS = b"HGGGGLBAZ*"


def records_of(data):
    return [data[i:i + RECORD] for i in range(0, len(data), RECORD)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("original")
    parser.add_argument("--min-readings", type=int, default=1)
    args = parser.parse_args()
    data = open(args.file, "rb").read()
    old = open(args.original, "rb").read()
    problems = []

    if len(old) % RECORD or not old:
        problems.append(f"the original is {len(old)} bytes, not whole records")
    if not data.startswith(old):
        problems.append("the file does not start with the original's bytes")
    recs = records_of(data)
    old_recs = records_of(old)
    new = recs[len(old_recs):]

    if not new or not new[0].startswith(b"rESSEL  W"):
        problems.append("the appended part does not start with \"rESSEL  W\"")
    kinds = bytes(r[0] for r in new[1:1 + len(BLOCK_KINDS)])
    if kinds != BLOCK_KINDS:
        problems.append(f"the appended header block is {kinds!r}, not {BLOCK_KINDS!r}")
    for index in (1, 2, 5):  # H, first G, fourth G
        if len(new) > index and len(old_recs) > index and new[index] != old_recs[index]:
            problems.append(f"appended record {index} {new[index]!r} differs from {old_recs[index]!r}")
    rest = new[1 + len(BLOCK_KINDS):]
    if not rest or not rest[0].startswith(b"X$STARTED "):
        problems.append("\"X$STARTED\" does not follow the appended header block")
    readings = sum(1 for r in rest if r[0] in TAGS)
    if readings < args.min_readings:
        problems.append(f"{readings} readings after the append, fewer than {args.min_readings}")
    if not any(r.startswith(b"XPAUSED ") for r in rest):
        problems.append("no \"PAUSED\" after the append")
    firsts = [i for i, r in enumerate(recs) if r.startswith(b"TESSEL  W")]
    appended = [i for i, r in enumerate(recs) if r.startswith(b"rESSEL  W")]
    if firsts != [0] or len(appended) != 1:
        problems.append(f"\"TESSEL  W\" at records {firsts}, \"rESSEL  W\" at {appended}")

    if problems:
        print("\n".join(problems))
        return 1
    print(f"{len(old_recs)} records kept, {len(new)} appended, {readings} readings after the append")
    return 0


if __name__ == "__main__":
    sys.exit(main())
