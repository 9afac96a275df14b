#!/usr/bin/env bash
# Renders the application icon's PNG sizes from its SVG source. The PNGs are
# committed, so building needs no SVG renderer; run this after editing the SVG.
# Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."

src=packaging/icons/mernalt-lirvane.svg
out=packaging/icons/png
sizes=(16 22 24 32 48 64 128 256)   # keep in step with cmake/Packaging.cmake and src/app

command -v rsvg-convert >/dev/null || { echo "rsvg-convert missing: apt-get install librsvg2-bin" >&2; exit 1; }
mkdir -p "$out"
for s in "${sizes[@]}"; do
  rsvg-convert --width "$s" --height "$s" --keep-aspect-ratio "$src" -o "$out/mernalt-lirvane-$s.png"
done
echo "rendered ${#sizes[@]} sizes into $out"
