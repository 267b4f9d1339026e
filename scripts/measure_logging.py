#!/usr/bin/env python3
"""Arithmetic of scripts/measure-logging.sh and scripts/measure-idle.sh.

  measure_logging.py threads PID OUT           CPU ticks of every thread of PID into OUT
  measure_logging.py cpu BEFORE AFTER SECONDS  CPU use between two such files: the whole
                                               process and each busy thread, in percent
                                               of one core
  measure_logging.py records WRITE_LOG RECORD_LOG
                                               sentences sent and reading records written
                                               while recording, the loss, and the time
                                               from the write to the record

The write log is the simulator's (--write-log): "<us> <port> <sentence>" per sentence.
The record log is the test build's: "<us> " and a record's 26 bytes, per record; both
clocks are CLOCK_MONOTONIC_RAW (QueryPerformanceCounter under Wine). A reading record
carries the sentence from its sixth character on (",0060,0065") in bytes 3..15, so
"$PBAR" and those bytes give back the sentence the console sent.
"""
import glob
import os
import sys

CONSOLE_TAGS = {0x54: 1, 0x74: 2, 0xD4: 3, 0xF4: 4, 0x14: 5, 0x97: 6, 0xA8: 7, 0xB9: 8, 0x3C: 9}


def thread_ticks(pid):
    ticks = {}
    for stat in glob.glob("/proc/%s/task/*/stat" % pid):
        try:
            with open(stat) as f:
                text = f.read()
        except OSError:
            continue
        tid = os.path.basename(os.path.dirname(stat))
        # The name may hold spaces or parentheses; the fields after the last ")" do not.
        name = text[text.index("(") + 1:text.rindex(")")]
        fields = text[text.rindex(")") + 2:].split()
        ticks[tid] = (name, int(fields[11]) + int(fields[12]))  # utime + stime
    return ticks


def save_threads(pid, out):
    with open(out, "w") as f:
        for tid, (name, t) in sorted(thread_ticks(pid).items()):
            f.write("%s %d %s\n" % (tid, t, name))


def load_threads(path):
    ticks = {}
    with open(path) as f:
        for line in f:
            tid, t, name = line.rstrip("\n").split(" ", 2)
            ticks[tid] = (name, int(t))
    return ticks


def cpu_report(before_path, after_path, seconds):
    hz = os.sysconf("SC_CLK_TCK")
    before, after = load_threads(before_path), load_threads(after_path)
    share = lambda d: 100.0 * d / hz / seconds
    deltas = sorted(((t - before.get(tid, (name, 0))[1], tid, name) for tid, (name, t) in after.items()),
                    reverse=True)
    total = sum(d for d, _, _ in deltas)
    print("process: %.2f %% of one core over %g s, %d threads" % (share(total), seconds, len(after)))
    if deltas:
        d, tid, name = deltas[0]
        print("busiest thread: %.2f %% (tid %s, %s)" % (share(d), tid, name))
    for d, tid, name in deltas[1:]:
        if d > 0:
            print("  thread %s (%s): %.2f %%" % (tid, name, share(d)))


def read_write_log(path):
    sent = {}
    with open(path, "rb") as f:
        for line in f:
            parts = line.rstrip(b"\n").split(b" ", 2)
            if len(parts) == 3 and parts[1].startswith(b"console"):
                sent.setdefault(int(parts[1][7:]), []).append((int(parts[0]), parts[2]))
    return sent


def read_record_log(path):
    records = []
    with open(path, "rb") as f:
        for line in f.read().split(b"\n"):
            stamp, _, record = line.partition(b" ")
            if stamp.isdigit():
                records.append((int(stamp), record))
    return records


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(p / 100.0 * (len(ordered) - 1))))]


