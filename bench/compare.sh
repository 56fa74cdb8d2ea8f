#!/usr/bin/env bash
# Compares bdxtool with its peers on generated bookmark files and prints the ratios and
# the peak memory of each command: import against a C program that only SAX-parses the
# same file with libxml2's HTML parser and counts its links, info against Python's
# csv.reader over the database, export against Python's standard-library writers.
#
#   bash bench/compare.sh [--rounds N] [--sizes 100k,1m] [--work DIR] [--build DIR]
#
# Builds bdxtool (and, when the build has the desktop, the window's import and start-up benchmarks) in
# the build folder (default build/bench, RelWithDebInfo), the peer from Debian's
# libxml2-dev into the work folder (default /tmp/brindlex-compare), where the generated
# files stay for the next run. The peer is never part of the product. For people, not for
# the test run: the 1m size takes several minutes.
set -euo pipefail
cd "$(dirname "$0")/.."

rounds=5
sizes=100k,1m
work=/tmp/brindlex-compare
build=build/bench
while [ $# -gt 0 ]; do
    case "$1" in
    --rounds) rounds=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --work) work=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) echo "usage: bash bench/compare.sh [--rounds N] [--sizes 100k,1m] [--work DIR] [--build DIR]" >&2; exit 2 ;;
    esac
done

for tool in cc pkg-config python3 cmake ninja; do
    command -v "$tool" >/dev/null || { echo "compare.sh: $tool is missing (bash scripts/deps.sh installs it)" >&2; exit 1; }
done
pkg-config --exists libxml-2.0 || { echo "compare.sh: libxml2-dev is missing (bash scripts/deps.sh installs it)" >&2; exit 1; }

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
targets=(bdxtool)
if grep -q '^BRINDLEX_BUILD_UI:BOOL=ON' "$build/CMakeCache.txt"; then
    targets+=(importexport_bench explorer_bench)
fi
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}" >/dev/null

mkdir -p "$work"
# shellcheck disable=SC2046
cc -O2 -o "$work/libxml2_count" bench/compare/libxml2_count.c $(pkg-config --cflags --libs libxml-2.0)

window=()
if [ -x "$build/bench/importexport/importexport_bench" ]; then
    window=(--window-bench "$build/bench/importexport/importexport_bench"
        --explorer-bench "$build/bench/explorer/explorer_bench")
fi
exec python3 bench/compare/compare.py --bdxtool "$build/tools/bdxtool" --peer "$work/libxml2_count" \
    --work "$work" --rounds "$rounds" --sizes "$sizes" "${window[@]}"
