#!/usr/bin/env bash
# The long fuzzing run: builds the libFuzzer targets with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer (undefined behaviour stops
# the run) and brings each target to a number of executions in all, at low
# priority. Every run is written to a ledger (tests/fuzz/ledger.tsv, kept in
# the tree so that a fresh clone counts the runs made elsewhere), so a run
# that is stopped and started again goes on where it was: it asks each target
# only for the executions still missing, on the corpus it grew so far
# (carry that to another machine with --minimise).
# The committed corpus (tests/fuzz/corpus/NAME) is read only; new inputs go
# to build/fuzz/corpus/NAME, findings to build/fuzz/artifacts. Prints the
# figures of all runs so far and writes them to build/fuzz/report.md; exits 1
# while a finding is open (its input still in build/fuzz/artifacts).
#
# Usage: scripts/fuzz-long.sh [-n RUNS] [-T SECONDS] [-j JOBS] [-p PARTS] [-t NAME,NAME...] [--no-build]
#                             [--minimise]
#        scripts/fuzz-long.sh --stop
#   -n RUNS      executions per target in all runs together (default 10000000;
#                a target already there is not run; 0: only the figures)
#   -T SECONDS   stop each target after this time in this invocation
#   -j JOBS      targets run at the same time (default 1)
#   -p PARTS     processes per target, sharing its corpus folder, each asked
#                for its part of the missing executions (default 1): a slow
#                last target can use every core
#   -t NAMES     only these targets (names without "fuzz_", comma-separated)
#   --no-build   use the targets already built in build/fuzz
#   --minimise   afterwards merge each target's new inputs into a fresh copy of
#                its committed corpus (libFuzzer -merge=1 on edges alone, not
#                hit counts: only inputs that reach new code) and put that in
#                tests/fuzz/corpus/NAME
#   --stop       ends the targets running now; their figures go to the ledger
#                (from the invocation that started them) and a later call
#                resumes them
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

runs=10000000
seconds_cap=0
jobs=1
parts=1
only=""
build=1
minimise=0
stop=0
while [ $# -gt 0 ]; do
  case "$1" in
    -n) runs="$2"; shift 2 ;;
    -T) seconds_cap="$2"; shift 2 ;;
    -j) jobs="$2"; shift 2 ;;
    -p) parts="$2"; shift 2 ;;
    -t) only=",$2,"; shift 2 ;;
    --no-build) build=0; shift ;;
    --minimise) minimise=1; shift ;;
    --stop) stop=1; shift ;;
    -h|--help) sed -n '2,33p' "$0"; exit 0 ;;
    *) echo "fuzz-long.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done
niceness="${FUZZ_NICE:-19}"
# With the kernel's automatic groups a process started by setsid shares the
# processor with the other sessions as a group, whatever its nice value: the
# group itself is made as nice, so that the targets take only what is idle.
if [ -w /proc/self/autogroup ]; then echo "$niceness" >/proc/self/autogroup 2>/dev/null || true; fi
out=build/fuzz
bin="$out/tests/fuzz"
ledger=tests/fuzz/ledger.tsv
running="$out/running"  # NAME (NAME@2... for more parts): pid, start time and log of a target being run

