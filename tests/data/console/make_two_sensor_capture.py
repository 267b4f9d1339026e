#!/usr/bin/env python3
"""Writes two-sensor-capture.bin, a deterministic stand-in for a captured
Grad601-2 stream, and ../../golden/two-sensor-capture.sentences, the sentences a
two-sensor console's reader accepts from it, one per line, in order.

The expected list comes from what each piece was made to be, not from running
the reader, so the framer test checks the reader against an independent
account. Run once; the outputs are committed and only rebuilt on purpose.
"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
CAPTURE = os.path.join(HERE, "two-sensor-capture.bin")
EXPECTED = os.path.join(HERE, "..", "..", "golden", "two-sensor-capture.sentences")


class Lcg:
    """A fixed generator, so the bytes do not depend on the Python version."""

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
    """A sentence the reader accepts."""
    stream.extend(text.encode("ascii") + b"\r\n")
    accepted.append(text)


def bad(raw):
    """Bytes that must give no sentence."""
    stream.extend(raw)


def noise(n, allow_lf=True):
    """Bytes outside any sentence: anything but "$" (and LF when asked)."""
    out = bytearray()
    while len(out) < n:
        b = rng.below(256)
        if b == 0x24 or (b == 0x0A and not allow_lf):
            continue
        out.append(b)
    stream.extend(out)


base1, base2 = 240.0, 260.0
for i in range(420):
    # A slowly wandering field with the odd anomaly.
    base1 += (rng.below(201) - 100) / 25.0
    base2 += (rng.below(201) - 100) / 25.0
    spike = 400.0 if rng.below(40) == 0 else 0.0
    kind = (i // 60) % 4
    good("$PBAR,%s,%s" % (value_text(kind, base1 + spike), value_text(kind, base2 - spike)))

    r = rng.below(30)
    if r == 0:
        noise(1 + rng.below(40))
    elif r == 1:
        bad(b"$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n")
    elif r == 2:
        bad(b"$pbar,0060,0065\r\n")  # the name test is case-sensitive
    elif r == 3:
        bad(b"$PBAR,0060,00")  # cut off: the next "$" restarts
    elif r == 4:
        bad(b"$PBAR,0061\n")  # no CR
    elif r == 5:
        bad(b"$PBAR,1\rx\n")  # CR in the middle
    elif r == 6:
        bad(b"$PB")  # restarted by the next sentence's "$"
    elif r == 7:
        bad(b"$PBAR\r\n")  # six bytes: too short
    elif r == 8:
        bad(b"\r\n\r\n")
    elif r == 9:
        bad(b"$PGRMT,GPS 15x,P,P,R,R,P,C,25,*22\r\n")

    if i == 100:
        noise(700, allow_lf=False)  # a long run with no LF at all
    if i == 200:
        # A sentence that runs on past the wrap: after 180 bytes the buffer
        # starts over with digits, so buffer[1..4] is not "PBAR".
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
