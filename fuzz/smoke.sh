#!/usr/bin/env bash
# Runs every fuzz target built in the given build folder for a short while, seeded
# with the test data files.
set -euo pipefail
build=$1
seconds=${FUZZ_SECONDS:-15}
here=$(cd "$(dirname "$0")" && pwd)
shopt -s nullglob
ran=0
for target in "$build"/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus=$(mktemp -d)
  cp -r "$here"/../tests/data/. "$corpus"/ 2>/dev/null || true
  echo "fuzzing $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=4096 "$corpus" 2>&1 | tail -n 3
  rm -rf "$corpus"
  ran=$((ran + 1))
done
echo "fuzz targets run: $ran"
