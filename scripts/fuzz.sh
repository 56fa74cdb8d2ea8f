#!/usr/bin/env bash
# Runs one fuzz target for a while: scripts/fuzz.sh TARGET SECONDS (TARGET as in
# fuzz/fuzz_TARGET.cpp, e.g. netscape). Builds the fuzz build in build/fuzz first (clang,
# the whole core instrumented) unless FUZZ_NO_BUILD=1. The corpus grows in
# build/fuzz/corpus/TARGET, seeded from tests/data; findings go to build/fuzz/findings/.
# Exits non-zero on any finding (crash, sanitizer report, leak, time-out, memory limit).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 2 ]; then
  echo "usage: scripts/fuzz.sh TARGET SECONDS" >&2
  exit 2
fi
target=$1
seconds=$2
build=${FUZZ_BUILD_DIR:-build/fuzz}
if [ "${FUZZ_NO_BUILD:-0}" != 1 ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLEX_BUILD_UI=OFF \
    -DBRINDLEX_BUILD_BENCH=OFF -DBRINDLEX_FUZZ=ON >/dev/null
  cmake --build "$build" --target "fuzz_$target"
fi
program="$build/fuzz/fuzz_$target"
[ -x "$program" ] || { echo "no fuzz target $program" >&2; exit 2; }

# Seeds: the test files of the target's format.
seeds=()
case $target in
  database) seeds=(tests/data/db/*.bdx tests/data/explorer/*.bdx) ;;
  netscape | htmllinks | spyglass) seeds=(tests/data/formats/*.htm) ;;
  mosaic) seeds=(tests/data/formats/*mosaic*.hot) ;;
  spry) seeds=(tests/data/formats/*spry*.hot) ;;
  shortcut) seeds=(tests/data/formats/*.url) ;;
  chromium) seeds=(tests/data/profiles/Bookmarks) ;;
  places) seeds=(tests/data/profiles/places.sqlite) ;;
esac
corpus="$build/corpus/$target"
findings="$build/findings/$target"
mkdir -p "$corpus" "$findings"
if [ ${#seeds[@]} -gt 0 ]; then
  cp -n "${seeds[@]}" "$corpus"/ 2>/dev/null || true
fi
options=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1
  -artifact_prefix="$findings/")
[ -f "fuzz/dict/$target.dict" ] && options+=(-dict="fuzz/dict/$target.dict")
# The Netscape target takes inputs large enough to reach the nesting and line limits.
if [ "$target" = netscape ]; then
  options+=(-max_len=1048576)
else
  options+=(-max_len=65536)
fi
log="$build/fuzz-$target.log"
status=0
"$program" "${options[@]}" "$corpus" >"$log" 2>&1 || status=$?
# The last status line says how much of the code the run reached.
summary=$(grep -E '^#[0-9]+' "$log" | tail -n 1 || true)
echo "fuzz_$target ${seconds}s: ${summary:-no status line} (exit $status)"
if [ "$status" -ne 0 ]; then
  echo "fuzz_$target found a fault; see $log and $findings" >&2
  grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$log" | head -n 20 >&2 || true
fi
exit "$status"
