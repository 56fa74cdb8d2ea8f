#!/usr/bin/env bash
# Builds the Debian package of Brindlex: build/release/brindlex_VERSION_ARCH.deb, which
# installs with `sudo apt-get install ./build/release/brindlex_*.deb`. The programs are
# compiled with the hardening flags Debian builds its own packages with (dpkg-buildflags).
# Usage: scripts/package.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/release}
bash scripts/deps.sh
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flag() { dpkg-buildflags --get "$1"; }
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLEX_BUILD_BENCH=OFF -DBRINDLEX_BUILD_TESTS=OFF \
    -DCMAKE_C_FLAGS="$(flag CPPFLAGS) $(flag CFLAGS)" -DCMAKE_CXX_FLAGS="$(flag CPPFLAGS) $(flag CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(flag LDFLAGS)" >/dev/null
cmake --build "$build" -j "$(nproc)"
(cd "$build" && cpack -G DEB)
ls "$build"/brindlex_*.deb
