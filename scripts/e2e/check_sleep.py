#!/usr/bin/env python3
"""Checks a data file recorded through a sleep of the computer.

    check_sleep.py FILE CONSOLES SLEEP_SECONDS

Each console 1..CONSOLES has one "kCONN BRK k" record whose gap covers the sleep:
its last reading before the record and its first reading after it are at least
SLEEP_SECONDS apart, and the record lies between them. A "GPS CONN BRK" record lies
in the same gap. After the break every console's readings go on (at least 50 more).
Prints one line per console and exits 1 on the first violation.
"""
import sys

RECORD = 27
TAGS = [0x54, 0x74, 0xD4, 0xF4, 0x14, 0x97, 0xA8, 0xB9, 0x3C]


def tick_of(record):
    return int(record[16:26].strip() or b"0")


def main():
    path, consoles, sleep_s = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
    data = open(path, "rb").read()
    if len(data) % RECORD:
        sys.exit(f"{path}: {len(data)} bytes is not a whole number of records")
    recs = [data[i:i + RECORD] for i in range(0, len(data), RECORD)]
    readings = [(i, r) for i, r in enumerate(recs) if r[0] in TAGS and not r.startswith(b"TESSEL")]
    gps_breaks = [i for i, r in enumerate(recs) if r[0] == ord("X") and r[1:12] == b"GPS CONN BR"]
    for k in range(1, consoles + 1):
        text = f"{k}CONN BRK {k}".encode()
        breaks = [i for i, r in enumerate(recs) if r[0] == ord("X") and r[1:12] == text]
        mine = [(i, r) for i, r in readings if r[0] == TAGS[k - 1]]
        found = None
        for b in breaks:
            before = [x for x in mine if x[0] < b]
            after = [x for x in mine if x[0] > b]
            if not before or not after:
                continue
            gap = (tick_of(after[0][1]) - tick_of(before[-1][1])) / 1000.0
            if gap >= sleep_s and tick_of(before[-1][1]) <= tick_of(recs[b]) <= tick_of(after[0][1]):
                found = (b, before[-1][0], after[0][0], gap, len(after))
                break
        if not found:
            sys.exit(f"console {k}: no break record covering a gap of {sleep_s} s ({len(breaks)} breaks)")
        b, last, first, gap, more = found
        if more < 50:
            sys.exit(f"console {k}: only {more} readings after the sleep")
        if not any(last < g < first for g in gps_breaks):
            sys.exit(f"console {k}: no GPS CONN BRK between records {last} and {first}")
        print(f"console {k}: break record {b} in a gap of {gap:.1f} s (records {last}..{first}), "
              f"{more} readings after it")


if __name__ == "__main__":
    main()
