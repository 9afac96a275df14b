#!/usr/bin/env bash
# Runs every benchmark of a release build folder.
set -euo pipefail
build=${1:-build/release}
for bench in "$build"/bench/*_bench; do
  echo "== $(basename "$bench")"
  "$bench"
done
