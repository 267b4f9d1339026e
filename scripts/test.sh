#!/usr/bin/env bash
# The one test command: installs what is missing, builds the native and the
# Windows trees, and runs every test (the Windows suite under Wine).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
jobs="$(nproc)"

scripts/install-deps.sh

echo "== Native build and tests =="
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/native -j "$jobs"
ctest --test-dir build/native --output-on-failure -j "$jobs"

echo "== Windows build and tests under Wine =="
cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/windows -j "$jobs"
ctest --test-dir build/windows --output-on-failure -j "$jobs"
wineserver -k 2>/dev/null || true

echo "== Windows installer =="
scripts/make-installer.sh

echo "== End-to-end scenarios (tesselog.exe under Wine and Xvfb) =="
scripts/e2e/run_all.sh