# Ends the running targets with SIGTERM: libFuzzer prints its figures and
# exits, and the invocation that started them writes them to the ledger.
if [ "$stop" = 1 ]; then
  for file in "$running"/*; do
    [ -f "$file" ] || continue
    read -r pid _ _ <"$file"
    if kill -0 "$pid" 2>/dev/null; then
      kill -TERM "$pid" && echo "fuzz_$(basename "$file"): stopping (pid $pid)"
    fi
  done
  exit 0
fi

# Longest input per target: a few records or sentences more than the
# framing, the file headers and the replays need to reach every state.
max_len() {
  case "$1" in
    gps_fields) echo 512 ;;
    data_file_writers) echo 2048 ;;
    *) echo 4096 ;;
  esac
}

if [ "$build" = 1 ]; then
  scripts/install-deps.sh >/dev/null
  CC=clang CXX=clang++ cmake -S . -B "$out" -DTESSELOG_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  nice -n "$niceness" cmake --build "$out" -j "$(nproc)"
fi

all_targets() {
  for source in tests/fuzz/fuzz_*.cpp; do
    name="$(basename "$source" .cpp)"
    echo "${name#fuzz_}"
  done
}
targets=()
for name in $(all_targets); do
  if [ -z "$only" ] || [[ "$only" == *",$name,"* ]]; then targets+=("$name"); fi
done
[ ${#targets[@]} -gt 0 ] || { echo "fuzz-long.sh: no target matches ${only//,/ }" >&2; exit 2; }

mkdir -p "$out/artifacts" "$out/corpus" "$out/logs" "$running"
touch "$ledger"
# A smaller quarantine than the 256 MB default: freed memory is reused while
# it is still mapped instead of the allocator touching new pages for every
# input, which made the targets up to twice as slow. A use after free within
# one input (a few megabytes at most) is still caught.
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:quarantine_size_mb=16}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"

# Executions of a target in the ledger.
executed_so_far() {
  awk -F'\t' -v n="$1" '$2 == n {s += $3} END {print s + 0}' "$ledger"
}

# Findings not yet dealt with: inputs of crashes, leaks, timeouts and
# running out of memory still in build/fuzz/artifacts (a fixed one moves to
# tests/fuzz/corpus/NAME as found-SHA1).
open_findings() {
  find "$out/artifacts" -maxdepth 1 -name "$1-*" \
      \( -name '*crash-*' -o -name '*leak-*' -o -name '*timeout-*' -o -name '*oom-*' \) | wc -l
}

# One ledger line from a finished run's log: date, name, executions,
# seconds, executions per second, corpus, coverage, findings, commit, log.
# A log without libFuzzer's final figures (a run killed outright) counts up
# to its last status line.
record_run() {
  local name="$1" log="$2" started="$3" status="$4" ended executed cov corpus findings seconds
  ended=$(stat -c %Y "$log")
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  [ -n "$executed" ] || executed=$(grep -o '^#[0-9]*' "$log" | tail -1 | tr -d '#')
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
  corpus=$(grep -o 'corp: [0-9]*/[0-9]*[bKM]*b*' "$log" | tail -1 | cut -d' ' -f2 || true)
  findings=$(grep -c -E 'Test unit written to .*-(crash|leak|timeout|oom)-' "$log" || true)
  # A fault that left no input (a target that did not start, say). Not one:
  # 72, libFuzzer's exit after --stop, and a kill from outside (128 + signal;
  # libFuzzer itself ends with 1 after a fault, its input written).
  if [ "$status" != 0 ] && [ "$status" != 72 ] && [ "$status" -le 128 ] && [ "$findings" = 0 ]; then
    findings=1
  fi
  seconds=$((ended - started))
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$(date -u -d "@$started" '+%Y-%m-%d %H:%M')" "$name" \
      "${executed:-0}" "$seconds" "$(( ${executed:-0} / (seconds > 0 ? seconds : 1) ))" "${corpus:--}" \
      "${cov:--}" "$findings" "$(git rev-parse --short HEAD)$(git diff --quiet HEAD -- core tests/fuzz || echo +)" \
      "$(basename "$log")" >>"$ledger"
}

