#!/usr/bin/env python3
"""Writes tests/data/console/two-sensor-capture.bin, a deterministic Grad601-2 stream, and
tests/golden/two-sensor-capture.sentences, the sentences a two-sensor reader
must accept from it: listed from what each piece was made to be, not by
running the reader. The outputs are committed; rebuild only on purpose."""
import os

TESTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests")
CAPTURE = os.path.join(TESTS, "data", "console", "two-sensor-capture.bin")
EXPECTED = os.path.join(TESTS, "golden", "two-sensor-capture.sentences")


class Lcg:  # fixed, so the bytes do not depend on the Python version
    def __init__(self, seed):
        self.state = seed & 0xFFFFFFFF

    def next(self):
        self.state = (self.state * 1664525 + 1013904223) & 0xFFFFFFFF
        return self.state >> 8

    def below(self, n):
        return self.next() % n


rng = Lcg(601)
stream = bytearray()
accepted = []


def value_text(kind, value):
    if kind == 0:
        return "%04d" % max(0, min(9999, int(value)))
    if kind == 1:
        return "%+07.1f" % value
    if kind == 2:
        return "%7.2f" % value  # leading spaces
    return "%.1f" % value


def good(text):
    stream.extend(text.encode("ascii") + b"\r\n")
    accepted.append(text)


def bad(raw):  # bytes that must give no sentence
    stream.extend(raw)


def noise(n, allow_lf=True):  # anything but "$" (and LF when asked)
    out = bytearray()
    while len(out) < n:
        b = rng.below(256)
        if b == 0x24 or (b == 0x0A and not allow_lf):
            continue
        out.append(b)
    stream.extend(out)


# Lines that must give no sentence, picked at random after a good one (index 0 is noise).
BROKEN = [
    None,
    b"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n",
    b"$pbar,0060,0065\r\n",  # the name test is case-sensitive
    b"$PBAR,0060,00",  # cut off: the next "$" restarts
    b"$PBAR,0061\n",  # no CR
    b"$PBAR,1\rx\n",  # CR in the middle
    b"$PB",  # restarted by the next sentence's "$"
    b"$PBAR\r\n",  # six bytes: too short
    b"\r\n\r\n",
    b"$PGRMT,GPS 15x,P,P,R,R,P,C,25,*22\r\n",
]

base1, base2 = 240.0, 260.0
for i in range(420):
    base1 += (rng.below(201) - 100) / 25.0
    base2 += (rng.below(201) - 100) / 25.0
    spike = 400.0 if rng.below(40) == 0 else 0.0
    kind = (i // 60) % 4
    good("$PBAR,%s,%s" % (value_text(kind, base1 + spike), value_text(kind, base2 - spike)))

    r = rng.below(30)
    if r == 0:
        noise(1 + rng.below(40))
    elif r < len(BROKEN):
        bad(BROKEN[r])

    if i == 100:
        noise(700, allow_lf=False)  # a long run with no LF at all
    if i == 200:
        # Runs on past the wrap: the buffer restarts with digits, not "PBAR".
        bad(b"$PBAR,0060," + bytes(ord("0") + rng.below(10) for _ in range(260)) + b"\r\n")
    if i == 250:
        good("$PBAR,")  # seven bytes: enough for a two-sensor console
    if i == 300:
        good("$PBAR," + "1" * 93)  # 99 characters: fits the slot
        bad(b"$PBAR," + b"2" * 94 + b"\r\n")  # 100 characters: dropped
    if i == 350:
        bad(b"$PB")
        good("$PBAR,0012,0013")

with open(CAPTURE, "wb") as f:
    f.write(stream)
with open(EXPECTED, "wb") as f:
    f.write(b"".join(s.encode("ascii") + b"\n" for s in accepted))
print("%d bytes, %d sentences" % (len(stream), len(accepted)))
