#!/usr/bin/env bash
# Runs each libFuzzer target of a fuzz build for FUZZ_SECONDS seconds
# (default 60), starting from its committed corpus under fuzz/corpus/. The
# corpus is copied to a scratch folder first, so the run never grows the
# committed one. A crash, a failed check or a slow input leaves its input in
# build/fuzz/findings/<target>/ and makes the script fail.
#   usage: scripts/fuzz.sh [build dir] [target...]
set -euo pipefail
build=${1:-build/fuzz}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=()
  for dir in fuzz/corpus/*/; do targets+=("$(basename "$dir")"); done
fi
seconds=${FUZZ_SECONDS:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=()
for target in "${targets[@]}"; do
  findings="$build/findings/$target"
  mkdir -p "$findings" "$work/$target"
  cp fuzz/corpus/"$target"/* "$work/$target"/
  echo "== $target: ${seconds} s"
  # -timeout: an input that takes over 10 s is a finding of its own.
  if ! "$build/fuzz/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$findings/" "$work/$target" >"$work/$target.log" 2>&1; then
    failed+=("$target")
    tail -n 60 "$work/$target.log"
  fi
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)' \
    "$work/$target.log" || true
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "findings in: ${failed[*]} (inputs under $build/findings/)" >&2
  exit 1
fi
