#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each for a bounded time (default 30 s)
# on its saved corpus. New interesting inputs are added to the corpus folder;
# commit the ones that found a fault. Usage: scripts/fuzz.sh [SECONDS] [TARGET]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
seconds="${1:-30}"
only="${2:-}"
scripts/install-deps.sh
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DTESSELOG_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j "$(nproc)"
# The quarantine of scripts/fuzz-long.sh (docs/fuzzing.md): quicker, and a use
# after free within one input is still caught.
export ASAN_OPTIONS="${ASAN_OPTIONS:-quarantine_size_mb=16}"
for source in tests/fuzz/fuzz_*.cpp; do
  target="$(basename "$source" .cpp)"
  name="${target#fuzz_}"
  [ -z "$only" ] || [ "$only" = "$name" ] || continue
  echo "== $target for ${seconds}s =="
  mkdir -p "tests/fuzz/corpus/$name" build/fuzz/artifacts
  "build/fuzz/tests/fuzz/$target" -max_total_time="$seconds" -max_len=4096 \
      -artifact_prefix=build/fuzz/artifacts/ "tests/fuzz/corpus/$name"
done