# Runs whose invocation ended before them (killed with the shell): their
# figures are taken from the log once the target has ended too.
for file in "$running"/*; do
  [ -f "$file" ] || continue
  read -r pid started log <"$file"
  kill -0 "$pid" 2>/dev/null && continue
  tag="$(basename "$file")"
  record_run "${tag%@*}" "$log" "$started" 0
  rm -f "$file"
done

# One target: the executions it still lacks, in PARTS processes, then a
# ledger line for each.
run_target() {
  local name="$1" done_so_far wanted started part tag log status pids=() tags=() logs=() i
  done_so_far=$(executed_so_far "$name")
  wanted=$((runs - done_so_far))
  if [ "$wanted" -le 0 ]; then
    echo "fuzz_$name: $done_so_far executions already"
    return
  fi
  if compgen -G "$running/$name" >/dev/null || compgen -G "$running/$name@*" >/dev/null; then
    echo "fuzz_$name: running already (see $running/$name)"
    return
  fi
  mkdir -p "$out/corpus/$name" "tests/fuzz/corpus/$name"
  started=$(date +%s)
  for ((part = 1; part <= parts; part++)); do
    tag="$name"
    [ "$part" = 1 ] || tag="$name@$part"
    log="$out/logs/$tag-$(date -u -d "@$started" '+%Y%m%d-%H%M%S').log"
    nice -n "$niceness" "$bin/fuzz_$name" -runs="$(((wanted + parts - 1) / parts))" -max_total_time="$seconds_cap" \
        -max_len="$(max_len "$name")" -timeout=60 \
        -print_final_stats=1 -artifact_prefix="$out/artifacts/$name-" \
        "$out/corpus/$name" "tests/fuzz/corpus/$name" >"$log" 2>&1 &
    echo "$! $started $log" >"$running/$tag"
    pids+=("$!")
    tags+=("$tag")
    logs+=("$log")
  done
  for i in "${!pids[@]}"; do
    status=0
    wait "${pids[$i]}" || status=$?
    record_run "$name" "${logs[$i]}" "$started" "$status"
    rm -f "$running/${tags[$i]}"
  done
  echo "fuzz_$name: $(executed_so_far "$name") executions in all, open findings: $(open_findings "$name") (log ${logs[0]})"
}

if [ "$runs" != 0 ]; then
  for name in "${targets[@]}"; do
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n || true; done
    run_target "$name" &
  done
  wait
fi

if [ "$minimise" = 1 ]; then
  for name in "${targets[@]}"; do
    fresh="$out/merged/$name"
    rm -rf "$fresh" && mkdir -p "$fresh"
    cp -p "tests/fuzz/corpus/$name"/* "$fresh"/ 2>/dev/null || true
    nice -n "$niceness" "$bin/fuzz_$name" -merge=1 -use_counters=0 -max_len="$(max_len "$name")" "$fresh" \
        "$out/corpus/$name" >"$out/logs/$name.merge.log" 2>&1
    rm -rf "tests/fuzz/corpus/$name" && cp -rp "$fresh" "tests/fuzz/corpus/$name"
    echo "fuzz_$name: corpus $(ls "tests/fuzz/corpus/$name" | wc -l) files, $(du -sh "tests/fuzz/corpus/$name" | cut -f1)"
  done
fi

# The table: every target with runs in the ledger, executions and seconds
# summed over its runs, the rate, corpus and coverage of its latest run, and
# the findings still open. A target running now shows its progress.
report="$out/report.md"
{
  echo "Fuzzing figures of $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores ($(uname -m)), $(clang --version | head -1),"
  echo "ASan + UBSan, nice $niceness; executions and seconds of all runs in $ledger."
  echo
  echo "| target | runs | executions | seconds | executions/s (last run) | corpus (files/bytes) | coverage (cov) | findings open |"
  echo "| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: |"
  for name in $(all_targets); do
    awk -F'\t' -v n="$name" -v open="$(open_findings "$name")" '
      $2 == n { runs++; e += $3; s += $4; rate = $5; corpus = $6; cov = $7 }
      END { if (runs) printf "| fuzz_%s | %d | %d | %d | %s | %s | %s | %d |\n", n, runs, e, s, rate, corpus, cov, open }
    ' "$ledger"
  done
  for file in "$running"/*; do
    [ -f "$file" ] || continue
    read -r pid started log <"$file"
    now=$(grep -o '^#[0-9]*' "$log" 2>/dev/null | tail -1 | tr -d '#' || true)
    echo
    echo "Running: fuzz_$(basename "$file") (pid $pid) for $(( $(date +%s) - started )) s, ${now:-0} executions so far."
  done
} >"$report"
cat "$report"
total=0
for name in $(all_targets); do total=$((total + $(open_findings "$name"))); done
if [ "$total" != 0 ]; then
  echo "fuzz-long.sh: $total open finding(s): see $out/artifacts and $out/logs" >&2
  exit 1
fi
