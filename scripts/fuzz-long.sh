#!/usr/bin/env bash
# The long fuzzing run: builds the libFuzzer targets with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer (undefined behaviour stops
# the run) and runs each target for a number of executions on its corpus,
# at low priority. The committed corpus (tests/fuzz/corpus/NAME) is read
# only; new inputs go to build/fuzz/corpus/NAME, findings to
# build/fuzz/artifacts. Prints the figures and writes them to
# build/fuzz/report.md; exits 1 on any finding.
#
# Usage: scripts/fuzz-long.sh [-n RUNS] [-T SECONDS] [-j JOBS] [-t NAME,NAME...] [--no-build] [--minimise]
#   -n RUNS      executions per target (default 10000000; 0: no run)
#   -T SECONDS   also stop each target after this time (default: no limit)
#   -j JOBS      targets run at the same time (default 1)
#   -t NAMES     only these targets (names without "fuzz_", comma-separated)
#   --no-build   use the targets already built in build/fuzz
#   --minimise   afterwards merge each target's new inputs into a fresh copy of
#                its committed corpus (libFuzzer -merge=1 on edges alone, not
#                hit counts: only inputs that reach new code) and put that in
#                tests/fuzz/corpus/NAME
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

runs=10000000
seconds_cap=0
jobs=1
only=""
build=1
minimise=0
while [ $# -gt 0 ]; do
  case "$1" in
    -n) runs="$2"; shift 2 ;;
    -T) seconds_cap="$2"; shift 2 ;;
    -j) jobs="$2"; shift 2 ;;
    -t) only=",$2,"; shift 2 ;;
    --no-build) build=0; shift ;;
    --minimise) minimise=1; shift ;;
    -h|--help) sed -n '2,21p' "$0"; exit 0 ;;
    *) echo "fuzz-long.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
  esac
done
niceness="${FUZZ_NICE:-19}"
out=build/fuzz
bin="$out/tests/fuzz"

# Longest input per target: a few records or sentences more than the
# framing, the file headers and the replays need to reach every state.
max_len() {
  case "$1" in
    gps_fields) echo 512 ;;
    data_file_writers) echo 2048 ;;
    export|append_replay) echo 8192 ;;
    *) echo 4096 ;;
  esac
}

if [ "$build" = 1 ]; then
  scripts/install-deps.sh >/dev/null
  CC=clang CXX=clang++ cmake -S . -B "$out" -DTESSELOG_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  nice -n "$niceness" cmake --build "$out" -j "$(nproc)"
fi

targets=()
for source in tests/fuzz/fuzz_*.cpp; do
  name="$(basename "$source" .cpp)"
  name="${name#fuzz_}"
  if [ -z "$only" ] || [[ "$only" == *",$name,"* ]]; then targets+=("$name"); fi
done
[ ${#targets[@]} -gt 0 ] || { echo "fuzz-long.sh: no target matches ${only//,/ }" >&2; exit 2; }

mkdir -p "$out/artifacts" "$out/corpus" "$out/logs" "$out/results"
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"

# One target: its run, then one result line (name, executions, seconds,
# executions per second, corpus size, coverage, findings).
run_target() {
  local name="$1" log="$out/logs/$1.log" started ended status=0
  mkdir -p "$out/corpus/$name" "tests/fuzz/corpus/$name"
  rm -f "$out/artifacts/$name"-*
  started=$(date +%s)
  nice -n "$niceness" "$bin/fuzz_$name" -runs="$runs" -max_total_time="$seconds_cap" \
      -max_len="$(max_len "$name")" -timeout=60 \
      -print_final_stats=1 -artifact_prefix="$out/artifacts/$name-" \
      "$out/corpus/$name" "tests/fuzz/corpus/$name" >"$log" 2>&1 || status=$?
  ended=$(date +%s)
  local executed cov corpus findings seconds rate
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2 || true)
  corpus=$(grep -o 'corp: [0-9]*/[0-9]*[bKM]*b*' "$log" | tail -1 | cut -d' ' -f2 || true)
  findings=$(find "$out/artifacts" -maxdepth 1 -name "$name-*" \
      \( -name '*crash-*' -o -name '*leak-*' -o -name '*timeout-*' -o -name '*oom-*' \) | wc -l)
  if [ "$status" != 0 ] && [ "$findings" = 0 ]; then findings=1; fi  # a fault without an artefact
  seconds=$((ended - started))
  rate=$(( ${executed:-0} / (seconds > 0 ? seconds : 1) ))
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$name" "${executed:-0}" "$seconds" "$rate" "${corpus:--}" \
      "${cov:--}" "$findings" >"$out/results/$name.tsv"
  echo "fuzz_$name: ${executed:-0} executions in ${seconds} s, findings: $findings (log $log)"
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

# The table holds every target with figures in build/fuzz/results, also
# those of earlier invocations (e.g. one per slot, with other limits).
report="$out/report.md"
{
  echo "Fuzzing run of $(date -u '+%Y-%m-%d %H:%M UTC') on $(nproc) cores ($(uname -m)), $(clang --version | head -1),"
  cap=""
  [ "$seconds_cap" = 0 ] || cap=" (at most $seconds_cap s each)"
  echo "ASan + UBSan, nice $niceness; last invocation: $jobs at a time, $runs executions asked per target$cap."
  echo
  echo "| target | executions | seconds | executions/s | corpus (files/bytes) | coverage (cov) | findings |"
  echo "| --- | ---: | ---: | ---: | ---: | ---: | ---: |"
  for source in tests/fuzz/fuzz_*.cpp; do
    name="$(basename "$source" .cpp)"
    name="${name#fuzz_}"
    [ -f "$out/results/$name.tsv" ] || continue
    IFS=$'\t' read -r n e s r c v f <"$out/results/$name.tsv"
    echo "| fuzz_$n | $e | $s | $r | $c | $v | $f |"
  done
} >"$report"
cat "$report"
total=$(cat "$out/results/"*.tsv 2>/dev/null | awk -F'\t' '{s += $7} END {print s + 0}')
if [ "$total" != 0 ]; then
  echo "fuzz-long.sh: $total finding(s): see $out/artifacts and $out/logs" >&2
  exit 1
fi
