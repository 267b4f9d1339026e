#!/usr/bin/env python3
"""Checks a data file of the end-to-end survey against what the simulator sent.

    check_survey.py FILE.mgr CAPTURE_PREFIX [--consoles N] [--lines N] [--recordings N]
                    [--comment TEXT] [--station VALUE] [--break-console N]

The capture is tesselog-sim's --capture output: PREFIX.console<k>.raw and
PREFIX.gps.raw hold the bytes of each port. The file is read as 27-byte records.
Checked:
  - the header block (identification, H, four G) and the line blocks (L B A Z *);
  - the events: one "$STARTED" and one "PAUSED" per recording, in turn;
  - every console's reading records of each recording are consecutive sentences of
    its capture, in order, none missing or doubled, and their ticks never go back;
  - every GPS group (first record '@' or 'X', pieces '#', trailer '!') holds a
    sentence of the GPS capture, in capture order, and lies inside a recording;
  - one "<n>CONN BRK <n>" for the console that the simulator stopped;
  - the comment and the station record.
Prints a summary; exits 1 with the reasons on any failure.
"""
import argparse
import sys

RECORD = 27
TAGS = [0x54, 0x74, 0xD4, 0xF4, 0x14, 0x97, 0xA8, 0xB9, 0x3C]


def records_of(path):
    data = open(path, "rb").read()
    if len(data) % RECORD:
        raise SystemExit(f"{path}: {len(data)} bytes is not a whole number of records")
    recs = [data[i:i + RECORD] for i in range(0, len(data), RECORD)]
    for i, r in enumerate(recs):
        if r[26] != 0x0A:
            raise SystemExit(f"record {i}: no LF in column 26")
    return recs


def capture_lines(path):
    try:
        raw = open(path, "rb").read()
    except FileNotFoundError:
        return []
    return [line for line in raw.split(b"\r\n") if line.startswith(b"$")]


def reading_key(sentence):
    # The record keeps "$P" and the 13 characters from the comma after "$PBAR".
    return (sentence[:2] + sentence[5:18]).ljust(15, b" ")


def tick_of(record, column=16):
    return int(record[column:26].strip() or b"0")


