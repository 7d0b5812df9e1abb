#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it.
# Usage: scripts/check-format.sh   (scripts/check-format.sh --fix rewrites them)
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run -Werror "${files[@]}"
  echo "format: ${#files[@]} files as clang-format writes them"
fi
