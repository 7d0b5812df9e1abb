#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, PELLOMAR_FUZZ=ON) and runs each for a bounded time on
# a scratch copy of its checked-in corpus, so that new inputs never land in the repository.
# Fails on any crash, sanitizer report, time-out or memory over the limit; prints each
# target's final coverage and speed.
# Usage: FUZZ_SECONDS=60 scripts/fuzz.sh [build-dir]   (FUZZ_TARGETS="sinalist ..." for some)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
targets=${FUZZ_TARGETS:-$(basename -s .dict tests/fuzz/*.dict)}

CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPELLOMAR_FUZZ=ON >/dev/null
cmake --build "$build" --parallel "${FUZZ_JOBS:-$(nproc)}"

# Qt keeps caches and singletons until exit; a real leak shows as memory over the limit.
export ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1
status=0
for name in $targets; do
  work=$build/fuzz-work/$name
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/findings"
  cp tests/fuzz/corpus/"$name"/* "$work/corpus/"
  result=ok
  if ! "$build/tests/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=2 -rss_limit_mb=2048 \
    -dict="tests/fuzz/$name.dict" -artifact_prefix="$work/findings/" "$work/corpus" \
    >"$work/log" 2>&1; then
    result=FAILED
    status=1
    tail -n 60 "$work/log"
    ls "$work/findings"
  fi
  final=$(grep -E '^#[0-9]+' "$work/log" | tail -n 1 | sed -E 's/^#[0-9]+[[:space:]]+[A-Z]+[[:space:]]+//')
  echo "fuzz_$name: $result: $final"
done
exit $status
