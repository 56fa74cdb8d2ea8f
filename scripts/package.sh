#!/usr/bin/env bash
# Builds the Debian package of Brindlex: build/release/brindlex_VERSION_ARCH.deb, which
# installs with `sudo apt-get install ./build/release/brindlex_*.deb`.
# Usage: scripts/package.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
bash scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLEX_BUILD_BENCH=OFF -DBRINDLEX_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB)
ls "$build"/brindlex_*.deb
