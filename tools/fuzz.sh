#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a short while on a copy of its
# seed corpus. TW_FUZZ_SECONDS sets the time per target (default 60).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${TW_FUZZ_SECONDS:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for exe in build/fuzz/fuzz/*_fuzz; do
  name=$(basename "$exe" _fuzz)
  mkdir -p "$work/$name"
  cp -r "fuzz/corpus/$name/." "$work/$name/" 2>/dev/null || true
  echo "fuzz: $name for ${seconds}s"
  if ! "$exe" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$work/" -print_final_stats=1 "$work/$name" >"$work/$name.log" 2>&1; then
    status=1
    tail -n 40 "$work/$name.log"
    mkdir -p build/fuzz-findings && cp "$work"/crash-* "$work"/leak-* "$work"/timeout-* build/fuzz-findings/ 2>/dev/null || true
  fi
  grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$work/$name.log" | tail -n 2 || true
done
exit $status