def match_console(sentences, records, started):
    """Aligns one console's records with its sentences in order. Returns (latencies in us,
    sentences skipped between matched ones, index of the first matched sentence)."""
    texts = [s for _, s in sentences]
    want = [r for _, r in records]
    first = None
    for j, (t, s) in enumerate(sentences):
        if t < started - 2000000 or t > records[0][0]:
            continue
        if texts[j:j + min(5, len(want))] == want[:5]:
            first = j
            break
    if first is None:
        return None
    latencies, skipped, j = [], 0, first
    for t, text in records:
        k = j
        while k < len(sentences) and texts[k] != text:
            k += 1
        if k == len(sentences):
            break
        skipped += k - j
        latencies.append(t - sentences[k][0])
        j = k + 1
    return latencies, skipped, first


def records_report(write_log, record_log):
    sent = read_write_log(write_log)
    log = read_record_log(record_log)
    starts = [t for t, r in log if r[:1] == b"X" and r[1:9] == b"$STARTED"]
    pauses = [t for t, r in log if r[:1] == b"X" and r[1:7] == b"PAUSED"]
    if not starts or not pauses or pauses[-1] < starts[0]:
        print("no $STARTED ... PAUSED in the record log")
        return 1
    started = starts[0]
    paused = min(t for t in pauses if t > started)
    readings = {}
    for t, r in log:
        if started <= t <= paused and r and r[0] in CONSOLE_TAGS:
            readings.setdefault(CONSOLE_TAGS[r[0]], []).append((t, b"$PBAR" + r[3:16].rstrip(b" ")))
    total_sent = total_written = total_skipped = total_backlog = total_tail = 0
    latencies = []
    print("recording %.1f s; per console: sentences sent between $STARTED and PAUSED, records, sentences in the"
          % ((paused - started) / 1e6))
    print("recorded span (first to last recorded sentence), missing inside it; backlog: recorded sentences sent"
          " before $STARTED; tail: sentences sent before PAUSED but handled after it")
    for console in sorted(set(sent) | set(readings)):
        sentences = sent.get(console, [])
        window = [s for s in sentences if started <= s[0] <= paused]
        got = readings.get(console, [])
        matched = match_console(sentences, got, started) if got else None
        span = missing = backlog = tail = 0
        if matched:
            lat, skipped, first = matched
            latencies += lat
            span = len(got) + skipped
            missing = skipped
            last = first + span - 1
            backlog = sum(1 for t, _ in sentences[first:last + 1] if t < started)
            tail = sum(1 for t, _ in sentences[last + 1:] if t <= paused)
            total_skipped += skipped
        total_backlog += backlog
        total_tail += tail
        total_sent += len(window)
        total_written += len(got)
        print("  console %d: %6d sent, %6d records, span %6d, missing %d, backlog %3d, tail %d" % (
            console, len(window), len(got), span, missing, backlog, tail))
    print("sentences sent while recording: %d" % total_sent)
    print("reading records written: %d" % total_written)
    print("missing inside the recorded spans: %d; backlog written at Go: %d; tail handled after the pause: %d"
          % (total_skipped, total_backlog, total_tail))
    print("sent while recording = written - backlog + tail: %d = %d - %d + %d"
          % (total_sent, total_written, total_backlog, total_tail)
          if total_sent == total_written - total_backlog + total_tail else
          "sent while recording %d differs from written - backlog + tail (%d)"
          % (total_sent, total_written - total_backlog + total_tail))
    if latencies:
        steady = [l for (t, _), l in zip([r for c in sorted(readings) for r in readings[c]], latencies)
                  if t > started + 2000000]
        if steady:
            print("write to record after the first 2 s: median %.1f ms, 99th percentile %.1f ms, max %.1f ms"
                  % (percentile(steady, 50) / 1e3, percentile(steady, 99) / 1e3, max(steady) / 1e3))
    if latencies:
        print("write to record: median %.1f ms, 99th percentile %.1f ms, max %.1f ms over %d records" % (
            percentile(latencies, 50) / 1e3, percentile(latencies, 99) / 1e3, max(latencies) / 1e3,
            len(latencies)))
    return 0


def main(argv):
    if len(argv) == 4 and argv[1] == "threads":
        save_threads(argv[2], argv[3])
    elif len(argv) == 5 and argv[1] == "cpu":
        cpu_report(argv[2], argv[3], float(argv[4]))
    elif len(argv) == 4 and argv[1] == "records":
        return records_report(argv[2], argv[3])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
