#!/usr/bin/env bash
# Builds Brindlex and starts it with its default database (or the database named as the
# first argument).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBRINDLEX_BUILD_BENCH=OFF >/dev/null
cmake --build build/release --target brindlex bdxtool
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Brindlex is built (build/release/app/brindlex) but there is no display to show its window on." >&2
  echo "Run this from a desktop session, or under a virtual one: xvfb-run bash scripts/run.sh" >&2
  exit 1
fi
exec build/release/app/brindlex "$@"
