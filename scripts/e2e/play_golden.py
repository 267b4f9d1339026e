#!/usr/bin/env python3
"""Plays a golden replay scenario through the real program, and compares files.

    play_golden.py play SCENARIO_DIR LINK_DIR WINDOW
        Makes one pty pair per port of the scenario's capture (LINK_DIR/console1..,
        LINK_DIR/gps link to the slaves, which the program opens as its COM ports),
        prints "ready", waits for a line on stdin, and then, on the capture's clock,
        writes every chunk of port bytes at its time and sends the scenario's operator
        commands to the program's main window WINDOW as keys (xdotool): start "l",
        file "f" + Return in "Create Data File", go "g", pause Space, newline "m" "l" +
        Return (the dialog's proposal), station V "n" +
        V + Return, comment T "c" + T + Return, quickline yes "q" + Return, mapsize N
        "s" + N + Return, exit yes "x" + Return in "Confirm Exit"; a "WARNING" box (the
        map overflow and its refusals) is answered with OK. Prints "done".

    play_golden.py compare EXPECTED ACTUAL
        Compares two data files record by record apart from what depends on the
        moment: ticks, dates and times, and the file name in the H record; console
        breaks are compared by their texts, not their places, and the count of
        consoles in break in GPS trailers is not compared. Reading, GPS and
        segment records next to a "$STARTED" or "PAUSED" may differ, since the
        program's keys arrive some milliseconds off the scenario's times; any other
        difference fails.
"""
import difflib
import os
import subprocess
import sys
import time
import tty

RECORD = 27
TAGS = {0x54, 0x74, 0xD4, 0xF4, 0x14, 0x97, 0xA8, 0xB9, 0x3C}


def read_scenario(folder):
    capture, commands = None, []
    for line in open(os.path.join(folder, "scenario")):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        word, _, rest = line.partition(" ")
        if word == "capture":
            capture = rest.strip()
        elif word.isdigit():
            commands.append((int(word), rest.strip()))
    return capture, commands


def read_index(folder, capture):
    chunks = []
    raws = {}
    for line in open(os.path.join(folder, capture + ".index")):
        if line.startswith("#") or not line.strip():
            continue
        ms, port, offset, length = line.split()
        if port not in raws:
            raws[port] = open(os.path.join(folder, f"{capture}.{port}.raw"), "rb").read()
        chunks.append((int(ms), port, raws[port][int(offset):int(offset) + int(length)]))
    return chunks, sorted(raws)


def xdo(*args):
    subprocess.run(["xdotool", *args], check=False, timeout=10, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)


def wait_window(title, seconds=8, quiet=False):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        r = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"],
                           capture_output=True, text=True, timeout=10)
        ids = r.stdout.split()
        if ids:
            return ids[0]
        time.sleep(0.05)
    if not quiet:
        sys.stderr.write(f"no window {title!r}\n")
        shots = os.environ.get("PLAYER_SHOTS")
        if shots:
            name = os.path.join(shots, "missing-" + title.replace(" ", "-") + ".png")
            subprocess.run(["import", "-window", "root", name], check=False, timeout=20)
    return None


def keys(window, *names):
    xdo("windowfocus", window)
    xdo("key", "--clearmodifiers", "--delay", "30", *names)


def key_names(text):
    names = []
    for c in text:
        if c == " ":
            names.append("space")
        elif c == ".":
            names.append("period")
        elif c == "-":
            names.append("minus")
        elif c.isupper():
            names.append("shift+" + c.lower())
        else:
            names.append(c)
    return names


def dismiss_warning(seconds):
    """Answers a "WARNING" box (the map overflow and its refusals) with OK."""
    w = wait_window("WARNING", seconds, quiet=True)
    if w:
        keys(w, "Return")


def run_command(main, command, state):
    verb, _, arg = command.partition(" ")
    dismiss_warning(0.1)
    if verb == "start":
        keys(main, "l")
    elif verb == "file":
        keys(main, "f")
        w = wait_window("Create Data File")
        if w:
            keys(w, "Return")
            state["file"] = True
    elif verb == "go":
        keys(main, "g")
        dismiss_warning(1.0)  # "Cannot start logging." while the map is too small
    elif verb == "pause":
        keys(main, "space")
    elif verb == "newline":
        # The menu's "New &Line", and OK on what the dialog proposes.
        keys(main, "m")
        time.sleep(0.3)
        keys(main, "l")
        w = wait_window("New Survey Line")
        if w:
            keys(w, "Return")
    elif verb == "station":
        keys(main, "n")
        w = wait_window("New Station")
        if w:
            keys(w, *key_names(arg), "Return")
    elif verb == "comment":
        keys(main, "c")
        w = wait_window("Maximum 11 characters")
        if w:
            keys(w, *key_names(arg), "Return")
    elif verb == "quickline":
        keys(main, "q")
        w = wait_window("Quick Line")
        if w:
            keys(w, "Return" if arg != "no" else "n")
    elif verb == "mapsize":
        keys(main, "s")
        w = wait_window("Map Size")
        if w:
            keys(w, "End", "shift+Home", "BackSpace", *key_names(arg), "Return")
        dismiss_warning(1.0)  # "Map Size too small"
    elif verb == "exit":
        keys(main, "x")
        if state.get("file"):
            w = wait_window("Confirm Exit")
            if w:
                keys(w, "Return" if arg != "no" else "n")
    elif verb == "end":
        return False
    else:
        sys.stderr.write(f"command {command!r} is not played\n")
    return True