def is_event(r, text):
    return r[0] == ord("X") and r[1:12].rstrip(b" ") == text


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("file")
    ap.add_argument("capture")
    ap.add_argument("--consoles", type=int, default=3)
    ap.add_argument("--lines", type=int, default=3)
    ap.add_argument("--recordings", type=int, default=3)
    ap.add_argument("--comment", default="TEST1")
    ap.add_argument("--station", default="25.00")
    ap.add_argument("--break-console", type=int, default=2)
    a = ap.parse_args()

    recs = records_of(a.file)
    problems = []

    def fail(text):
        problems.append(text)

    # Header and line blocks.
    if not recs[0].startswith(b"TESSEL  W"):
        fail("the file does not start with TESSEL  W")
    if [chr(r[0]) for r in recs[1:6]] != ["H", "G", "G", "G", "G"]:
        fail("the header is not H G G G G")
    line_starts = [i for i, r in enumerate(recs) if r[0] == ord("L")]
    for i in line_starts:
        kinds = "".join(chr(r[0]) for r in recs[i:i + 5])
        if kinds != "LBAZ*":
            fail(f"line block at record {i} is {kinds!r}, not 'LBAZ*'")
    if len(line_starts) != a.lines:
        fail(f"{len(line_starts)} line blocks, expected {a.lines}")

    # Recordings: "$STARTED" ... "PAUSED", in turn.
    periods = []
    open_at = None
    for i, r in enumerate(recs):
        if is_event(r, b"$STARTED"):
            if open_at is not None:
                fail(f"$STARTED at record {i} while recording")
            open_at = i
        elif is_event(r, b"PAUSED"):
            if open_at is None:
                fail(f"PAUSED at record {i} while not recording")
            else:
                periods.append((open_at, i))
                open_at = None
    if open_at is not None:
        fail("the last recording has no PAUSED")
    if len(periods) != a.recordings:
        fail(f"{len(periods)} recordings, expected {a.recordings}")

    def in_period(i):
        return any(s < i < e for s, e in periods)

    # Reading records per console and recording: consecutive capture sentences.
    total_readings = 0
    for k in range(a.consoles):
        sent = [reading_key(s) for s in capture_lines(f"{a.capture}.console{k + 1}.raw")]
        if not sent:
            fail(f"no capture of console {k + 1}")
            continue
        position = 0
        last_tick = None
        for n, (s, e) in enumerate(periods):
            got = [recs[i] for i in range(s + 1, e) if recs[i][0] == TAGS[k]]
            total_readings += len(got)
            if not got:
                fail(f"console {k + 1}: no readings in recording {n + 1}")
                continue
            keys = [g[1:16] for g in got]
            # The first record's sentence, searched from where the last recording ended.
            start = None
            for j in range(position, len(sent) - len(keys) + 1):
                if sent[j:j + len(keys)] == keys:
                    start = j
                    break
            if start is None:
                fail(f"console {k + 1}, recording {n + 1}: its {len(keys)} readings are not consecutive "
                     f"sentences of the capture")
                continue
            position = start + len(keys)
            for g in got:
                t = tick_of(g)
                if last_tick is not None and t < last_tick:
                    fail(f"console {k + 1}: tick {t} before {last_tick}")
                last_tick = t
            print(f"console {k + 1}, recording {n + 1}: {len(keys)} readings = capture sentences "
                  f"{start + 1}..{start + len(keys)}")
        # Console 1's tag is also the first byte of the identification record.
        if any(recs[i][0] == TAGS[k] and not in_period(i) and not recs[i].startswith(b"TESSEL")
               for i in range(len(recs))):
            fail(f"console {k + 1}: a reading record outside a recording")

    # GPS groups.
    gps_sent = capture_lines(f"{a.capture}.gps.raw")
    gps_position = 0
    groups = 0
    i = 0
    while i < len(recs):
        r = recs[i]
        if r[0] in (ord("@"), ord("?")):
            nxt = ord("#") if r[0] == ord("@") else ord('"')
            text = r[1:26]
            j = i + 1
            while j < len(recs) and recs[j][0] == nxt:
                text += recs[j][1:26]
                j += 1
            if j >= len(recs) or recs[j][0] != ord("!"):
                fail(f"GPS group at record {i} has no trailer")
                i = j
                continue
            sentence = text.rstrip(b" ")
            groups += 1
            if not in_period(i):
                fail(f"GPS group at record {i} outside a recording")
            found = None
            for p in range(gps_position, len(gps_sent)):
                if gps_sent[p].rstrip(b" ") == sentence:
                    found = p
                    break
            if found is None:
                fail(f"GPS group at record {i} ({sentence[:30]!r}) is not a later sentence of the capture")
            else:
                gps_position = found + 1
            i = j + 1
            continue
        i += 1
    if groups == 0:
        fail("no GPS group")

    # Events.
    n = a.break_console
    breaks = [i for i, r in enumerate(recs) if is_event(r, f"{n}CONN BRK {n}".encode())]
    if len(breaks) != 1:
        fail(f"{len(breaks)} records '{n}CONN BRK {n}', expected one")
    other_breaks = [i for i, r in enumerate(recs) if r[0] == ord("X") and b"CONN BRK" in r[1:12]
                    and i not in breaks and not r[1:12].startswith(b"GPS")]
    if other_breaks:
        fail(f"unexpected console breaks at records {other_breaks}")
    comments = [r for r in recs if r[0] == ord("C")]
    if [c[1:12].rstrip(b" ") for c in comments] != [a.comment.encode()]:
        fail(f"comment records {[c[1:12] for c in comments]}, expected one {a.comment!r}")
    stations = [r for r in recs if r[0] == ord("S")]
    if [s[1:12].strip() for s in stations] != [a.station.encode()]:
        fail(f"station records {[s[1:12] for s in stations]}, expected one {a.station}")

    for p in problems:
        print("FAIL:", p)
    print(f"{len(recs)} records: {total_readings} readings in {len(periods)} recordings, {groups} GPS groups, "
          f"{len(line_starts)} lines, {len(breaks)} console break; "
          + ("all checks passed" if not problems else f"{len(problems)} problems"))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
