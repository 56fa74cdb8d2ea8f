#!/usr/bin/env bash
# Fails when a C++ file of the project is not formatted as .clang-format says.
# Usage: scripts/format-check.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/format-check.$$; then
  grep -E 'warning:|error:' /tmp/format-check.$$ | cut -d: -f1 | sort -u | sed 's/^/not formatted: /' >&2
  rm -f /tmp/format-check.$$
  echo "Run: bash scripts/format-check.sh --fix" >&2
  exit 1
fi
rm -f /tmp/format-check.$$