def play(folder, links, main):
    capture, commands = read_scenario(folder)
    chunks, ports = read_index(folder, capture)
    masters = {}
    for port in ports:
        master, slave = os.openpty()
        tty.setraw(master)
        tty.setraw(slave)
        link = os.path.join(links, port)
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(os.ttyname(slave), link)
        masters[port] = (master, slave)  # the slave stays open: no hang-up when the program reopens
    print("ready", flush=True)
    sys.stdin.readline()
    events = [(ms, 1, port, data) for ms, port, data in chunks] + [(ms, 0, cmd, None) for ms, cmd in commands]
    events.sort(key=lambda e: (e[0], e[1]))
    state = {}
    t0 = time.monotonic()
    for ms, kind, what, data in events:
        delay = t0 + ms / 1000.0 - time.monotonic()
        if delay > 0:
            time.sleep(delay)
        if kind == 1:
            os.write(masters[what][0], data)
        elif not run_command(main, what, state):
            break

    time.sleep(1)
    print("done", flush=True)


def normalised(record):
    r = bytearray(record)
    kind = r[0]
    if r.startswith(b"TESSEL") or r.startswith(b"rESSEL"):
        return bytes(r)
    if kind == ord("H"):
        r[2:11] = b"?" * 9            # the file name holds the date
    elif kind in TAGS or kind in (ord("!"), ord("X"), ord("C"), ord("*")):
        r[16:26] = b"?" * 10          # tick
        if kind == ord("!"):
            r[14:15] = b"?"           # consoles in break: set by the watch, whose phase differs
        if kind == ord("*"):
            r[1:16] = b"?" * 15       # local time
    elif kind == ord("Z"):
        r[1:26] = b"?" * 25           # date and time of day
    elif kind == ord("S"):
        r[12:26] = b"?" * 14          # time of day
    return bytes(r)


def records(path):
    data = open(path, "rb").read()
    return [data[i:i + RECORD] for i in range(0, len(data), RECORD)]


def is_boundary_kind(record):
    # Readings, GPS groups and the swath's segment records, which the map
    # writes with each fix: a fix that lands on the other side of a key moves
    # the segment's first edges by one fix.
    return record[0] in TAGS or record[0] in (ord("@"), ord("#"), ord("!"), ord("?"), ord('"'), ord("{"))


def is_mark(record):
    return record[0] == ord("X") and record[1:12].rstrip() in (b"$STARTED", b"PAUSED", b"PAUSED BMP")


def is_console_break(record):
    return record[0] == ord("X") and record[2:11] == b"CONN BRK " and record[1:2].isdigit()


def compare(expected_path, actual_path):
    expected, actual = records(expected_path), records(actual_path)
    # A console break is written by the once-a-second watch, whose phase differs
    # between a run and its replay: its place among the readings may differ, so
    # the breaks are compared apart, by their texts.
    breaks = ([r[1:12] for r in expected if is_console_break(r)], [r[1:12] for r in actual if is_console_break(r)])
    expected = [r for r in expected if not is_console_break(r)]
    actual = [r for r in actual if not is_console_break(r)]
    a = [normalised(r) for r in expected]
    b = [normalised(r) for r in actual]
    marks_a = [i for i, r in enumerate(expected) if is_mark(r)]
    marks_b = [i for i, r in enumerate(actual) if is_mark(r)]
    problems, tolerated = [], 0
    if breaks[0] != breaks[1]:
        problems.append(f"console breaks {breaks[0]} / {breaks[1]}")
    if [expected[i][1:12] for i in marks_a] != [actual[i][1:12] for i in marks_b]:
        problems.append("the recordings differ: "
                        f"{[expected[i][1:12] for i in marks_a]} / {[actual[i][1:12] for i in marks_b]}")

    def near(marks, lo, hi):
        # A differing run at a recording's edge: it ends at a mark or starts soon after one.
        # Readings that waited in the readers during the waits around "&Go" come in the
        # order the threads were scheduled: on a busy machine that reaches about 2 s, some
        # 20 records of three consoles and a GPS. The swath's first edges follow with the
        # next fix: 16 segment records more.
        return any(lo - 48 <= m <= hi + 48 for m in marks)

    for op, i1, i2, j1, j2 in difflib.SequenceMatcher(None, a, b, autojunk=False).get_opcodes():
        if op == "equal":
            continue
        changed = expected[i1:i2] + actual[j1:j2]
        if all(is_boundary_kind(r) for r in changed) and (near(marks_a, i1, i2) or near(marks_b, j1, j2)):
            tolerated += len(changed)
            continue
        problems.append(f"{op} expected {i1}..{i2} / actual {j1}..{j2}: "
                        f"{[r[:16] for r in expected[i1:i2][:3]]} / {[r[:16] for r in actual[j1:j2][:3]]}")
    for p in problems:
        print("FAIL:", p)
    print(f"{len(expected)} expected records, {len(actual)} written by the program; "
          f"{tolerated} reading, GPS or segment records differ at the edges of a recording; "
          + ("the same records otherwise" if not problems else f"{len(problems)} differences"))
    return 1 if problems else 0


def main():
    if len(sys.argv) == 5 and sys.argv[1] == "play":
        play(sys.argv[2], sys.argv[3], sys.argv[4])
        return 0
    if len(sys.argv) == 4 and sys.argv[1] == "compare":
        return compare(sys.argv[2], sys.argv[3])
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main())
