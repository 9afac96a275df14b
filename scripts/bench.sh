#!/usr/bin/env bash
# Runs every benchmark of a release build and prints one table, with the
# Python peer timed on the same documents in the same run.
set -euo pipefail
build=${1:-build/release}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$build/bench/write_playlists" "$work"
python3 bench/peer_extract.py "$work" >"$work/peer.json"

jsons=()
for bench in "$build"/bench/*_bench; do
  out="$work/$(basename "$bench").json"
  "$bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out" --benchmark_out_format=json >/dev/null 2>>"$work/bench.log"
  jsons+=("$out")
done
echo "$(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), release build"
python3 bench/report.py "$work/peer.json" "${jsons[@]}"
