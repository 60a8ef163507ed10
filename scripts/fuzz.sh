#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz") and runs each for a bounded
# time on a copy of its seed corpus, printing the executions and coverage
# reached. Exits non-zero when a target crashes, leaks, hangs or breaks an
# invariant; the input that did it is kept and its path printed.
# Usage: fuzz.sh [SECONDS_PER_TARGET]   (default 20)
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-20}

{ cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j"$(nproc)" >/dev/null; } ||
  { echo "the fuzz build failed"; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/kvchecks-fuzz.XXXXXX")
failed=0
for source in tests/fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  dir="$work/$name"
  mkdir -p "$dir/corpus"
  cp tests/fuzz/corpus/"$name"/* "$dir/corpus/" 2>/dev/null
  options=(-max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 -print_final_stats=1
           -artifact_prefix="$dir/")
  [ -f "tests/fuzz/$name.dict" ] && options+=(-dict="$root/tests/fuzz/$name.dict")
  # Run in the scratch folder: whatever a target reads by a relative name is not the repository's.
  (cd "$dir" && ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
     "$root/build/fuzz/$name" "${options[@]}" corpus >log 2>&1)
  status=$?
  stats=$(grep -E '^#[0-9]+' "$dir/log" | tail -n 1)
  runs=$(grep -oE 'stat::number_of_executed_units: [0-9]+' "$dir/log" | grep -oE '[0-9]+$')
  cov=$(grep -oE 'cov: [0-9]+' <<<"$stats" | grep -oE '[0-9]+')
  ft=$(grep -oE 'ft: [0-9]+' <<<"$stats" | grep -oE '[0-9]+')
  corp=$(grep -oE 'corp: [0-9]+' <<<"$stats" | grep -oE '[0-9]+')
  if [ "$status" -eq 0 ]; then
    printf '%-24s %9s runs in %ss, coverage %s edges, %s features, corpus %s\n' \
      "$name" "${runs:-?}" "$seconds" "${cov:-?}" "${ft:-?}" "${corp:-?}"
  else
    failed=$((failed + 1))
    echo "$name FAILED (exit $status) after ${runs:-?} runs; log: $dir/log"
    grep -E 'ERROR: |invariant broken|SUMMARY: ' "$dir/log" | head -n 5 | sed 's/^/  /'
    for artifact in "$dir"/crash-* "$dir"/leak-* "$dir"/timeout-* "$dir"/oom-* "$dir"/slow-unit-*; do
      [ -e "$artifact" ] && echo "  input kept at $artifact"
    done
  fi
done

if [ "$failed" -eq 0 ]; then
  rm -rf "$work"
  echo "fuzzing: every target ran ${seconds}s without a fault"
else
  echo "fuzzing: $failed target(s) failed; inputs and logs under $work"
fi
[ "$failed" -eq 0 ]
