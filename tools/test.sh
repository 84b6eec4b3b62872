#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test:
# native, native under AddressSanitizer/UBSan, Windows under Wine, the
# Network-mode build, and the short fuzz runs.
set -euo pipefail
cd "$(dirname "$0")/.."
export CTEST_OUTPUT_ON_FAILURE=1

bash tools/setup.sh

step() { printf '\n=== %s\n' "$*"; }

step "native build and tests"
cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

step "sanitizer build and tests"
cmake --preset asan >/dev/null
cmake --build --preset asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset asan

step "Windows build and tests under Wine"
cmake --preset windows >/dev/null
cmake --build --preset windows
# One display and one wineserver for the whole run.
export TW_WINE_SLOT=${TW_WINE_SLOT:-0}
trap 'tools/wine-session.sh stop' EXIT
tools/wine-session.sh stop
tools/wine-session.sh ensure
ctest --preset windows

step "Windows build in Network mode"
cmake --preset windows-network >/dev/null
cmake --build --preset windows-network

if [ -x tools/fuzz.sh ]; then
  step "fuzzing"
  tools/fuzz.sh
fi
step "all tests passed"
