#!/usr/bin/env bash
# The fuzz step of the test run: builds every fuzz target with the core instrumented and
# runs each for FUZZ_SECONDS (60 by default), two at a time. Fails on any finding.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
build=${FUZZ_BUILD_DIR:-build/fuzz}
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLEX_BUILD_UI=OFF \
  -DBRINDLEX_BUILD_BENCH=OFF -DBRINDLEX_FUZZ=ON >/dev/null
cmake --build "$build" --target fuzz_targets -j "$(nproc)"
targets=()
for source in fuzz/fuzz_*.cpp; do
  name=$(basename "$source" .cpp)
  targets+=("${name#fuzz_}")
done
export FUZZ_NO_BUILD=1 FUZZ_BUILD_DIR="$build"
if printf '%s\n' "${targets[@]}" | xargs -P 2 -I{} bash scripts/fuzz.sh {} "$seconds"; then
  echo "fuzz targets run: ${#targets[@]}, no findings"
else
  echo "a fuzz target found a fault" >&2
  exit 1
fi
