#!/usr/bin/env bash
# Builds Brindlex and runs every test: the whole suite, the core tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer, and a short run of each fuzz target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
jobs=$(nproc)

echo "== Format check"
bash scripts/format-check.sh

echo "== Build and test"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/test -j "$jobs"
(cd build/test && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs")

echo "== Install, desktop files and Debian package"
bash scripts/ci-install.sh build/test

echo "== Core tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBRINDLEX_BUILD_UI=OFF -DBRINDLEX_BUILD_BENCH=OFF \
      -DBRINDLEX_SANITIZE=ON >/dev/null
cmake --build build/asan -j "$jobs"
(cd build/asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j "$jobs")

echo "== Fuzz run, the core instrumented"
bash scripts/fuzz-ci.sh
