#!/usr/bin/env python3
"""Linux side of the serial-port platform tests.

  pty_helper.py <dir> [seconds]

Opens two pseudo-terminal pairs, writes their slave paths to <dir>/ptys (one a
line) and answers the requests of the Windows test program until <dir>/done
appears or the time limit passes. A request is a file <dir>/probe-N.req; the
answer goes to <dir>/probe-N.ans:

  "mark"          starts a new window of <dir>/ioctl.log; answer "ok"
  "probe <path>"  answer, on one line, the line settings of that pty twice:
                  "pty.speed=9600 pty.csize=8 ... set.speed=9600 set.csize=8 ..."

"pty." is the termios the pty holds now. A Linux pty always reports 8 data
bits and no parity, whatever it is told, so "set." reads what the port was
asked to be from ioctl.log (strace -y -v of the program): for each setting,
the value of the last TCSETS* since the mark that changed it against the
TCGETS before it; a setting no call changed keeps the pty's value.

Both ptys start at 1200 baud, 2 stop bits, odd parity flag, RTS/CTS and
XON/XOFF, so a test sees every value the program sets rather than a default
that happens to match.
"""
import os
import re
import sys
import termios
import time

SPEEDS = {getattr(termios, "B%d" % b): b
          for b in (50, 75, 110, 134, 150, 200, 300, 600, 1200, 1800, 2400, 4800, 9600, 19200, 38400,
                    57600, 115200, 230400)}
SIZES = {termios.CS5: 5, termios.CS6: 6, termios.CS7: 7, termios.CS8: 8}
FLAGS = {n: getattr(termios, n) for n in dir(termios) if n.isupper() and isinstance(getattr(termios, n), int)}

# strace -y -v: 'ioctl(13</dev/pts/1>, SNDCTL_TMR_START or TCSETS, {c_iflag=IXON|IXOFF, ...,
# c_cflag=B38400|CS7|...'. Only the flags before c_cc matter, so the match stops at the first
# "}" and also takes a call that strace split around another thread's.
CALL = re.compile(r"ioctl\(\d+<(?P<path>[^>]*)>, (?:\S+ or )?(?P<op>TCGETS|TCSETS[WF]?), \{(?P<termios>[^}]*)")


def fields(iflag, cflag, speed):
    return {
        "speed": speed,
        "csize": SIZES[cflag & termios.CSIZE],
        "parenb": int(bool(cflag & termios.PARENB)),
        "parodd": int(bool(cflag & termios.PARODD)),
        "cstopb": int(bool(cflag & termios.CSTOPB)),
        "crtscts": int(bool(cflag & termios.CRTSCTS)),
        "ixon": int(bool(iflag & termios.IXON)),
        "ixoff": int(bool(iflag & termios.IXOFF)),
    }


def held(fd):
    iflag, _, cflag, _, _, ospeed, _ = termios.tcgetattr(fd)
    return fields(iflag, cflag, SPEEDS.get(ospeed, -1))


def flag_bits(names):
    bits = 0
    for name in names:
        bits |= FLAGS.get(name, 0)
    return bits


def logged(text):
    parts = dict(p.split("=", 1) for p in text.split(", ") if "=" in p)
    cflag_names = parts.get("c_cflag", "0").split("|")
    speed = next((int(n[1:]) for n in cflag_names if re.fullmatch(r"B\d+", n)), -1)
    return fields(flag_bits(parts.get("c_iflag", "0").split("|")), flag_bits(cflag_names), speed)


def asked(log, start, path):
    """Settings changed by TCSETS* calls on path after byte offset start of the log."""
    changed, before = {}, None
    try:
        with open(log, "rb") as f:
            f.seek(start)
            lines = f.read().decode(errors="replace").splitlines()
    except FileNotFoundError:
        return changed
    for line in lines:
        m = CALL.search(line)
        if not m or m.group("path") != path:
            continue
        now = logged(m.group("termios"))
        if m.group("op") != "TCGETS" and before is not None:
            changed.update({k: v for k, v in now.items() if v != before[k]})
        before = now
    return changed


def preset(fd):
    iflag, oflag, cflag, lflag, _, _, cc = termios.tcgetattr(fd)
    cflag |= termios.PARODD | termios.CSTOPB | termios.CRTSCTS | termios.CREAD | termios.CLOCAL
    iflag |= termios.IXON | termios.IXOFF
    lflag &= ~(termios.ECHO | termios.ICANON)  # nothing echoes back into the port
    termios.tcsetattr(fd, termios.TCSANOW, [iflag, oflag, cflag, lflag, termios.B1200, termios.B1200, cc])


def main():
    folder, limit = sys.argv[1], float(sys.argv[2]) if len(sys.argv) > 2 else 60.0
    log = os.path.join(folder, "ioctl.log")
    pairs = [os.openpty() for _ in range(2)]
    slaves = {os.ttyname(s): s for _, s in pairs}
    for s in slaves.values():
        preset(s)
    with open(os.path.join(folder, "ptys.tmp"), "w") as f:
        f.write("".join(p + "\n" for p in slaves))
    os.rename(os.path.join(folder, "ptys.tmp"), os.path.join(folder, "ptys"))

    mark = 0
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline and not os.path.exists(os.path.join(folder, "done")):
        for name in sorted(os.listdir(folder)):
            if not name.endswith(".req"):
                continue
            request = os.path.join(folder, name)
            with open(request) as f:
                words = f.read().split()
            os.remove(request)
            if words == ["mark"]:
                mark = os.path.getsize(log) if os.path.exists(log) else 0
                answer = "ok"
            elif len(words) == 2 and words[0] == "probe" and words[1] in slaves:
                path = words[1]
                now = held(slaves[path])
                requested = dict(now, **asked(log, mark, path))
                answer = " ".join(["pty.%s=%d" % kv for kv in now.items()] +
                                  ["set.%s=%d" % kv for kv in requested.items()])
                print("pty_helper: %s %s" % (path, answer), flush=True)
            else:
                answer = "error=1"
            base = request[:-len(".req")]
            with open(base + ".tmp2", "w") as f:
                f.write(answer + "\n")
            os.rename(base + ".tmp2", base + ".ans")
        time.sleep(0.01)


if __name__ == "__main__":
    main()
