#!/usr/bin/env python3
"""Kills a process while it saves a file the way the settings file is saved.

A save writes FILE.new, flushes it and renames it over FILE. This watcher polls
for FILE.new and sends SIGKILL to PID a random moment (0..MAX_MS ms) after the
SKIP+1-th appearance of FILE.new, so the kill lands while a save is under way.
Once the process is gone it prints one line:

    killed SAVE_NUMBER DELAY_MS NEW_FILE_BYTES

NEW_FILE_BYTES is the size of FILE.new left behind, or "gone" when the save
had finished its rename before the kill took effect. Exit status 2 when the
process ended by itself first, 3 when nothing was seen within TIMEOUT seconds.

    kill_on_save.py PID FILE SKIP MAX_MS TIMEOUT
"""
import os
import random
import signal
import sys
import time


def alive(pid):
    try:
        with open(f"/proc/{pid}/stat") as stat:
            return stat.read().split(")")[-1].split()[0] != "Z"
    except OSError:
        return False


def main():
    pid, path, skip, max_ms, timeout = (int(sys.argv[1]), sys.argv[2], int(sys.argv[3]),
                                        float(sys.argv[4]), float(sys.argv[5]))
    fresh = path + ".new"
    deadline = time.monotonic() + timeout
    seen = 0
    present = False
    while True:
        now_present = os.path.exists(fresh)
        if now_present and not present:
            seen += 1
            if seen > skip:
                break
        present = now_present
        if not alive(pid):
            return 2
        if time.monotonic() > deadline:
            return 3
        time.sleep(0.0001)
    delay = random.uniform(0.0, max_ms)
    until = time.monotonic() + delay / 1000.0
    while time.monotonic() < until:
        pass
    os.kill(pid, signal.SIGKILL)
    while alive(pid):
        time.sleep(0.01)
    try:
        left = str(os.path.getsize(fresh))
    except OSError:
        left = "gone"
    print(f"killed {seen} {delay:.2f} {left}", flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
